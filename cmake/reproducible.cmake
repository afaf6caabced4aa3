# Reproducible executables: the same commit gives the same bytes wherever and whenever it is built,
# so that anyone can rebuild a signed release and compare it (tools/test.sh builds the shipped
# executables twice, in two folders, and compares them).
# - The PE time stamp: the linker takes SOURCE_DATE_EPOCH from its environment. Set for the build
#   it is used as it is; otherwise it is the time of the commit that is built.
# - No build paths: the executables are stripped, and no source or build folder name may reach
#   them through __FILE__ and its kind either.
# - A fixed link order: the source lists are sorted (CMakeLists.txt, cmake/windows.cmake).
if(DEFINED ENV{SOURCE_DATE_EPOCH} AND NOT "$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
  set(KQ_SOURCE_DATE_EPOCH "$ENV{SOURCE_DATE_EPOCH}")
else()
  execute_process(COMMAND git -C ${CMAKE_SOURCE_DIR} log -1 --format=%ct
                  OUTPUT_VARIABLE KQ_SOURCE_DATE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE git_result ERROR_QUIET)
  if(NOT git_result EQUAL 0 OR NOT KQ_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
    # Not a git checkout (an unpacked source archive): a fixed stamp is still the same stamp.
    set(KQ_SOURCE_DATE_EPOCH 0)
  endif()
  # Each commit has its own time: the build configures itself again when HEAD moves.
  execute_process(COMMAND git -C ${CMAKE_SOURCE_DIR} rev-parse --absolute-git-dir
                  OUTPUT_VARIABLE git_dir OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(git_dir AND EXISTS "${git_dir}/logs/HEAD")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${git_dir}/logs/HEAD")
  endif()
endif()
if(NOT KQ_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
  message(FATAL_ERROR "SOURCE_DATE_EPOCH must be a number of seconds since 1970, not '${KQ_SOURCE_DATE_EPOCH}'")
endif()

add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}/= -ffile-prefix-map=${CMAKE_BINARY_DIR}/=)

# Links `target` with the time stamp of the source.
function(kq_reproducible_link target)
  set_property(TARGET ${target} PROPERTY RULE_LAUNCH_LINK
               "${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${KQ_SOURCE_DATE_EPOCH}")
endfunction()
