#!/usr/bin/env bash
# Runs the built kestrune through its terminal interface, as a person piping
# answers in would, and checks standard output, the exit status and the
# stored name. Never answers yes with the real shell commands in reach.
set -u
source "$(dirname "$0")/checks.sh"
kestrune=$1
enter_private_root "$0" "$@"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
sanitizer_files_for_others "$work"

# Runs kestrune with the given answers on standard input and a fresh store.
# Sets: out, err, status, stored (the store file's bytes, or <none>).
run() {
  local answers=$1; shift
  fresh_store
  printf '%b' "$answers" | "${without_display[@]}" "$kestrune" "$@" >"$work/out" 2>"$work/err"
  status=$?
  collect
}

# name | answers | expected stdout | exit status | stored file | arguments...
expect() {
  local name=$1 answers=$2 stdout=$3 code=$4 file=$5; shift 5
  run "$answers" "$@"
  check "$name" stdout "$(bytes "$stdout"; printf x)" "${out}x"
  check "$name" "exit status" "$code" "$status"
  check "$name" "stored name" "$(bytes "$file"; printf x)" "${stored}x"
}

expect applied            '  Abc  \nn\n'    "setup to 'Abc'\n" 1 'Abc\n'
expect invalidUtf8        '\xffAb\nn\n'     "setup to '\xef\xbf\xbdAb'\n" 1 '\xef\xbf\xbdAb\n'
expect cancelled          ''                '' 0 '<none>'
expect noAnswerToRefresh  'Abc\n'           "setup to 'Abc'\n" 1 'Abc\n'

# The prompts are the stand-in's interface: standard error, byte for byte,
# for answers piped in (each prompt then ends its line).
prompt='Kestrune — 运营商名称: '
question='Kestrune — 设置OK，是否刷新手机？ [y/N] '
for row in "applied|Abc\nn\n|$prompt\n$question\n" "cancelled||$prompt\n" \
           "noAnswerToRefresh|Abc\n|$prompt\n$question\n" "empty|\n|$prompt\n"; do
  IFS='|' read -r name answers expected <<<"$row"
  run "$answers"
  check "$name" "stderr, byte for byte" "$(bytes "$expected"; printf x)" "$(cat "$work/err"; printf x)"
done
expect empty              '\n'              'empty input\n' 255 '<none>'
expect secondArgument     'Abc\nn\n'        "setup to 'Abc'\n" 1 'Abc\n' 12abc second
# Asked for --help or --version (which words are is the unit tests'), the
# tool answers on standard output, without a dialog. Of the usage, its first
# line and the exit statuses anchor it here; its whole text is the unit test's.
for option in --help --version; do
  run 'Abc\nn\n' "$option"
  if [ "$option" = --help ]; then
    check "$option" "usage's first line" "Usage: kestrune [TYPE]" "${out%%$'\n'*}"
    [[ $out == *$'\nExit status: 1 the name was applied'*$'\n0 cancelled; 255 '*$'.\n' ]] ||
      check "$option" "usage's exit statuses" "…Exit status: 1 the name was applied…0 cancelled; 255 ….\n" "$out"
  else
    [[ $out =~ ^kestrune\ [0-9]+\.[0-9]+\.[0-9]+$'\n'$ ]] || check "$option" stdout "kestrune X.Y.Z" "$out"
  fi
  check "$option" "exit status" 0 "$status"
  check "$option" "no dialog" "" "$(cat "$work/err")"
  check "$option" "stored name" '<none>' "$stored"
done

# Standard streams closed, empty or with their reader gone: never a crash,
# always the run's own exit status. A pipe without a reader, made once:
mkfifo "$work/fifo"
exec 5<>"$work/fifo" 6>"$work/fifo" 5<&-
# SIGPIPE as a shell normally leaves it, even where the test runner ignores it.
tool=("${without_display[@]}" --default-signal=PIPE "$kestrune")
# name | exit status | stored file
streams() {
  local name=$1 code=$2 file=$3
  fresh_store
  : >"$work/out"; : >"$work/err"
  case $name in
    stdinClosed)       "${tool[@]}" <&- >"$work/out" 2>"$work/err" ;;
    stdinEmpty)        "${tool[@]}" </dev/null >"$work/out" 2>"$work/err" ;;
    stdoutClosed)      printf 'Abc\nn\n' | "${tool[@]}" >&- 2>"$work/err" ;;
    stdoutReaderGone)  printf 'Abc\nn\n' | "${tool[@]}" >&6 2>"$work/err" ;;
    stderrReaderGone)  printf 'Abc\nn\n' | "${tool[@]}" >"$work/out" 2>&6 ;;
    allOutputClosed)   printf 'Abc\nn\n' | "${tool[@]}" >&- 2>&- ;;
  esac
  status=$?
  collect
  check "$name" "exit status" "$code" "$status"
  check "$name" "stored name" "$(bytes "$file"; printf x)" "${stored}x"
}
streams stdinClosed      0 '<none>'
streams stdinEmpty       0 '<none>'
streams stdoutClosed     1 'Abc\n'
streams stdoutReaderGone 1 'Abc\n'
streams stderrReaderGone 1 'Abc\n'
streams allOutputClosed  1 'Abc\n'
exec 6>&-

# A yes starts the refresh command, anything else does not (which answers
# are a yes is the yes parser's table); its commands are stand-ins here that
# only record how they were called.
fakebin=$work/fakebin
refresh_stand_ins "$fakebin" "$work/refresh.log"
refresh_row() {  # NAME ANSWER LOG: what the stand-ins recorded
  local name=$1 answer=$2 expected=$3
  rm -f "$work/refresh.log"
  PATH=$fakebin:$PATH run "Abc\n$answer\n"
  check "$name" "exit status" 1 "$status"
  for _ in $(seq 50); do [ -s "$work/refresh.log" ] && grep -q pidof "$work/refresh.log" && break; sleep 0.1; done
  [ -n "$expected" ] || sleep 0.3
  check "$name" "refresh command" "$expected" "$(cat "$work/refresh.log" 2>/dev/null)"
}
refresh_row yes '  Yes  ' "$(printf 'sleep 1s\npidof phone')"
refresh_row notYes 'yes please' ''

# Anyone but root is refused, by the real user id; only root can switch users.
if second_user; then
  # In a coverage build, that user could not write the build's counts, and
  # the coverage library would say so on standard error: they go here.
  mkdir -m 1777 "$work/others-counts"
  for ids in "--reuid=500 --regid=500" "--ruid=500 --euid=0 --regid=500"; do
    # shellcheck disable=SC2086
    fresh_store
    printf 'Abc\nn\n' | "${without_display[@]}" GCOV_PREFIX="$work/others-counts" \
      setpriv $ids --clear-groups "$kestrune" >"$work/out" 2>"$work/err"
    status=$?; err=$(cat "$work/err")
    check "notRoot($ids)" stdout "not excute by root, but by 500" "$(cat "$work/out")"
    check "notRoot($ids)" "exit status" 1 "$status"
    check "notRoot($ids)" "nothing stored" no "$([ -e "$XDG_CONFIG_HOME/kestrune" ] && echo yes || echo no)"
    check "notRoot($ids)" "the notice, byte for byte" \
      "Kestrune — 检测到本程序未以root身份执行，将不作任何操作！" "$err"
  done
  # Before the root gate: anyone may ask.
  setpriv --reuid=500 --regid=500 --clear-groups "$kestrune" --version >"$work/out" 2>&1
  check "notRoot --version" "exit status" 0 $?
else
  echo "SKIP notRoot: no second user in a user namespace"
fi

finish "terminal runs"
