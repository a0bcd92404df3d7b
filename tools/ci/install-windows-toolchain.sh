#!/usr/bin/env bash
# Installs what the Windows DLL tests need: the MinGW-w64 cross compilers
# for 32- and 64-bit Windows, and wine64, which runs the 64-bit builds.
# install-win32-runtime.sh adds 32-bit wine for the 32-bit builds.
exec bash "$(dirname "$0")/install-packages.sh" g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64
