#!/usr/bin/env bash
# Builds everything (installing what it needs first) and runs every test.
set -eu
source "$(dirname "$0")/lib.sh"
ensure_packages "${test_packages[@]}"
build_preset default
cd "$top"
ctest --preset default
