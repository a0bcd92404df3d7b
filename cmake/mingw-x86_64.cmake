# Cross-compiles for 64-bit Windows with the MinGW-w64 GCC of Debian's
# g++-mingw-w64-x86-64: the same library and host program, for machines
# whose Windows emulator runs only 64-bit programs.
set(TKDEC_MINGW_TRIPLET x86_64-w64-mingw32)
include("${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake")
