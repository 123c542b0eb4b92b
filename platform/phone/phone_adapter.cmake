# Builds the phone adapter as the static library <target>, against one SDK:
# the phone's own, or the simulated one that the tests use.
#
#   kestrune_add_phone_adapter(<target>
#     INCLUDE_DIR <dir>    the SDK's headers; ZSingleCaptureDlg.h among them
#     MOC <program>        the SDK's meta-object compiler
#     LIBRARIES <libs>...) libezxappbase and libqte-mt, in that order
#
# The framework's library lacks the meta-object code of ZSingleCaptureDlg,
# so the program makes it from the SDK's header and carries it. It goes into
# every program that links the adapter, not into the adapter's archive: only
# the framework's library refers to it, and the linker has passed the
# archive by the time it reads that library.
set(KESTRUNE_PHONE_ADAPTER_DIR ${CMAKE_CURRENT_LIST_DIR})
include(CheckCXXSourceCompiles)

# What programs of libqte-mt are built with, in <var>: without QWS the
# toolkit's headers take the X11 window system and its class layouts, which
# the phone's library does not have (the link fails, or worse); the other two
# are the multithreaded library's. QWS only where the SDK's qglobal.h does
# not define it already, as a vendor's may.
function(kestrune_phone_sdk_definitions var include_dir)
  string(MD5 sdk "${include_dir}")
  set(CMAKE_REQUIRED_INCLUDES ${include_dir})
  set(CMAKE_REQUIRED_QUIET ON)
  set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
  check_cxx_source_compiles("#include <qglobal.h>\n#ifndef QWS\n#error no QWS\n#endif\n"
    KESTRUNE_SDK_DEFINES_QWS_${sdk})
  set(definitions _REENTRANT QT_THREAD_SUPPORT)
  if(NOT KESTRUNE_SDK_DEFINES_QWS_${sdk})
    list(PREPEND definitions QWS)
  endif()
  set(${var} ${definitions} PARENT_SCOPE)
endfunction()

function(kestrune_add_phone_adapter target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "INCLUDE_DIR;MOC" "LIBRARIES")

  set(meta_object ${CMAKE_CURRENT_BINARY_DIR}/${target}_moc_ZSingleCaptureDlg.cpp)
  add_custom_command(OUTPUT ${meta_object}
    COMMAND ${arg_MOC} ${arg_INCLUDE_DIR}/ZSingleCaptureDlg.h -o ${meta_object}
    DEPENDS ${arg_MOC} ${arg_INCLUDE_DIR}/ZSingleCaptureDlg.h
    COMMENT "Making the meta-object code of ZSingleCaptureDlg"
    VERBATIM)

  kestrune_phone_sdk_definitions(definitions ${arg_INCLUDE_DIR})
  message(STATUS "${target}: the SDK's headers are used with ${definitions}")

  add_library(${target}_meta_object OBJECT ${meta_object})
  target_compile_definitions(${target}_meta_object PRIVATE ${definitions})
  # SDK headers count as system headers: their warnings are not ours to fix.
  target_include_directories(${target}_meta_object SYSTEM PRIVATE ${arg_INCLUDE_DIR})
  # Generated code is the toolkit's, written for its own compiler: its
  # warnings are not ours to fix either.
  set_target_properties(${target}_meta_object PROPERTIES
    CXX_STANDARD 98 CXX_STANDARD_REQUIRED ON CXX_EXTENSIONS OFF)
  target_compile_options(${target}_meta_object PRIVATE -w -fno-exceptions -fno-rtti)

  add_library(${target} STATIC
    ${KESTRUNE_PHONE_ADAPTER_DIR}/phone_platform.cpp
    ${KESTRUNE_PHONE_ADAPTER_DIR}/utf8_text.cpp)
  target_include_directories(${target} SYSTEM PUBLIC ${arg_INCLUDE_DIR})
  # Wherever the SDK's headers are included, the program's own code too.
  target_compile_definitions(${target} PUBLIC ${definitions})
  target_include_directories(${target} PRIVATE ${KESTRUNE_PHONE_ADAPTER_DIR})
  target_sources(${target} INTERFACE $<TARGET_OBJECTS:${target}_meta_object>)
  target_link_libraries(${target} PUBLIC kestrune_core ${arg_LIBRARIES})
  kestrune_phone_language_level(${target})
endfunction()
