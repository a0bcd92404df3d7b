#!/usr/bin/env bash
# Installs what the Windows DLL tests need: the MinGW-w64 cross compilers
# for 32- and 64-bit Windows, and wine.
#
# 32-bit wine (wine32:i386) needs Debian's i386 multiarch packages, which
# are not always installable beside the amd64 ones (a mirror may lag behind
# in versions), and enabling i386 makes every later apt-get update depend on
# those lists. So only wine64 is installed: the host test runs the 32-bit
# build where wine can start it, and otherwise the x86_64 build of the same
# sources. The 32-bit DLL is always built and its exports checked.
exec bash "$(dirname "$0")/install-packages.sh" g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64
