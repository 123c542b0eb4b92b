# Cross-compiling for the phone's CPU, an ARMv5TE.
#
# By default this takes Debian's arm-linux-gnueabi toolchain, which the tests
# use. For the phone itself, name the compiler that matches the phone's own
# libraries, e.g. -DKESTRUNE_CROSS_PREFIX=/opt/phone/bin/arm-linux- and, if
# it needs one, -DKESTRUNE_SYSROOT=<the phone's root file system>.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)

if(NOT DEFINED KESTRUNE_CROSS_PREFIX)
  set(KESTRUNE_CROSS_PREFIX arm-linux-gnueabi-)
endif()
# CMake's own compiler checks read this file again; they need the same choice.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KESTRUNE_CROSS_PREFIX KESTRUNE_SYSROOT)

set(CMAKE_C_COMPILER ${KESTRUNE_CROSS_PREFIX}gcc)
set(CMAKE_CXX_COMPILER ${KESTRUNE_CROSS_PREFIX}g++)
set(CMAKE_CXX_FLAGS_INIT -march=armv5te)

if(KESTRUNE_SYSROOT)
  set(CMAKE_SYSROOT ${KESTRUNE_SYSROOT})
endif()

# Programs run on the build machine; everything else is the phone's.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
