#!/usr/bin/env bash
# Runs the terminal binary under valgrind's memcheck through the main
# outcomes: any memory error or any block definitely lost fails the run.
# Memory still reachable at exit (the toolkit's own caches) is allowed.
# Usage: memcheck_runs.sh KESTRUNE
set -u
kestrune=$1
source "$(dirname "$0")/checks.sh"
enter_private_root "$0" "$@"
failures=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The refused run, as another user, writes its log here too.
chmod 777 "$work"

if ! command -v valgrind >/dev/null; then
  echo "SKIP: valgrind is not installed"
  exit 77
fi

memoryErrors=99
# The refused run's user may not reach the build tree (a clone under /root,
# say): it runs a copy in the work folder, as the window runs do.
cp "$kestrune" "$work/kestrune"
# name | answers | exit status | run as (empty: root)
for row in "applied|  Abc  \nn\n|1|" "cancelled||0|" "empty|\n|255|" \
           "tooLong|$(printf 'a%.0s' $(seq 100))\n|255|" \
           "refused|Abc\nn\n|1|setpriv --reuid=500 --regid=500 --clear-groups"; do
  IFS='|' read -r name answers code runAs <<<"$row"
  if [ -n "$runAs" ] && ! second_user; then
    echo "SKIP $name: no second user in a user namespace"
    continue
  fi
  binary=$kestrune
  [ -z "$runAs" ] || binary=$work/kestrune
  export XDG_CONFIG_HOME=$work/config
  rm -rf "$XDG_CONFIG_HOME"; mkdir -p "$XDG_CONFIG_HOME"
  # shellcheck disable=SC2086
  printf '%b' "$answers" | env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM $runAs \
    valgrind --tool=memcheck --leak-check=full --errors-for-leak-kinds=definite \
    --error-exitcode=$memoryErrors --log-file="$work/$name.log" \
    "$binary" >/dev/null 2>"$work/err"
  status=$?
  summary=$(grep -E 'ERROR SUMMARY|definitely lost:' "$work/$name.log" | sed 's/^==[0-9]*== *//' | tr '\n' ' ')
  if [ "$status" != "$code" ]; then
    echo "FAIL $name: exit status $status, expected $code"
    cat "$work/$name.log"
    failures=$((failures + 1))
  else
    echo "$name: $summary"
  fi
done

if [ "$failures" -ne 0 ]; then
  echo "$failures run(s) failed"
  exit 1
fi
echo "all memcheck runs clean"
