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
  -artifact_prefix="$work/crashes/" "$work/corpus" "$seeds" >"$log" 2>&1
status=$?

runs=$(sed -n 's/^Done \([0-9]*\) runs in \([0-9]*\) second.*/\1 executions in \2 s/p' "$log")
if [ "$status" -ne 0 ] || [ -z "$runs" ]; then
  tail -n 40 "$log"
  echo "$name FAILED (status $status); the input is in $work/crashes/"
  exit 1
fi
echo "$name: $runs, $(ls "$work/corpus" | wc -l) inputs in the work corpus, no failure"
