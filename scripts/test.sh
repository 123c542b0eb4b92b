#!/usr/bin/env bash
# Builds everything (installing what it needs first) and runs every test;
# then the same suite under the sanitizers, the entry fuzzer, one round of the
# benchmark, and the tool built for the phone's CPU under qemu-arm.
set -eu
source "$(dirname "$0")/lib.sh"
ensure_packages "${test_packages[@]}"
build_preset default
ensure_packages valgrind
cd "$top"
ctest --preset default
"$top/scripts/test-sanitize.sh"
"$top/scripts/test-fuzz.sh"
# The benchmark, so that it cannot rot: one round, no peers, figures into a
# temporary file. It checks only that it wrote its table, never a figure.
"$top/bench/run.sh" --short
"$top/scripts/test-arm.sh"
