#!/usr/bin/env bash
# Installs what the 32-bit unit tests need: the i686 Linux cross compiler,
# qemu-i386 to run its programs, and the GoogleTest sources that the cross
# build compiles. Quiet; does nothing when all are installed already. Needs
# root (or sudo) for apt-get.
set -euo pipefail

packages=(g++-i686-linux-gnu qemu-user googletest)

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
"${sudo[@]}" apt-get update -qq >/dev/null || echo "apt-get update reported errors" >&2
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
