# The date that the manual page carries, YYYY-MM-DD in UTC, the same for every
# build of the same sources: SOURCE_DATE_EPOCH when it is set (reproducible
# builds), else the time of the last commit, else today (no git, or a clone
# that git refuses to read because someone else owns it).
#
#   kestrune_release_date(<variable> <source dir>)
function(kestrune_release_date variable source_dir)
  if("$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
    find_package(Git QUIET)
    if(GIT_FOUND)
      execute_process(COMMAND "${GIT_EXECUTABLE}" log -1 --format=%ct
        WORKING_DIRECTORY "${source_dir}" RESULT_VARIABLE failed
        OUTPUT_VARIABLE commit_time OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
      execute_process(COMMAND "${GIT_EXECUTABLE}" rev-parse --absolute-git-dir
        WORKING_DIRECTORY "${source_dir}" OUTPUT_VARIABLE git_dir
        OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    endif()
    if(NOT failed AND commit_time MATCHES "^[0-9]+$")
      # Configure again after every commit, so that the date follows.
      if(NOT CMAKE_SCRIPT_MODE_FILE AND EXISTS "${git_dir}/logs/HEAD")
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${git_dir}/logs/HEAD")
      endif()
      set(ENV{SOURCE_DATE_EPOCH} "${commit_time}")
      set(from_commit TRUE)
    endif()
  endif()
  # string(TIMESTAMP) takes SOURCE_DATE_EPOCH in place of the time now.
  string(TIMESTAMP date "%Y-%m-%d" UTC)
  if(from_commit)
    unset(ENV{SOURCE_DATE_EPOCH})
  endif()
  set(${variable} "${date}" PARENT_SCOPE)
endfunction()
