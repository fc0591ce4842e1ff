#!/usr/bin/env bash
# Installs everything both builds and all tests need on a Debian 12 machine.
# Idempotent: when every package is present it only checks and returns.
set -euo pipefail

PKGS=(cmake g++ make libgtest-dev googletest clang libclang-rt-14-dev
      g++-mingw-w64-i686 binutils-mingw-w64-i686
      wine wine32:i386 xvfb xdotool x11-utils fonts-ipafont-mincho
      imagemagick locales file xclip procps diffutils)

missing=()
for p in "${PKGS[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    SUDO=""
    if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
    echo "setup: installing ${missing[*]}"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        $SUDO dpkg --add-architecture i386
    fi
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update -qq
    $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
echo "setup: all packages present"
