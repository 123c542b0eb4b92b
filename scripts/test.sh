#!/usr/bin/env bash
# The test command. Installs what every stage needs at once, then runs the
# stages one after the other, each under its own heading: the build and its
# tests, the same suite under the sanitizers, the two fuzzers, the tool and
# its tests built for the phone's CPU, one round of the benchmark, and static
# analysis; with KESTRUNE_COVERAGE=1, a line coverage report too. Ends with
# one line per stage and the count; fails if any stage failed.
set -u
source "$(dirname "$0")/lib.sh"
source "$top/scripts/stages.sh"

coverage=${KESTRUNE_COVERAGE:-0}
packages=("${build_packages[@]}" "${test_packages[@]}" "${fuzz_packages[@]}"
  "${arm_packages[@]}" "${bench_packages[@]}" "${static_packages[@]}")
[ "$coverage" = 1 ] && packages+=("${coverage_packages[@]}")
mapfile -t packages < <(printf '%s\n' "${packages[@]}" | sort -u)
printf '=== packages: %d from Debian for every stage\n' ${#packages[@]}
ensure_packages "${packages[@]}" ||
  echo "Not every package could be installed: the stages that need them will fail"

if stage build "./scripts/build.sh default"; then
  stage tests "ctest --preset default"
else
  skip_stage tests "the build failed"
fi
stage sanitizers "./scripts/test-sanitize.sh"
stage fuzzing "./scripts/test-fuzz.sh"
stage ARM "./scripts/test-arm.sh"
stage benchmark "bench/run.sh --short"
stage "static analysis" "./scripts/test-static.sh"
if [ "$coverage" = 1 ]; then
  stage coverage "./scripts/test-coverage.sh"
else
  skip_stage coverage "optional: KESTRUNE_COVERAGE=1 ./scripts/test.sh, or ./scripts/test-coverage.sh"
fi
report_summary
