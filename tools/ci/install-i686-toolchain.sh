#!/usr/bin/env bash
# Installs what the 32-bit unit tests need: the i686 Linux cross compiler,
# qemu-i386 to run its programs, and the GoogleTest sources that the cross
# build compiles.
exec bash "$(dirname "$0")/install-packages.sh" g++-i686-linux-gnu qemu-user googletest
