#!/usr/bin/env bash
# Checks that a built utility is what ships: a Windows GUI program of the
# given width (32: PE32, Intel 80386; 64: PE32+, x86-64) that imports only
# DLLs every Windows has (statically linked: no compiler runtime DLLs).
# Prints one line saying what it found; exits non-zero when it is not so.
#
#   bash scripts/check-exe.sh EXE 32|64
set -uo pipefail
exe=$1 bits=$2
case $bits in
    32) want='PE32 executable (GUI) Intel 80386'; dump=i686-w64-mingw32-objdump ;;
    64) want='PE32+ executable (GUI) x86-64'; dump=x86_64-w64-mingw32-objdump ;;
    *) echo "usage: $0 EXE 32|64"; exit 2 ;;
esac
[ -f "$exe" ] || { echo "$exe is not built"; exit 1; }
kind=$(file -b "$exe")
case $kind in
    "$want"*) ;;
    *) echo "$exe is '$kind', not '$want'"; exit 1 ;;
esac
dlls=$($dump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | sort -f | tr '\n' ' ')
for d in $dlls; do
    case ${d,,} in
        # usp10.dll: Uniscribe, in every Windows since 2000 (the console shapes
        # characters past U+FFFF with it).
        kernel32.dll | user32.dll | gdi32.dll | imm32.dll | msvcrt.dll | shell32.dll | advapi32.dll | usp10.dll) ;;
        *) echo "$exe imports $d, which Windows does not ship (imports: $dlls)"; exit 1 ;;
    esac
done
echo "$exe: $want, imports only ${dlls% }"
