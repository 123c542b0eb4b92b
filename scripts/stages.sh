# The stage runner of the test command: each stage under a heading, its
# output cut down to what a reader needs (all of it stays in build/logs/),
# its time, and at the end one line per stage and the count. A failed stage
# never stops the later ones.

stage_logs=$top/build/logs
stage_names=() stage_results=() stage_seconds=() stage_notes=()
stages_started=$SECONDS

# Drops the lines that only say that all is well (build steps, tests passed
# one by one, CTest's chatter in verbose mode), and runs of blank lines, so
# that failures stand out.
report_filter() {
  grep --line-buffered -v -E \
    -e '^\[[0-9]+/[0-9]+\] ' \
    -e '^-- ' \
    -e '^Preset CMake variables:$' \
    -e '^  [A-Za-z_]+=".*"$' \
    -e '^ninja: no work to do' \
    -e '^ *Start +[0-9]+: ' \
    -e '^ *[0-9]+/[0-9]+ Test +#[0-9]+: .* Passed +[0-9.]+ sec$' \
    -e '^(UpdateCTestConfiguration|Parse Config file|Constructing a list of tests|Done constructing a list of tests|Updating test list for fixtures|Added [0-9]+ tests to meet fixture requirements|Checking test dependency graph)' \
    -e '^test [0-9]+$' \
    -e '^[0-9]+: (Test command|Working Directory|Test timeout computed)' | cat -s
}

# stage NAME COMMAND: runs the shell command COMMAND, from the top of the
# clone, as the stage NAME. COMMAND is also what the summary offers to rerun
# it alone, so it must make sense typed at a prompt. Status 77 means that it
# could not run here: skipped, with the reason from its last "SKIP: " line.
stage() {
  local name=$1 command=$2 started=$SECONDS status
  local log=$stage_logs/${name// /-}.log
  printf '\n=== %s: %s\n' "$name" "$command"
  mkdir -p "$stage_logs"
  (cd "$top" && bash -c "$command") </dev/null 2>&1 | tee "$log" | report_filter
  status=${PIPESTATUS[0]}
  stage_names+=("$name")
  stage_seconds+=($((SECONDS - started)))
  if [ "$status" -eq 0 ]; then
    stage_results+=(passed) stage_notes+=("")
  elif [ "$status" -eq 77 ]; then
    local why
    why=$(sed -n 's/^SKIP: //p' "$log" | tail -n 1)
    stage_results+=(skipped) stage_notes+=("${why:-status 77}")
  else
    stage_results+=(failed) stage_notes+=("status $status; rerun: $command; output: ${log#"$top"/}")
  fi
  return "$status"
}

# skip_stage NAME WHY
skip_stage() {
  printf '\n=== %s: skipped, %s\n' "$1" "$2"
  stage_names+=("$1") stage_results+=(skipped) stage_seconds+=(0) stage_notes+=("$2")
}

# Prints one line per stage, then the count as the very last line. Fails if a
# stage failed.
report_summary() {
  local i passed=0 failed=0 skipped=0 count
  printf '\n=== summary (%d s in all)\n' $((SECONDS - stages_started))
  for i in "${!stage_names[@]}"; do
    printf '%-16s %-8s %5d s%s\n' "${stage_names[i]}" "${stage_results[i]}" \
      "${stage_seconds[i]}" "${stage_notes[i]:+  ${stage_notes[i]}}"
    case ${stage_results[i]} in
      passed) passed=$((passed + 1)) ;;
      failed) failed=$((failed + 1)) ;;
      *) skipped=$((skipped + 1)) ;;
    esac
  done
  count="$passed passed, $failed failed"
  [ "$skipped" -eq 0 ] || count+=", $skipped skipped"
  echo "$count"
  [ "$failed" -eq 0 ]
}
