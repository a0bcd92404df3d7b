# Installs the built tkdec into WORK_DIR/prefix, then builds and runs the
# consumer project beside this script against it, a program built with the
# flags of `pkg-config tkdec`, and the installed Python package.
#   cmake -DBUILD_DIR=... -DWORK_DIR=... -DGENERATOR=... -DC_COMPILER=... -DCXX_COMPILER=...
#         -DPYTHON=... -P consumer_test.cmake
cmake_minimum_required(VERSION 3.25)
set(prefix "${WORK_DIR}/prefix")
file(REMOVE_RECURSE "${WORK_DIR}")

function(run expected)
  execute_process(COMMAND ${ARGN} OUTPUT_VARIABLE out OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  if(NOT out STREQUAL expected)
    message(FATAL_ERROR "${ARGN}\n  printed \"${out}\"\n  expected \"${expected}\"")
  endif()
endfunction()

execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${prefix}"
                OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND "${CMAKE_COMMAND}" -S "${CMAKE_CURRENT_LIST_DIR}" -B "${WORK_DIR}/consumer" -G "${GENERATOR}"
                        "-DCMAKE_PREFIX_PATH=${prefix}" "-DCMAKE_C_COMPILER=${C_COMPILER}"
                        "-DCMAKE_CXX_COMPILER=${CXX_COMPILER}" -DCMAKE_BUILD_TYPE=Release
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND "${CMAKE_COMMAND}" --build "${WORK_DIR}/consumer" --parallel 2 COMMAND_ERROR_IS_FATAL ANY)

# File names: OUTPUT_NAME, the build's name by default, and the installed
# decoders/ folder with the reference build under its name.
set(decoders "${prefix}/lib/tkdec/decoders")
foreach(file IN ITEMS "${WORK_DIR}/consumer/libwren.so" "${WORK_DIR}/consumer/libtkdec-wren.so"
                      "${decoders}/libtkdec-kestrelmax.so")
  if(NOT EXISTS "${file}")
    message(FATAL_ERROR "${file} was not made")
  endif()
endforeach()
if(EXISTS "${prefix}/bin/tkdec")
  execute_process(COMMAND "${prefix}/bin/tkdec" inspect --decoders "${decoders}"
                          "${CMAKE_CURRENT_LIST_DIR}/../../samples/kestrelmax.tkcap"
                  OUTPUT_VARIABLE out COMMAND_ERROR_IS_FATAL ANY)
  string(FIND "${out}" "libtkdec-kestrelmax.so (made for this build)" found)
  if(found EQUAL -1)
    message(FATAL_ERROR "tkdec inspect --decoders ${decoders} did not choose the installed decoder:\n${out}")
  endif()
endif()

set(reference_text "MbcPowerDomainDriver::initMemory:796 - memory controller 2 supports banks")
run("booted in 250 ms" "${WORK_DIR}/consumer/decode_wren" 48 0x10 fa000000)
run("${reference_text}" "${WORK_DIR}/consumer/decode_reference" 7376 0x94 02000000)

execute_process(COMMAND "${CMAKE_COMMAND}" -E env "PKG_CONFIG_PATH=${prefix}/lib/pkgconfig" pkg-config --cflags --libs tkdec
                OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
separate_arguments(flags UNIX_COMMAND "${flags}")
execute_process(COMMAND "${C_COMPILER}" "${CMAKE_CURRENT_LIST_DIR}/decode_record.c" ${flags} "-Wl,-rpath,${prefix}/lib"
                        -o "${WORK_DIR}/decode_pkg_config" COMMAND_ERROR_IS_FATAL ANY)
run("${reference_text}" "${WORK_DIR}/decode_pkg_config" 7376 0x94 02000000)

file(GLOB site_packages "${prefix}/lib/python3*/site-packages")
run("${reference_text}" "${CMAKE_COMMAND}" -E env --unset=TKDEC_LIBRARY "PYTHONPATH=${site_packages}"
    "${PYTHON}" -c "print(__import__('tkdec').Decoder().decode(7376, 0x94, bytes([2, 0, 0, 0])))")
