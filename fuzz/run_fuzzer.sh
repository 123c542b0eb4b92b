#!/usr/bin/env bash
# Runs one fuzzer for a bounded time from its seed corpus, and prints how many
# inputs it tried. KESTRUNE_FUZZ_SECONDS, when set, replaces the given time.
# Usage: run_fuzzer.sh FUZZER SECONDS SEED_DIR WORK_DIR
set -u
fuzzer=$1 seeds=$3 work=$4
seconds=${KESTRUNE_FUZZ_SECONDS:-$2}
name=$(basename "$fuzzer")

# New inputs found go to the work corpus, so a later run starts from them;
# the seeds in the repository stay as they are.
mkdir -p "$work/corpus" "$work/crashes"
log=$work/$name.log
# Inputs well past the 100-byte buffer; longer ones find nothing new.
"$fuzzer" -max_total_time="$seconds" -max_len=512 -print_final_stats=1 \
  -artifact_prefix="$work/crashes/" "$work/corpus" "$seeds" >"$log" 2>&1 &
fuzzer_pid=$!
trap 'kill "$fuzzer_pid" 2>/dev/null' EXIT

# A line every 10 s, so that a long run shows that it is alive: the count of
# executions that libFuzzer logged last (it logs at powers of two), and the
# size of the corpus.
started=$SECONDS next_report=10
while kill -0 "$fuzzer_pid" 2>/dev/null; do
  sleep 1
  if [ $((SECONDS - started)) -ge "$next_report" ] && kill -0 "$fuzzer_pid" 2>/dev/null; then
    latest=$(grep -o '^#[0-9]*' "$log" | tail -n 1)
    latest=${latest:-#0}
    echo "$name: $next_report s of $seconds, over ${latest#\#} executions," \
      "$(ls "$work/corpus" | wc -l) inputs in the work corpus"
    next_report=$((next_report + 10))
  fi
done
wait "$fuzzer_pid"
status=$?

runs=$(sed -n 's/^Done \([0-9]*\) runs in \([0-9]*\) second.*/\1 executions in \2 s/p' "$log")
if [ "$status" -ne 0 ] || [ -z "$runs" ]; then
  tail -n 40 "$log"
  echo "$name FAILED (status $status); the input is in $work/crashes/"
  exit 1
fi
echo "$name: $runs, $(ls "$work/corpus" | wc -l) inputs in the work corpus, no failure"
