#!/usr/bin/env bash
# Sets up the machine, builds the Windows executable and launches it under
# Wine with the Japanese ANSI code page: the 32-bit product where this
# machine runs 32-bit programs, else the 64-bit build of the same sources
# (scripts/win-target.sh decides, and this says which). A window needs an
# X display: the current $DISPLAY is used; without one, a virtual display
# (Xvfb) is started and a screenshot of the window is saved every few
# seconds to build/run-screenshot.png until the program ends.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
cd "$ROOT"
bash scripts/setup.sh
. scripts/win-target.sh
win_target_choose
BUILD="$WIN_BUILD"
echo "run: the $WIN_TARGET build: $WIN_WHY"
if [ "$WIN_TARGET" = win64 ]; then
    echo "run: (the product for Windows is the 32-bit build/win32/app/linewrap.exe; scripts/test.sh builds it)"
fi
win_target_configure "$BUILD"
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
