#!/usr/bin/env bash
# Builds the two fuzzers with clang (installing what it needs first), the
# entry fuzzer and the stored-name reader's, and runs them: 45 s and 15 s,
# or each for KESTRUNE_FUZZ_SECONDS seconds when that is set.
set -eu
source "$(dirname "$0")/lib.sh"
ensure_packages "${fuzz_packages[@]}"
build_preset fuzz
cd "$top"
ctest --preset fuzz
