#!/usr/bin/env bash
# Builds the CMake preset named $1 (default: default) in build/$1, installing
# what it needs first, as whoever owns the clone: the test command's build
# stage, and a build by hand that leaves no root-owned file in a user's clone.
set -eu
source "$(dirname "$0")/lib.sh"
build_preset "${1:-default}"
