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

function(kestrune_add_phone_adapter target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "INCLUDE_DIR;MOC" "LIBRARIES")

  set(meta_object ${CMAKE_CURRENT_BINARY_DIR}/${target}_moc_ZSingleCaptureDlg.cpp)
  add_custom_command(OUTPUT ${meta_object}
    COMMAND ${arg_MOC} ${arg_INCLUDE_DIR}/ZSingleCaptureDlg.h -o ${meta_object}
    DEPENDS ${arg_MOC} ${arg_INCLUDE_DIR}/ZSingleCaptureDlg.h
    COMMENT "Making the meta-object code of ZSingleCaptureDlg"
    VERBATIM)

  add_library(${target}_meta_object OBJECT ${meta_object})
  # SDK headers count as system headers: their warnings are not ours to fix.
  target_include_directories(${target}_meta_object SYSTEM PRIVATE ${arg_INCLUDE_DIR})
  # Generated code is the toolkit's, written for its own compiler.
  set_target_properties(${target}_meta_object PROPERTIES
    CXX_STANDARD 98 CXX_STANDARD_REQUIRED ON CXX_EXTENSIONS OFF)
  target_compile_options(${target}_meta_object PRIVATE -fno-exceptions -fno-rtti)

  add_library(${target} STATIC
    ${KESTRUNE_PHONE_ADAPTER_DIR}/phone_platform.cpp
    ${KESTRUNE_PHONE_ADAPTER_DIR}/utf8_text.cpp)
  target_include_directories(${target} SYSTEM PUBLIC ${arg_INCLUDE_DIR})
  target_include_directories(${target} PRIVATE ${KESTRUNE_PHONE_ADAPTER_DIR})
  target_sources(${target} INTERFACE $<TARGET_OBJECTS:${target}_meta_object>)
  target_link_libraries(${target} PUBLIC kestrune_core ${arg_LIBRARIES})
  kestrune_phone_language_level(${target})
endfunction()
