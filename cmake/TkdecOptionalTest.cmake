# Tests that need a program beyond the README's requirements (an emulator,
# a cross compiler, valgrind, clang, pkg-config, wine, a browser).
#
#   tkdec_optional_test(NAME name
#                       NEEDS program...          # looked up on PATH when the test runs
#                       [FILES file...]           # files that must exist then
#                       INSTALL "what to run or install"
#                       COMMAND command...)
#
# The test runs its probe first (cmake/optional_test.cmake): when a program
# or file is missing it prints one line, "SKIPPED: <what> not found;
# install: <INSTALL>", and ctest reports the test skipped; otherwise it runs
# the command. The probe runs at test time, so hiding a program from PATH
# is enough to take the skip path; the skip_paths test does exactly that
# for every optional test, program by program.
set(TKDEC_OPTIONAL_TEST_SCRIPT "${CMAKE_CURRENT_LIST_DIR}/optional_test.cmake")

function(tkdec_optional_test)
  cmake_parse_arguments(PARSE_ARGV 0 _arg "" "NAME;INSTALL;WORKING_DIRECTORY" "NEEDS;FILES;COMMAND")
  if(NOT _arg_NAME OR NOT _arg_INSTALL OR NOT _arg_COMMAND OR NOT (_arg_NEEDS OR _arg_FILES))
    message(FATAL_ERROR "tkdec_optional_test needs NAME, NEEDS or FILES, INSTALL and COMMAND")
  endif()
  string(JOIN "," _needs ${_arg_NEEDS})
  string(JOIN "," _files ${_arg_FILES})
  set(_directory)
  if(_arg_WORKING_DIRECTORY)
    set(_directory WORKING_DIRECTORY "${_arg_WORKING_DIRECTORY}")
  endif()
  add_test(NAME "${_arg_NAME}" ${_directory}
           COMMAND "${CMAKE_COMMAND}" "-DNEEDS=${_needs}" "-DFILES=${_files}" "-DINSTALL=${_arg_INSTALL}"
                   -P "${TKDEC_OPTIONAL_TEST_SCRIPT}" -- ${_arg_COMMAND})
  set_tests_properties("${_arg_NAME}" PROPERTIES SKIP_REGULAR_EXPRESSION "SKIPPED: [^\n]* not found")
  set_property(GLOBAL APPEND PROPERTY TKDEC_OPTIONAL_TESTS "${_arg_NAME}=${_needs}")
endfunction()

# The check that every optional test declared so far reports skipped when
# each of its programs is hidden. Call once, after the optional tests.
function(tkdec_skip_paths_test)
  get_property(_tests GLOBAL PROPERTY TKDEC_OPTIONAL_TESTS)
  if(NOT _tests)
    return()  # a sanitized or cross build declares none
  endif()
  string(REPLACE ";" "|" _tests "${_tests}")
  add_test(NAME skip_paths
           COMMAND "${CMAKE_COMMAND}" "-DCTEST=${CMAKE_CTEST_COMMAND}" "-DBINARY_DIR=${PROJECT_BINARY_DIR}"
                   "-DTESTS=${_tests}" -P "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/check_skip_paths.cmake")
endfunction()
