#!/usr/bin/env bash
# The test command's stage runner (scripts/stages.sh): a failed stage must
# not stop the later ones, the count and the exit status must say what
# happened, and cutting the output down must never hide a failure.
set -u
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../e2e/checks.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Runs the stages given as NAME=COMMAND, or NAME=skip:WHY, in a scratch clone.
# Sets out (all it printed) and status (that of the summary).
run_stages() {
  rm -rf "$work/clone" && mkdir "$work/clone"
  out=$(
    top=$work/clone
    source "$here/../../scripts/stages.sh"
    for planned in "$@"; do
      case ${planned#*=} in
        skip:*) skip_stage "${planned%%=*}" "${planned#*=skip:}" ;;
        *) stage "${planned%%=*}" "${planned#*=}" ;;
      esac
    done
    report_summary
  )
  status=$?
}

# name | stages (;-separated) | last line | exit status
while IFS='|' read -r name stages last expected_status; do
  IFS=';' read -r -a specs <<<"$stages"
  run_stages "${specs[@]}"
  check "$name" "last line" "$last" "${out##*$'\n'}"
  check "$name" "exit status" "$expected_status" "$status"
done <<'TABLE'
onePassed|build=true|1 passed, 0 failed|0
failedThenPassed|build=exit 3;tests=true|1 passed, 1 failed|1
skippedCounted|build=true;coverage=skip:optional|1 passed, 0 failed, 1 skipped|0
allFailed|build=false;tests=false|0 passed, 2 failed|1
failedAndSkipped|build=false;tests=skip:the build failed;fuzz=true|1 passed, 1 failed, 1 skipped|1
skippedByItsStatus|bench=exit 77;build=true|1 passed, 0 failed, 1 skipped|0
TABLE

# A stage after a failed one still runs, from the top of the clone, and the
# failed one's line tells how to rerun it.
run_stages 'build=exit 3' 'later=touch ran-from-the-top'
check laterStage "ran after the failure" yes "$([ -e "$work/clone/ran-from-the-top" ] && echo yes)"
check laterStage "rerun line" yes \
  "$(grep -q '^build  *failed .*rerun: exit 3; output: build/logs/build.log$' <<<"$out" && echo yes)"

# A stage that could not run here says why on its summary line.
run_stages 'bench=echo SKIP: no user namespace; echo SKIP: refused here; exit 77'
check skippedStage "summary line" yes "$(grep -q '^bench  *skipped .*  refused here$' <<<"$out" && echo yes)"

# The report drops what only says that all is well and keeps the rest; the
# log keeps everything. kept (yes or no) | line
while IFS='|' read -r kept line; do
  run_stages "ctest=printf '%s\n' '$line'"
  shown=no
  grep -qxF -- "$line" <<<"$out" && shown=yes
  check "filter: $line" shown "$kept" "$shown"
  check "filter: $line" "in the log" "$line" "$(cat "$work/clone/build/logs/ctest.log")"
done <<'TABLE'
no|  1/93 Test  #1: RunFlow.readsTheType ........   Passed    0.01 sec
yes|  2/93 Test  #2: RunFlow.anEarlierEntry ......***Failed    0.01 sec
yes|  3/93 Test  #3: window_runs .................***Skipped   0.01 sec
yes|  4/93 Test  #4: sealed_runs .................***Timeout  60.01 sec
no|      Start  1: RunFlow.readsTheType
no|[3/60] Building CXX object CMakeFiles/kestrune.dir/src/main.cpp.o
yes|FAILED: CMakeFiles/kestrune.dir/src/main.cpp.o
yes|src/main.cpp:3:1: error: expected declaration
no|-- Configuring done
yes|CMake Error at CMakeLists.txt:3 (project):
yes|The following tests FAILED:
no|1: Test command: /usr/bin/fuzz
no|  CMAKE_BUILD_TYPE="RelWithDebInfo"
yes|1: entry fuzzer: 10 s of 60, over 4194304 executions
yes|1: ==12==ERROR: AddressSanitizer: heap-buffer-overflow
TABLE

finish "test command runs"
