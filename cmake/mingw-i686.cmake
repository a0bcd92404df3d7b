# Cross-compiles for 32-bit Windows (the log viewer host's platform) with
# the MinGW-w64 GCC of Debian's g++-mingw-w64-i686.
set(TKDEC_MINGW_TRIPLET i686-w64-mingw32)
include("${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake")
