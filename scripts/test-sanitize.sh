#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer
# (installing what it needs first) and runs every test against that build.
set -eu
source "$(dirname "$0")/lib.sh"
ensure_packages "${test_packages[@]}"
build_preset sanitize
cd "$top"
ctest --preset sanitize
