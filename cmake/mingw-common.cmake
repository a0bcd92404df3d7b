# Settings shared by the MinGW-w64 toolchain files; TKDEC_MINGW_TRIPLET
# names the target.
set(CMAKE_SYSTEM_NAME Windows)
string(REGEX REPLACE "-.*" "" CMAKE_SYSTEM_PROCESSOR "${TKDEC_MINGW_TRIPLET}")

set(CMAKE_C_COMPILER ${TKDEC_MINGW_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${TKDEC_MINGW_TRIPLET}-g++)
set(CMAKE_RC_COMPILER ${TKDEC_MINGW_TRIPLET}-windres)
set(CMAKE_OBJDUMP ${TKDEC_MINGW_TRIPLET}-objdump CACHE FILEPATH "objdump of the target")

set(CMAKE_FIND_ROOT_PATH /usr/${TKDEC_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No MinGW runtime DLL beside the library: libgcc, libstdc++ and the
# threads library are linked in, so only Windows' own DLLs are imported.
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
