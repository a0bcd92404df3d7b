#!/usr/bin/env bash
# Installs what runs 32-bit Windows programs here, for the tests of the
# 32-bit tkdec.dll and tkdec.exe: 32-bit wine (wine32:i386 with its
# preloader, beside wine64) and, where the kernel does not run i386
# programs itself, qemu-i386 registered for them through binfmt_misc.
#
# Idempotent: each step says what it did or that it was already done.
# Where the machine cannot do it (not root, no binfmt_misc, no i386
# packages), it says why and exits 0: the tests that need 32-bit wine are
# then skipped.
#
# The i386 programs it checks with are made here: a static i386 ELF of a
# few bytes that exits with status 42, and a 32-bit hello.exe built with
# MinGW-w64.
set -uo pipefail

note() { echo "install-win32-runtime: $*"; }
give_up() {
    note "$*; the 32-bit Windows tests will be skipped"
    exit 0
}

here=$(dirname "$0")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The i386 ELF: one loadable segment whose code is
#   mov ebx, 42; xor eax, eax; inc eax; int 0x80   (exit(42))
python3 - "$work/exit42" <<'EOF'
import struct, sys
code = bytes.fromhex("bb2a00000031c040cd80")
base, size = 0x08048000, 52 + 32 + len(code)
header = b"\x7fELF\x01\x01\x01" + bytes(9)
header += struct.pack("<HHIIIIIHHHHHH", 2, 3, 1, base + 84, 52, 0, 0, 52, 32, 1, 0, 0, 0)
segment = struct.pack("<IIIIIIII", 1, 0, base, base, size, size, 5, 0x1000)
with open(sys.argv[1], "wb") as f:
    f.write(header + segment + code)
EOF
chmod +x "$work/exit42"
runs_i386() {
    "$work/exit42" 2>/dev/null
    [[ $? == 42 ]]
}

if ((EUID != 0)); then
    give_up "needs root (binfmt_misc and apt-get)"
fi
if [[ $(uname -m) != x86_64 ]]; then
    give_up "wine32 beside wine64 is set up for x86_64 machines only, this one is $(uname -m)"
fi

# 1. i386 programs: natively, or through qemu-i386.
binfmt=/proc/sys/fs/binfmt_misc
if [[ $(cat "$binfmt/qemu-i386" 2>/dev/null) == enabled* ]] && runs_i386; then
    note "i386 programs run through qemu-i386, registered already"
elif runs_i386; then
    note "i386 programs run natively"
else
    bash "$here/install-packages.sh" qemu-user-static || give_up "qemu-user-static cannot be installed"
    if [[ ! -e $binfmt/register ]]; then
        if ! grep -qw binfmt_misc /proc/filesystems; then
            modprobe binfmt_misc 2>/dev/null || true
        fi
        if mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null; then
            note "mounted binfmt_misc on $binfmt"
        else
            give_up "the kernel refuses i386 programs and binfmt_misc cannot be mounted"
        fi
    fi
    # The magic and mask of an i386 ELF executable or shared object (those
    # of qemu's binfmt configuration script). F: the kernel opens the
    # interpreter now, so that it is found inside containers and chroots.
    if [[ -e $binfmt/qemu-i386 ]]; then
        echo 1 >"$binfmt/qemu-i386" 2>/dev/null
        note "qemu-i386 was registered already; enabled it"
    else
        magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
        mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
        if echo ":qemu-i386:M::$magic:$mask:/usr/bin/qemu-i386-static:F" >"$binfmt/register" 2>/dev/null; then
            note "registered /usr/bin/qemu-i386-static for i386 programs in binfmt_misc"
        else
            give_up "binfmt_misc refused the registration of qemu-i386"
        fi
    fi
    runs_i386 || give_up "the i386 test program does not run even through qemu-i386"
    note "an i386 program now runs through qemu-i386 and exits with its own status"
fi

# 2. 32-bit wine beside wine64.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386 || give_up "dpkg cannot add the i386 architecture"
    note "added the i386 architecture to dpkg"
fi
if bash "$here/install-packages.sh" wine wine64 wine32:i386 wine32-preloader:i386 gcc-mingw-w64-i686; then
    note "wine32, its preloader, wine64 and the 32-bit MinGW-w64 compiler are installed"
else
    give_up "wine32:i386 cannot be installed beside wine64 (the mirror's i386 versions may lag behind)"
fi

# 3. A 32-bit Windows program under wine: the first start also makes the
# prefix, which takes most of the time here.
cat >"$work/hello.c" <<'EOF'
#include <stdio.h>
int main(void) {
    printf("hello from %d-bit Windows\n", (int)(sizeof(void *) * 8));
    return 0;
}
EOF
i686-w64-mingw32-gcc -O1 -s -o "$work/hello.exe" "$work/hello.c" ||
    give_up "i686-w64-mingw32-gcc cannot build hello.exe"
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
said=$(cd "$work" && timeout 300 wine hello.exe </dev/null 2>&1)
timeout 60 wineserver -k 2>/dev/null
if [[ $said != *"hello from 32-bit Windows"* ]]; then
    give_up "32-bit wine does not run hello.exe (it said: ${said:0:300})"
fi
note "32-bit wine runs hello.exe, which says: $(grep -o 'hello from .*Windows' <<<"$said")"
