# Writes the full-size synthetic build description and builds the library
# (and the given targets) from it in a build tree of its own.
#
#   cmake -DSOURCE_DIR=... -DBINARY_DIR=... -DPYTHON=... -DGENERATOR=...
#         -DC_COMPILER=... -DCXX_COMPILER=... -DTARGETS=a,b [-DBENCHMARKS=ON]
#         -P fullsize_build.cmake
#
# The description goes to BINARY_DIR/description; the build is Release.
# BENCHMARKS=ON builds the benchmarks and the command-line tool instead of
# the tests.
cmake_minimum_required(VERSION 3.25)

set(_description "${BINARY_DIR}/description")
string(REPLACE "," ";" _targets "${TARGETS}")
if(BENCHMARKS)
  set(_options -DTKDEC_BUILD_BENCHMARKS=ON -DTKDEC_BENCH_NESTED=ON -DTKDEC_BUILD_TESTS=OFF -DTKDEC_BUILD_CLI=ON)
else()
  set(_options -DTKDEC_BUILD_TESTS=ON -DTKDEC_BUILD_CLI=OFF)
endif()
execute_process(COMMAND "${PYTHON}" "${SOURCE_DIR}/tools/synth/tkdec_synth.py" "${_description}"
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND "${CMAKE_COMMAND}" -S "${SOURCE_DIR}" -B "${BINARY_DIR}" -G "${GENERATOR}"
                        "-DCMAKE_C_COMPILER=${C_COMPILER}" "-DCMAKE_CXX_COMPILER=${CXX_COMPILER}"
                        -DCMAKE_BUILD_TYPE=Release -DCMAKE_EXPORT_COMPILE_COMMANDS=ON
                        "-DTKDEC_BUILD=${_description}/build.json"
                        -DTKDEC_OUTPUT_NAME=tkdec
                        -DTKDEC_BUILD_HOST_TEST=OFF ${_options}
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND "${CMAKE_COMMAND}" --build "${BINARY_DIR}" --target ${_targets}
                COMMAND_ERROR_IS_FATAL ANY)
