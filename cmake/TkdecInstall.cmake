# Install rules: the library with its header, the tool, the generator with
# the library's sources and tkdec_add_decoder (so that another project can
# build decoders of its own builds), the CMake config package
# (find_package(tkdec) gives tkdec::tkdec), tkdec.pc, and the Python package.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(TKDEC_INSTALL_CMAKEDIR "${CMAKE_INSTALL_LIBDIR}/cmake/tkdec")
set(TKDEC_INSTALL_DATADIR "${CMAKE_INSTALL_DATADIR}/tkdec")
execute_process(
    COMMAND "${Python3_EXECUTABLE}" -c
            "import sysconfig; print(sysconfig.get_path('purelib', 'posix_prefix', {'base': ''}).lstrip('/'))"
    OUTPUT_VARIABLE _python_dir OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
set(TKDEC_INSTALL_PYTHONDIR "${_python_dir}" CACHE STRING
    "Where the Python package is installed, relative to the prefix")

install(TARGETS tkdec EXPORT tkdecTargets
        LIBRARY DESTINATION "${CMAKE_INSTALL_LIBDIR}"
        RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}"
        ARCHIVE DESTINATION "${CMAKE_INSTALL_LIBDIR}"
        INCLUDES DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}")
install(FILES include/tkdec.h DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}")
if(TARGET tkdec_cli)
  file(RELATIVE_PATH _libdir_from_bindir "/${CMAKE_INSTALL_BINDIR}" "/${CMAKE_INSTALL_LIBDIR}")
  set_target_properties(tkdec_cli PROPERTIES INSTALL_RPATH "$ORIGIN/${_libdir_from_bindir}")
  install(TARGETS tkdec_cli RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
  # tkdec view's page and server.
  install(FILES viewer/index.html viewer/viewer.css viewer/viewer.js tools/viewer/server.py
          DESTINATION "${TKDEC_INSTALL_DATADIR}/viewer")
endif()

# What tkdec_add_decoder needs: the generator and the library's sources.
install(DIRECTORY tools/gen/ DESTINATION "${TKDEC_INSTALL_DATADIR}/gen"
        FILES_MATCHING PATTERN "*.py" PATTERN "__pycache__" EXCLUDE)
install(DIRECTORY src/ DESTINATION "${TKDEC_INSTALL_DATADIR}/src" FILES_MATCHING PATTERN "*.cpp" PATTERN "*.h")

install(EXPORT tkdecTargets NAMESPACE tkdec:: DESTINATION "${TKDEC_INSTALL_CMAKEDIR}")
set(TKDEC_INSTALL_GENERATOR "${TKDEC_INSTALL_DATADIR}/gen/tkdec_gen.py")
set(TKDEC_INSTALL_SOURCES "${TKDEC_INSTALL_DATADIR}/src")
configure_package_config_file(cmake/tkdecConfig.cmake.in "${PROJECT_BINARY_DIR}/tkdecConfig.cmake"
    INSTALL_DESTINATION "${TKDEC_INSTALL_CMAKEDIR}"
    PATH_VARS TKDEC_INSTALL_GENERATOR TKDEC_INSTALL_SOURCES CMAKE_INSTALL_INCLUDEDIR)
write_basic_package_version_file("${PROJECT_BINARY_DIR}/tkdecConfigVersion.cmake"
                                 COMPATIBILITY SameMajorVersion)
install(FILES "${PROJECT_BINARY_DIR}/tkdecConfig.cmake" "${PROJECT_BINARY_DIR}/tkdecConfigVersion.cmake"
              cmake/TkdecAddDecoder.cmake
        DESTINATION "${TKDEC_INSTALL_CMAKEDIR}")

# decoders/: the installed build's library under its build's name
# (libtkdec-<build name>.so, tkdec-<build name>.dll), the folder that
# `tkdec decode --decoders` reads. Installs of other builds into the same
# prefix add theirs beside it. On Linux it is a link to the library in lib/.
set(TKDEC_INSTALL_DECODERSDIR "${CMAKE_INSTALL_LIBDIR}/tkdec/decoders" CACHE STRING
    "Where the decoders/ folder of the installed builds lies, relative to the prefix")
_tkdec_build_name("${TKDEC_BUILD}" _build_name)
if(WIN32)
  install(FILES "$<TARGET_FILE:tkdec>" DESTINATION "${TKDEC_INSTALL_DECODERSDIR}" RENAME "tkdec-${_build_name}.dll")
else()
  file(RELATIVE_PATH _libdir_from_decoders "/${TKDEC_INSTALL_DECODERSDIR}" "/${CMAKE_INSTALL_LIBDIR}")
  string(REGEX REPLACE "/$" "" _libdir_from_decoders "${_libdir_from_decoders}")
  install(CODE "
    set(_decoders \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${TKDEC_INSTALL_DECODERSDIR}\")
    file(MAKE_DIRECTORY \"\${_decoders}\")
    message(STATUS \"Installing: \${_decoders}/libtkdec-${_build_name}.so\")
    file(CREATE_LINK \"${_libdir_from_decoders}/$<TARGET_SONAME_FILE_NAME:tkdec>\"
                     \"\${_decoders}/libtkdec-${_build_name}.so\" SYMBOLIC)")
endif()

# tkdec.pc names its prefix relative to its own folder, so the installed
# tree may be moved.
file(RELATIVE_PATH TKDEC_PC_PREFIX "/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/")
get_target_property(TKDEC_PC_LIBRARY tkdec OUTPUT_NAME)
configure_file(cmake/tkdec.pc.in "${PROJECT_BINARY_DIR}/tkdec.pc" @ONLY)
install(FILES "${PROJECT_BINARY_DIR}/tkdec.pc" DESTINATION "${CMAKE_INSTALL_LIBDIR}/pkgconfig")

# The Python package, with the place of the installed library beside it.
if(WIN32)
  set(_library_dir "${CMAKE_INSTALL_BINDIR}")
else()
  set(_library_dir "${CMAKE_INSTALL_LIBDIR}")
endif()
file(RELATIVE_PATH _library_from_package "/${TKDEC_INSTALL_PYTHONDIR}/tkdec" "/${_library_dir}")
string(REGEX REPLACE "/$" "" _library_from_package "${_library_from_package}")
file(GENERATE OUTPUT "${PROJECT_BINARY_DIR}/python/_installed.py"
     CONTENT "# Written by the install: where the library lies, relative to this folder.\nLIBRARY = \"${_library_from_package}/$<TARGET_FILE_NAME:tkdec>\"\n")
install(DIRECTORY python/tkdec DESTINATION "${TKDEC_INSTALL_PYTHONDIR}" PATTERN "__pycache__" EXCLUDE)
install(FILES "${PROJECT_BINARY_DIR}/python/_installed.py" DESTINATION "${TKDEC_INSTALL_PYTHONDIR}/tkdec")
