#!/usr/bin/env bash
# Builds everything (installing what it needs first) and runs every test:
# on this machine, then built for the phone's CPU under qemu-arm.
set -eu
source "$(dirname "$0")/lib.sh"
ensure_packages "${test_packages[@]}"
build_preset default
(cd "$top" && ctest --preset default)
"$top/scripts/test-arm.sh"
# The benchmark, so that it cannot rot: one round, no peers, figures into a
# temporary file. It checks only that it wrote its table, never a figure.
"$top/bench/run.sh" --short
