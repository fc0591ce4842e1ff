#!/usr/bin/env bash
# Installs everything both builds and all tests need on a Debian 12 machine.
# Idempotent: when every package is present it only checks and returns.
#
# Two steps, so that the 32-bit Wine can never stop the rest:
#  1. what every build needs: compilers (both Windows ones: the 32-bit one
#     builds the product, the 64-bit one the build Wine runs where its
#     32-bit side cannot start), the 64-bit Wine, the X and test tools.
#     Failing here is fatal (exit 1).
#  2. the 32-bit Wine (wine32:i386, and with it the i386 architecture),
#     asked for only where the kernel runs 32-bit programs, or with
#     --emulated-32 (then with qemu-user-static, for the run under CPU
#     emulation). Failing here is told in one line with apt's reason; the
#     tests then run the 64-bit build (scripts/win-target.sh), and with
#     --emulated-32 the exit code is 3.
#
# `apt-get update` is tried a few times. An index that stays out of step (a
# mirror mid-sync) is not fatal by itself: the install goes on with the
# indexes that did load. When an install fails, it is tried again with the
# release's own suite preferred (-t <codename>): a lagging security index
# can leave apt knowing amd64 builds of a library with no i386 twin of the
# same version, while the release suite has both.
#
#   bash scripts/setup.sh [--emulated-32]
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
. "$ROOT/scripts/win-target.sh"

PKGS=(cmake g++ make libgtest-dev googletest clang libclang-rt-14-dev
      g++-mingw-w64-i686 binutils-mingw-w64-i686
      g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
      wine wine64 xvfb xdotool x11-utils fonts-ipafont-mincho
      fonts-nanum fonts-wqy-zenhei fonts-symbola
      imagemagick locales file xclip procps diffutils libx11-dev)
PKGS32=()
EMULATED=0
if [ "${1:-}" = --emulated-32 ]; then
    EMULATED=1; PKGS32=(qemu-user-static wine32:i386)
elif win_runs_32bit; then
    PKGS32=(wine32:i386)
fi

export LC_ALL=C  # apt's messages in English, whatever locale the caller set
SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
export DEBIAN_FRONTEND=noninteractive
CODENAME=$(. /etc/os-release 2>/dev/null; echo "${VERSION_CODENAME:-}")
LOG="$ROOT/build/apt-install.log"
mkdir -p "$ROOT/build"

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

install_once() {  # [apt options] packages...
    $SUDO apt-get install -y -qq --no-install-recommends "$@" >"$LOG" 2>&1
}
FRESHENED=0
install() {  # packages...
    rm -f "$LOG.tries"
    install_once "$@" && return 0
    cat "$LOG" >>"$LOG.tries"
    if [ -n "$CODENAME" ]; then
        echo "setup: installing failed; trying again with the release's own suite preferred (-t $CODENAME)"
        install_once -t "$CODENAME" "$@" && return 0
        cat "$LOG" >>"$LOG.tries"
    fi
    # Last, once per set-up, a fresh look at the indexes: a mirror may have
    # caught up since.
    if [ $FRESHENED = 0 ]; then
        FRESHENED=1; UPDATED=0; apt_update
        install_once "$@" && return 0
        cat "$LOG" >>"$LOG.tries"
    fi
    mv "$LOG.tries" "$LOG"
    return 1
}

# apt's reason for a failed install, at most N lines, from all its tries:
# what it could not satisfy first, then its verdicts.
apt_reason() {  # N
    { grep -E 'Depends:|Conflicts:|Breaks:' "$LOG"; grep -E '^E:' "$LOG"; } |
        sed 's/^ *//' | awk '!seen[$0]++' | head -"$1"
}

add_i386() {
    dpkg --print-foreign-architectures | grep -qx i386 && return 0
    $SUDO dpkg --add-architecture i386
    UPDATED=0
}

missing=($(missing_of "${PKGS[@]}"))
missing32=($(missing_of "${PKGS32[@]}"))

# A Multi-Arch "same" library must have one version in both architectures.
# Were the first step to install, say, the security suite's amd64 build of
# one whose i386 twin the mirror lacks, no later step could add the 32-bit
# Wine without a downgrade. So where both are wanted, they are first asked
# for together; only if that fails do the two steps go their own ways.
if [ ${#missing[@]} -gt 0 ] && [ ${#missing32[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]} ${missing32[*]}"
    add_i386
    apt_update
    if install "${missing[@]}" "${missing32[@]}"; then
        missing=(); missing32=()
    else
        echo "setup: now without the 32-bit packages, which are tried on their own afterwards"
    fi
fi

# Step 1: fatal on failure.
if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    apt_update
    if ! install "${missing[@]}"; then
        echo "setup: could not install ${missing[*]}:"
        apt_reason 20 | sed 's/^/setup:   /'
        exit 1
    fi
fi
echo "setup: the packages every build needs are present"

# Step 2: the 32-bit Wine; never fatal for the tests.
[ ${#PKGS32[@]} -gt 0 ] || exit 0
if [ ${#missing32[@]} -gt 0 ]; then
    what="the 32-bit Wine"; [ $EMULATED = 1 ] && what="the emulated 32-bit run's packages"
    echo "setup: installing ${missing32[*]} ($what)"
    add_i386
    apt_update
    if ! install "${missing32[@]}"; then
        if [ $EMULATED = 1 ]; then
            echo "setup: could not install ${missing32[*]}:"
            apt_reason 20 | sed 's/^/setup:   /'
            exit 3
        fi
        echo "setup: the 32-bit Wine could not be installed (apt: $(apt_reason 2 | paste -sd'|' | sed 's/|/; /g')); the Windows tests will run the 64-bit build (apt's words: build/apt-install.log)"
        exit 0
    fi
fi
echo "setup: ${PKGS32[*]} present"
exit 0
