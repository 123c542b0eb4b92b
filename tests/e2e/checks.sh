# Sourced by the end-to-end scripts: one way to compare, count and report.

failures=0
checks=0

# check NAME WHAT EXPECTED ACTUAL: reports a difference, with the run's
# standard error ($err) when there is one.
check() {
  local name=$1 what=$2 expected=$3 actual=$4
  checks=$((checks + 1))
  if [ "$expected" != "$actual" ]; then
    printf 'FAIL %s: %s\n  expected: %q\n  actual:   %q\n' "$name" "$what" "$expected" "$actual"
    [ -n "${err:-}" ] && printf '  stderr: %s\n' "$err"
    failures=$((failures + 1))
  fi
}

# The bytes that printf's %b makes of $1, trailing newlines included.
bytes() { local made; made=$(printf '%bx' "$1"); printf '%s' "${made%x}"; }

# finish WHAT: the closing line, and the exit status for CTest.
finish() {
  if [ "$failures" -ne 0 ]; then
    echo "$failures of $checks check(s) failed"
    exit 1
  fi
  echo "all $1 passed ($checks checks)"
}

# refresh_stand_ins FOLDER LOG [working]: puts `sleep` and `pidof` into
# FOLDER that log their arguments to LOG; put FOLDER first on PATH. Alone,
# that is all they do, so a refresh that ran harms nothing and leaves a
# trace; with `working` they then do their work, for runs inside a private
# PID namespace, where a `phone` of the script's own is all they can reach.
refresh_stand_ins() {
  local folder=$1 log=$2 working=${3:-} command
  mkdir -p "$folder"
  for command in sleep pidof; do
    {
      printf '#!/bin/sh\necho "%s $*" >>"%s"\n' "$command" "$log"
      [ -z "$working" ] || printf 'exec "%s" "$@"\n' "$(command -v "$command")"
    } >"$folder/$command"
    chmod +x "$folder/$command"
  done
}

# The environment of a run at the terminal: no display of any kind.
without_display=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM)

# fresh_store: an empty XDG_CONFIG_HOME, $work/config, for the next run.
fresh_store() {
  export XDG_CONFIG_HOME=$work/config
  rm -rf "$XDG_CONFIG_HOME"; mkdir -p "$XDG_CONFIG_HOME"
}

# collect: what a finished run left in $work/out, $work/err and the store.
# Sets out and stored with their trailing newlines (stored is <none>
# without a file), and err.
collect() {
  out=$(cat "$work/out" 2>/dev/null; printf x); out=${out%x}
  err=$(cat "$work/err" 2>/dev/null)
  stored=$(cat "$XDG_CONFIG_HOME/kestrune/service-name" 2>/dev/null && printf x) || stored="<none>x"
  stored=${stored%x}
}

# alive PID: running, not a zombie waiting to be reaped.
alive() {
  local stat
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
  stat=${stat##*) }
  [ "${stat%% *}" != Z ]
}

# sanitizer_files_for_others FOLDER: the runs as another user read the
# sanitizers' suppression files too, and that user may not reach the source
# tree (a clone under /root, say). Copies them into FOLDER, which that user
# can read, and points ASAN_OPTIONS and LSAN_OPTIONS at the copies.
sanitizer_files_for_others() {
  local folder=$1 variable value file
  for variable in ASAN_OPTIONS LSAN_OPTIONS; do
    value=${!variable-}
    [[ $value =~ suppressions=([^:]*) ]] || continue
    file=${BASH_REMATCH[1]}
    cp "$file" "$folder/${file##*/}" && chmod 644 "$folder/${file##*/}" || continue
    export "$variable=${value/suppressions=$file/suppressions=$folder/${file##*/}}"
  done
}

# enter_private_root SCRIPT ARGUMENTS...: runs the calling script again as
# process 1 of private PID and mount namespaces, so that a refresh reaches
# only the script's own processes and mounts vanish with it. As root, or, for
# a normal user, as root of a user namespace of its own, where the tool's real
# user id is 0 as well. Exits 77 (skipped) with the reason where the kernel
# allows neither. Inside, second_user tells whether another user (nobody) can
# be switched to: only real root can.
enter_private_root() {
  if [ "${KESTRUNE_E2E_INSIDE:-}" = 1 ]; then
    [ $$ = 1 ] || { echo "not inside a private PID namespace; refusing to go on"; exit 1; }
    return 0
  fi
  local as=()
  [ "$(id -u)" = 0 ] || as=(--map-root-user)
  if ! unshare "${as[@]}" --pid --fork --mount-proc true 2>/dev/null; then
    echo "SKIP: unshare ${as[*]} --pid --fork --mount-proc was refused here"
    exit 77
  fi
  KESTRUNE_E2E_INSIDE=1 KESTRUNE_E2E_REAL_ROOT=$([ ${#as[@]} = 0 ] && echo yes || echo no) \
    exec unshare "${as[@]}" --pid --fork --mount-proc bash "$@"
}

second_user() { [ "${KESTRUNE_E2E_REAL_ROOT:-}" = yes ] && command -v setpriv >/dev/null; }
