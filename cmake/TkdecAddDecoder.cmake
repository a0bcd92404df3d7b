# tkdec_add_decoder(NAME BUILD <path/to/build.json> [OUTPUT_NAME <name>])
#
# Builds the decoder library of one firmware build: the generator writes
# the build's tables into <current binary folder>/generated/NAME, and the
# library's sources are compiled with them into the shared library target
# NAME. Its file is named after the build (libtkdec-<build name>.so,
# tkdec-<build name>.dll: the "name" of the description), so that the
# decoders of several builds lie side by side in one folder; OUTPUT_NAME
# gives another name. The object library
# NAME_core holds the same objects, for programs that reach the library's
# internals. The generator runs again whenever a description file or the
# generator changes.
include_guard(GLOBAL)

# The generator, the library's sources and its public header: in the source
# tree they lie around this file; the installed package's config file names
# their installed places before it includes this module.
if(NOT DEFINED TKDEC_GENERATOR)
  cmake_path(ABSOLUTE_PATH CMAKE_CURRENT_LIST_DIR NORMALIZE OUTPUT_VARIABLE _tkdec_root)
  cmake_path(GET _tkdec_root PARENT_PATH _tkdec_root)
  set(TKDEC_GENERATOR "${_tkdec_root}/tools/gen/tkdec_gen.py")
  set(TKDEC_LIBRARY_SOURCE_DIR "${_tkdec_root}/src")
  set(TKDEC_INCLUDE_DIR "${_tkdec_root}/include")
endif()
set_property(GLOBAL PROPERTY TKDEC_GENERATOR "${TKDEC_GENERATOR}")
set_property(GLOBAL PROPERTY TKDEC_LIBRARY_SOURCE_DIR "${TKDEC_LIBRARY_SOURCE_DIR}")
set_property(GLOBAL PROPERTY TKDEC_INCLUDE_DIR "${TKDEC_INCLUDE_DIR}")

option(TKDEC_PACK_RELOCATIONS "Link decoder libraries with packed relative relocations where the linker can" ON)

function(tkdec_add_decoder NAME)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "BUILD;OUTPUT_NAME" "")
  if(NOT arg_BUILD)
    message(FATAL_ERROR "tkdec_add_decoder(${NAME}): BUILD <path/to/build.json> is required")
  endif()
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "tkdec_add_decoder(${NAME}): unknown arguments ${arg_UNPARSED_ARGUMENTS}")
  endif()
  cmake_path(ABSOLUTE_PATH arg_BUILD NORMALIZE)
  if(NOT Python3_EXECUTABLE)
    find_package(Python3 REQUIRED COMPONENTS Interpreter)
  endif()
  get_property(generator GLOBAL PROPERTY TKDEC_GENERATOR)
  get_property(source_dir GLOBAL PROPERTY TKDEC_LIBRARY_SOURCE_DIR)
  get_property(include_dir GLOBAL PROPERTY TKDEC_INCLUDE_DIR)

  set(out "${CMAKE_CURRENT_BINARY_DIR}/generated/${NAME}")
  _tkdec_generate("${generator}" "${arg_BUILD}" "${out}" generated_sources)

  file(GLOB library_sources CONFIGURE_DEPENDS "${source_dir}/*/*.cpp")
  add_library(${NAME}_core OBJECT ${library_sources} ${generated_sources})
  target_include_directories(${NAME}_core PUBLIC "${include_dir}" "${source_dir}" "${out}")
  target_compile_definitions(${NAME}_core PUBLIC TKDEC_BUILDING)
  target_compile_features(${NAME}_core PUBLIC cxx_std_20)
  if(NOT MSVC)
    target_compile_options(${NAME}_core PRIVATE -fno-exceptions -fno-rtti)
  endif()
  set_target_properties(${NAME}_core PROPERTIES POSITION_INDEPENDENT_CODE ON CXX_EXTENSIONS OFF
                        CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)

  add_library(${NAME} SHARED $<TARGET_OBJECTS:${NAME}_core>)
  target_include_directories(${NAME} INTERFACE "$<BUILD_INTERFACE:${include_dir}>")
  if(NOT arg_OUTPUT_NAME)
    _tkdec_build_name("${arg_BUILD}" build_name)
    set(arg_OUTPUT_NAME "tkdec-${build_name}")
  endif()
  set_target_properties(${NAME} PROPERTIES OUTPUT_NAME "${arg_OUTPUT_NAME}")
  _tkdec_link_options(${NAME})
endfunction()

# Sets VAR to the description's "name", with anything but letters, digits,
# '.', '_' and '-' made '_' so that it is a file name everywhere. A
# description without one is the generator's error to report.
function(_tkdec_build_name build var)
  file(READ "${build}" description)
  string(JSON name ERROR_VARIABLE error GET "${description}" name)
  if(error OR name STREQUAL "")
    set(name "unnamed")
  endif()
  string(REGEX REPLACE "[^A-Za-z0-9._-]" "_" name "${name}")
  set(${var} "${name}" PARENT_SCOPE)
endfunction()

# Runs the generator on BUILD into OUT when a description file or the
# generator changes; sets SOURCES_VAR to the generated sources.
function(_tkdec_generate generator build out sources_var)
  execute_process(COMMAND "${Python3_EXECUTABLE}" "${generator}" --outputs
                  OUTPUT_VARIABLE outputs OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND "${Python3_EXECUTABLE}" "${generator}" --inputs "${build}"
                  OUTPUT_VARIABLE inputs OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${build}" "${generator}")
  cmake_path(GET generator PARENT_PATH generator_dir)
  file(GLOB generator_sources CONFIGURE_DEPENDS "${generator_dir}/*.py" "${generator_dir}/tkgen/*.py")
  list(TRANSFORM outputs PREPEND "${out}/")
  add_custom_command(
      OUTPUT ${outputs}
      COMMAND "${Python3_EXECUTABLE}" "${generator}" --source-root "${PROJECT_SOURCE_DIR}" "${build}" "${out}"
      DEPENDS ${inputs} ${generator_sources}
      COMMENT "Generating the tables of ${build}"
      VERBATIM)
  list(FILTER outputs INCLUDE REGEX "\\.cpp$")
  set(${sources_var} ${outputs} PARENT_SCOPE)
endfunction()

function(_tkdec_link_options target)
  if(WIN32)
    # NAME.dll, as the host loads it: the functions marked TKDEC_API are its
    # only exports, nothing of the statically linked runtime.
    set_target_properties(${target} PROPERTIES PREFIX "")
    target_link_options(${target} PRIVATE -Wl,--exclude-all-symbols)
    return()
  endif()
  if(NOT CMAKE_CXX_FLAGS MATCHES "-fsanitize")
    # Sanitizer runtimes are resolved by the program that loads the library.
    target_link_options(${target} PRIVATE -Wl,--no-undefined)
  endif()
  # The generated tables hold tens of thousands of pointers, each one a
  # relocation of 24 bytes; packed relative relocations take a few bits each
  # (about a quarter of a full-size library). Loading them needs glibc 2.36.
  if(TKDEC_PACK_RELOCATIONS)
    include(CheckLinkerFlag)
    check_linker_flag(CXX "-Wl,-z,pack-relative-relocs" TKDEC_LINKER_PACKS_RELOCATIONS)
    if(TKDEC_LINKER_PACKS_RELOCATIONS)
      target_link_options(${target} PRIVATE -Wl,-z,pack-relative-relocs)
    endif()
  endif()
endfunction()
