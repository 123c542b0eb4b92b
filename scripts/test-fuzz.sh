#!/usr/bin/env bash
# Builds the entry fuzzer with clang (installing what it needs first) and runs
# it for KESTRUNE_FUZZ_SECONDS seconds, 60 by default.
set -eu
source "$(dirname "$0")/lib.sh"
ensure_packages "${fuzz_packages[@]}"
build_preset fuzz
cd "$top"
ctest --preset fuzz
