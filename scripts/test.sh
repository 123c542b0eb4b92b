#!/usr/bin/env bash
# Builds everything (installing what it needs first) and runs every test;
# then the same suite under the sanitizers, and the entry fuzzer.
set -eu
source "$(dirname "$0")/lib.sh"
build_preset default
ensure_packages valgrind
cd "$top"
ctest --preset default
"$top/scripts/test-sanitize.sh"
"$top/scripts/test-fuzz.sh"
