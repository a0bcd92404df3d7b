# Builds the unit tests for 32-bit Linux and runs them under qemu-i386.
#
#   cmake -DSOURCE_DIR=... -DBINARY_DIR=... -DGENERATOR=... -P i686_unit_tests.cmake
#
# Exits with 77 (the test is skipped) when the cross compiler, qemu-i386 or
# the GoogleTest sources are missing.
cmake_minimum_required(VERSION 3.25)

find_program(_compiler i686-linux-gnu-g++)
find_program(_qemu qemu-i386)
if(NOT _compiler OR NOT _qemu OR NOT EXISTS /usr/src/googletest/CMakeLists.txt)
  message("i686-linux-gnu-g++, qemu-i386 or /usr/src/googletest missing (tools/ci/install-i686-toolchain.sh installs them): the 32-bit unit tests are skipped")
  cmake_language(EXIT 77)
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" -S "${SOURCE_DIR}" -B "${BINARY_DIR}" -G "${GENERATOR}"
                        "--toolchain=${SOURCE_DIR}/cmake/i686-linux.cmake" -DCMAKE_BUILD_TYPE=Release
                        -DTKDEC_BUILD_CLI=OFF -DTKDEC_BUILD_HOST_TEST=OFF
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND "${CMAKE_COMMAND}" --build "${BINARY_DIR}" --target tkdec_tests -j2
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND "${_qemu}" -L /usr/i686-linux-gnu "${BINARY_DIR}/tests/tkdec_tests" --gtest_brief=1
                COMMAND_ERROR_IS_FATAL ANY)
