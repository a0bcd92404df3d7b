#!/usr/bin/env bash
# Installs what the Windows DLL tests need: the MinGW-w64 cross compilers
# for 32- and 64-bit Windows, and wine. Quiet; does nothing when all are
# installed already. Needs root (or sudo) for apt-get.
#
# 32-bit wine (wine32:i386) needs Debian's i386 multiarch packages, which
# are not always installable beside the amd64 ones (a mirror may lag behind
# in versions), and enabling i386 makes every later apt-get update depend on
# those lists. So only wine64 is installed: the host test runs the 32-bit
# build where wine can start it, and otherwise the x86_64 build of the same
# sources. The 32-bit DLL is always built and its exports checked.
set -euo pipefail

packages=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64)

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
((${#missing[@]} == 0)) && exit 0

sudo=()
((EUID == 0)) || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
echo "Installing ${missing[*]}" >&2
# A list that fails to refresh is not fatal: the install says whether the
# packages could still be had.
"${sudo[@]}" apt-get update -qq >/dev/null || echo "apt-get update reported errors" >&2
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
