#!/usr/bin/env bash
# Sets up the machine, builds the Windows executable and launches it under
# Wine with the Japanese ANSI code page. A window needs an X display: the
# current $DISPLAY is used; without one, a virtual display (Xvfb) is started
# and a screenshot of the window is saved every few seconds to
# build/run-screenshot.png until the program ends.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
cd "$ROOT"
bash scripts/setup.sh
BUILD="$ROOT/build/win32"
cmake -S . -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BUILD" -j"$(nproc)" --target linewrap
. scripts/wine-env.sh
. scripts/xvfb.sh
if [ -z "${DISPLAY:-}" ]; then
    xvfb_start
    echo "run: no DISPLAY; running on the virtual display $DISPLAY."
    echo "run: screenshots go to build/run-screenshot.png; type with: DISPLAY=$DISPLAY xdotool type 'text'"
    ( while sleep 3; do import -window root "$ROOT/build/run-screenshot.png" 2>/dev/null || break; done ) &
    SHOTS=$!
    trap 'kill $SHOTS 2>/dev/null; xvfb_stop' EXIT
fi
wine_env_prepare
echo "run: $BUILD/app/linewrap.exe (close its window to end it)"
cd "${RUN_DIR:-$ROOT/examples}"
wine "$BUILD/app/linewrap.exe"
