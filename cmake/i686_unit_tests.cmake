# Builds the unit tests for 32-bit Linux and runs them under qemu-i386.
#
#   cmake -DSOURCE_DIR=... -DBINARY_DIR=... -DGENERATOR=... -P i686_unit_tests.cmake
#
# The test's probe (tkdec_optional_test) has made sure that the cross
# compiler, qemu-i386 and the GoogleTest sources are there.
cmake_minimum_required(VERSION 3.25)

execute_process(COMMAND "${CMAKE_COMMAND}" -S "${SOURCE_DIR}" -B "${BINARY_DIR}" -G "${GENERATOR}"
                        "--toolchain=${SOURCE_DIR}/cmake/i686-linux.cmake" -DCMAKE_BUILD_TYPE=Release
                        -DTKDEC_BUILD_CLI=OFF -DTKDEC_BUILD_HOST_TEST=OFF
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND "${CMAKE_COMMAND}" --build "${BINARY_DIR}" --target tkdec_tests -j2
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND qemu-i386 -L /usr/i686-linux-gnu "${BINARY_DIR}/tests/tkdec_tests" --gtest_brief=1
                COMMAND_ERROR_IS_FATAL ANY)
