#!/usr/bin/env bash
# Installs everything both builds and all tests need on a Debian 12 machine.
# Idempotent: when every package is present it only checks and returns.
#
# Both Windows compilers are always installed: the 32-bit one builds the
# product, the 64-bit one the build that Wine runs where this machine runs
# no 32-bit programs. The 32-bit Wine (wine32:i386, and with it the i386
# architecture) is asked for only where 32-bit programs can run.
#
# `apt-get update` is tried a few times. An index that stays out of step (a
# mirror mid-sync) is not fatal by itself: the install goes on with the
# indexes that did load, and only a package that then cannot be installed
# stops the set-up, with apt's own words.
#
#   bash scripts/setup.sh [--emulated-32]
#
# --emulated-32 adds what the 32-bit product needs to run under CPU
# emulation (qemu-user-static, wine32:i386); its failure is told, not fatal.
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
. "$ROOT/scripts/win-target.sh"

PKGS=(cmake g++ make libgtest-dev googletest clang libclang-rt-14-dev
      g++-mingw-w64-i686 binutils-mingw-w64-i686
      g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
      wine wine64 xvfb xdotool x11-utils fonts-ipafont-mincho
      imagemagick locales file xclip procps diffutils libx11-dev)
EXTRA=()
if win_runs_32bit; then PKGS+=(wine32:i386); fi
if [ "${1:-}" = --emulated-32 ]; then EXTRA=(qemu-user-static wine32:i386); fi

export LC_ALL=C  # apt's messages in English, whatever locale the caller set
SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
export DEBIAN_FRONTEND=noninteractive

missing_of() {
    local p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
    done
}

UPDATED=0
apt_update() {
    [ $UPDATED = 1 ] && return 0
    UPDATED=1
    local i
    for i in 1 2 3; do
        if $SUDO apt-get update -qq 2>"$ROOT/build/apt-update.err"; then return 0; fi
        echo "setup: apt-get update failed (try $i of 3):"
        grep -E '^(E|W):' "$ROOT/build/apt-update.err" | head -5 | sed 's/^/setup:   /'
        [ $i -lt 3 ] && sleep $((i * 10))
    done
    echo "setup: going on with the package indexes that did load"
}

install_once() {  # packages...
    $SUDO apt-get install -y -qq --no-install-recommends "$@" >"$ROOT/build/apt-install.log" 2>&1
}
install() {  # packages...
    install_once "$@" && return 0
    # One more try after a fresh look at the indexes: a mirror may have
    # caught up since.
    UPDATED=0; apt_update
    install_once "$@"
}

mkdir -p "$ROOT/build"
if printf '%s\n' "${PKGS[@]}" "${EXTRA[@]}" | grep -q ':i386$' &&
        ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
fi

# Installs what of the packages is missing (the way to install: install or
# install_once); on failure says which and why, and exits with code.
ensure() {  # what how code packages...
    local what=$1 how=$2 code=$3
    shift 3
    local missing=($(missing_of "$@"))
    [ ${#missing[@]} -gt 0 ] || return 0
    echo "setup: installing ${missing[*]}$what"
    apt_update
    if ! $how "${missing[@]}"; then
        echo "setup: could not install ${missing[*]}:"
        grep -E '^(E|W):|Depends:|but' "$ROOT/build/apt-install.log" | head -20 | sed 's/^/setup:   /'
        exit "$code"
    fi
}

ensure "" install 1 "${PKGS[@]}"
echo "setup: all packages present"
ensure " for the emulated 32-bit run" install_once 3 "${EXTRA[@]}"
exit 0
