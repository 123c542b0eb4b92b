#!/usr/bin/env bash
# Builds the tool, the phone adapter on the simulated SDK and their tests for
# the phone's CPU (ARMv5TE, -Os), runs the tests under qemu-arm, and prints
# the size of the code that goes onto the phone.
set -eu
source "$(dirname "$0")/lib.sh"
ensure_packages cmake ninja-build googletest g++-arm-linux-gnueabi qemu-user
build_preset arm-tests
cd "$top"
ctest --preset arm-tests

# The tool's own code and the adapter; without the meta-object code, which
# the phone SDK's moc makes differently from the simulated one.
echo "Object code for the phone (armv5te, -Os), in bytes:"
arm-linux-gnueabi-size -t \
  build/arm-tests/CMakeFiles/kestrune_core.dir/src/*.o \
  build/arm-tests/tests/phone_sdk/CMakeFiles/kestrune_phone_on_simulated_sdk.dir/__/__/platform/phone/*.o
