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

# refresh_stand_ins FOLDER LOG: puts `sleep` and `pidof` into FOLDER that
# only log their arguments to LOG, so a refresh that ran harms nothing and
# leaves a trace. Put FOLDER first on PATH.
refresh_stand_ins() {
  local folder=$1 log=$2 command
  mkdir -p "$folder"
  for command in sleep pidof; do
    printf '#!/bin/sh\necho "%s $*" >>"%s"\n' "$command" "$log" >"$folder/$command"
    chmod +x "$folder/$command"
  done
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
