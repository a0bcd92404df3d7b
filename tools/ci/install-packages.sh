#!/usr/bin/env bash
# Installs the Debian packages named as arguments that are not installed
# yet. Quiet; does nothing when all are there. Needs root (or sudo) for
# apt-get.
set -euo pipefail

missing=()
for package in "$@"; do
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
"${sudo[@]}" apt-get -o DPkg::Lock::Timeout=900 install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
