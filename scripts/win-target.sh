# Sourced: decides, in one place, which Windows build this machine's Wine
# runs. The 32-bit build (build/win32, cmake/mingw-i686.cmake) is the
# product, run where Wine's 32-bit side starts. Where it cannot (the kernel
# runs no 32-bit programs, or the 32-bit Wine could not be installed), the
# window tests, the benchmark and scripts/run.sh use the same sources built
# for 64-bit Windows (build/win64, cmake/mingw-x86_64.cmake) under Wine's
# 64-bit loader.
#
# Two probes. The kernel's: a tiny static i386 Linux program made with the
# machine's own binutils. Wine's: its 32-bit server and loader both report
# their version (the loader's answer comes from the 32-bit ntdll, so the
# 32-bit libraries load too); a few milliseconds, no prefix needed.
#
# win_target_choose sets
#   WIN_TARGET     win32 or win64
#   WIN_BUILD      the build folder, under ROOT
#   WIN_TOOLCHAIN  its CMake toolchain file
#   WIN_WHY        one line saying why
#   WIN_RUNS_32    1 when this machine's kernel runs 32-bit programs, else 0
# LINEWRAP_WIN=win32 or win64 in the environment overrides the choice.
# win_target_configure DIR configures a Windows build folder: with
# WIN_TOOLCHAIN when it is new, else with the toolchain it has.

win_runs_32bit() {
    local d rc=1
    # i386 programs handed to an emulator (binfmt_misc) do not count.
    grep -qx enabled /proc/sys/fs/binfmt_misc/qemu-i386 2>/dev/null && return 1
    d=$(mktemp -d) || return 1
    if printf '.globl _start\n_start: movl $1,%%eax\nxorl %%ebx,%%ebx\nint $0x80\n' |
            as --32 -o "$d/t.o" - 2>/dev/null &&
        ld -m elf_i386 "$d/t.o" -o "$d/t32" 2>/dev/null; then
        "$d/t32" 2>/dev/null && rc=0
    fi
    rm -rf "$d"
    return $rc
}

# Prints why Wine's 32-bit side does not start, or nothing (exit 0) when it does.
win_wine32_fails() {
    local d=/usr/lib/wine out
    if [ ! -x "$d/wineserver32" ] || [ ! -x "$d/wine" ]; then
        echo "the 32-bit Wine (wine32:i386) is not installed"; return 1
    fi
    if ! out=$(timeout 20 "$d/wineserver32" --version 2>&1) ||
            ! out=$(WINEDEBUG=-all timeout 20 "$d/wine" --version 2>&1); then
        echo "the 32-bit Wine is installed but does not start ($(echo "$out" | head -1))"; return 1
    fi
}

win_target_choose() {
    local root=${ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)} why32
    if win_runs_32bit; then
        WIN_RUNS_32=1
        if why32=$(win_wine32_fails); then
            WIN_TARGET=win32
            WIN_WHY="this machine runs 32-bit programs and Wine's 32-bit side starts, so Wine runs the 32-bit product itself"
        else
            WIN_TARGET=win64
            WIN_WHY="this machine runs 32-bit programs, but $why32, so Wine runs the 64-bit build of the same sources"
        fi
    else
        WIN_RUNS_32=0
        WIN_TARGET=win64
        WIN_WHY="this machine runs no 32-bit programs (a static i386 test program fails to start), so Wine runs the 64-bit build of the same sources"
    fi
    case "${LINEWRAP_WIN:-}" in
        win32 | win64)
            if [ "$LINEWRAP_WIN" != "$WIN_TARGET" ]; then
                WIN_TARGET=$LINEWRAP_WIN
                WIN_WHY="LINEWRAP_WIN=$LINEWRAP_WIN chose it"
            fi ;;
    esac
    WIN_BUILD="$root/build/$WIN_TARGET"
    if [ "$WIN_TARGET" = win64 ]; then
        WIN_TOOLCHAIN="$root/cmake/mingw-x86_64.cmake"
    else
        WIN_TOOLCHAIN="$root/cmake/mingw-i686.cmake"
    fi
    export WIN_TARGET WIN_BUILD WIN_TOOLCHAIN WIN_WHY WIN_RUNS_32
}

win_target_configure() {  # dir: configures it, keeping the toolchain of a folder already configured
    local tc=()
    [ -f "$1/CMakeCache.txt" ] || tc=(-DCMAKE_TOOLCHAIN_FILE="$WIN_TOOLCHAIN")
    cmake -S "${ROOT:-.}" -B "$1" "${tc[@]}" -DCMAKE_BUILD_TYPE=Release >/dev/null
}
