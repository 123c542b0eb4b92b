#!/usr/bin/env bash
# Builds the tool, the phone adapter on the simulated SDK and their tests for
# the phone's CPU (ARMv5TE, -Os) and runs the tests under qemu-arm. Then does
# the phone build exactly as docs/phone.md says, with the simulated SDK in place
# of the phone's, and runs that binary once; shows that the SDK's headers
# stop a build without QWS and that the phone build defines it unless the
# SDK's own headers do. Prints the size of the code that goes onto the phone.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
ensure_packages "${arm_packages[@]}"
build_preset arm-tests
cd "$top"
ctest --preset arm-tests

phone_build=build/phone-on-simulated-sdk
KESTRUNE_PHONE_SDK=$top/build/arm-tests/tests/phone_sdk/tree \
  build_folder "$phone_build" --preset phone -B "$phone_build"
# The simulated user accepts an empty entry; the gate uses the real user id.
if [ "$(id -u)" -eq 0 ]; then
  expected="empty input" expected_status=255
else
  expected="not excute by root, but by $(id -u)" expected_status=1
fi
status=0
output=$(qemu-arm -L /usr/arm-linux-gnueabi "$phone_build/kestrune") || status=$?
if [ "$output" != "$expected" ] || [ "$status" -ne "$expected_status" ]; then
  echo "phone build on the simulated SDK: got '$output' and status $status," \
    "expected '$expected' and $expected_status" >&2
  exit 1
fi
echo "Phone build on the simulated SDK ran under qemu-arm: '$output', status $status"

# The SDK's headers stop a build without QWS, as the X11 layouts that the
# stock toolkit headers give then would not link; the phone build sets it.
sdk=$top/build/arm-tests/tests/phone_sdk/tree
compile_adapter() {
  arm-linux-gnueabi-g++ -std=c++98 -fsyntax-only -Iplatform -Isrc -isystem "$sdk/include" "$@" \
    platform/phone/phone_platform.cpp
}
# The definitions a build compiles the adapter with, in order of name.
adapter_defines() {
  grep -m1 -A1 'kestrune_phone.dir/phone_platform.cpp.o:' "$1/build.ninja" |
    sed -n 's/^ *DEFINES = //p' | tr ' ' '\n' | LC_ALL=C sort | paste -sd ' '
}
phone_defines=$(adapter_defines "$phone_build")
if without=$(compile_adapter 2>&1); then
  echo "the adapter compiled on the simulated SDK without QWS" >&2; exit 1
fi
stop=$(grep -o '#error .*' <<<"$without" | head -n 1)
[ -n "$stop" ] || { echo "$without" >&2; exit 1; }
[ "$phone_defines" = "-DQT_THREAD_SUPPORT -DQWS -D_REENTRANT" ] ||
  { echo "the phone build compiles the adapter with '$phone_defines'" >&2; exit 1; }
compile_adapter $phone_defines
# An SDK whose own qglobal.h defines QWS keeps its definition.
# Laid out as the clone's owner, as the builds are.
vendor=build/phone-on-sdk-defining-qws
"${as_clone_owner[@]}" sh -c 'rm -rf "$1" && mkdir -p "$1/sdk" && cp -rL "$2/include" "$1/sdk/include" &&
  ln -s "$2/lib" "$2/bin" "$1/sdk/" && sed -i "1i #define QWS" "$1/sdk/include/qglobal.h"' \
  sh "$vendor" "$sdk"
KESTRUNE_PHONE_SDK=$top/$vendor/sdk build_folder "$vendor/build" --preset phone -B "$vendor/build"
vendor_defines=$(adapter_defines "$vendor/build")
[ "$vendor_defines" = "-DQT_THREAD_SUPPORT -D_REENTRANT" ] ||
  { echo "on an SDK that defines QWS the adapter gets '$vendor_defines'" >&2; exit 1; }
echo "QWS: without it the SDK's headers stop the adapter ($stop); with $phone_defines," \
  "as the phone build sets them, it compiles; an SDK defining QWS itself gets $vendor_defines"

# The tool's own code and the adapter; without the meta-object code, which
# the phone SDK's moc makes differently from the simulated one. The last line
# gives the figures that docs/phone.md tells of.
echo "Object code for the phone (armv5te, -Os), in bytes:"
arm-linux-gnueabi-size -t "$phone_build"/CMakeFiles/kestrune.dir/src/main.cpp.o \
  "$phone_build"/CMakeFiles/kestrune_core.dir/src/*.o \
  "$phone_build"/platform/phone/CMakeFiles/kestrune_phone.dir/*.o |
  awk '{ print }
    /\/src\/[^/]*\.o$/ { tool += $1 }
    /\/kestrune_phone\.dir\// { adapter += $1 }
    /\(TOTALS\)$/ { code = $1; data = $2; bss = $3 }
    END { printf "In all: %d bytes of code and read-only data, %d of data, %d of bss;" \
      " the run flow and trimming %d bytes of code, the adapter %d\n", code, data, bss, tool, adapter }'
