#!/usr/bin/env bash
# The 32-bit product end to end on a machine that runs no 32-bit programs:
# Wine's 32-bit loader under CPU emulation (qemu-user-static, registered for
# i386 programs through binfmt_misc for this run only). Sets up a 32-bit
# prefix, starts build/win32/app/linewrap.exe on an X display, answers the
# four questions, waits for the output of a few items, checks it byte for
# byte, closes the window and checks the exit code.
#
#   bash scripts/emulated-32.sh [WIN32_BUILD_DIR]
#
# Prints "[emulated-32] PASS ...", "[emulated-32] FAIL ..." (exit 1), or
# "[emulated-32] SKIP why" (exit 3) when emulation can't be had here: its
# packages can't be installed, binfmt_misc can't be used, or a step takes
# longer than its bound (everything here is bounded: about 15 minutes at
# most). Emulated, a new prefix takes minutes and the window about a
# minute and a half to appear.
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="$(cd "${1:-$ROOT/build/win32}" && pwd)" || exit 2
ITEMS=${EMULATED_ITEMS:-200}
OUT="$BUILD/emulated"
BINFMT=/proc/sys/fs/binfmt_misc
REGISTERED=0
T0=$(date +%s)

say() { echo "[emulated-32] $*"; }
skip() { say "SKIP $*"; exit 3; }
fail() { say "FAIL $*"; exit 1; }
took() { echo "$(($(date +%s) - T0)) s"; }

[ -f "$BUILD/app/linewrap.exe" ] || fail "$BUILD/app/linewrap.exe is not built"
[ -f "$BUILD/tests/gui/prompt_close.exe" ] || fail "$BUILD/tests/gui/prompt_close.exe is not built"

# ------------------------------------------------------------------ set-up
bash "$ROOT/scripts/setup.sh" --emulated-32 >"$OUT.setup.log" 2>&1
case $? in
    0) ;;
    3) skip "qemu-user-static and wine32:i386 could not be installed: $(sed -n 's/^setup:   //p' "$OUT.setup.log" | sort -u | grep -v 'Some index files' | head -2 | tr '\n' ' ')" ;;
    *) skip "set-up failed: $(tail -3 "$OUT.setup.log" | tr '\n' ' ')" ;;
esac

unregister() {
    [ $REGISTERED = 1 ] && echo -1 >"$BINFMT/qemu-i386" 2>/dev/null
    REGISTERED=0
}
if [ ! -e "$BINFMT/register" ]; then
    mount -t binfmt_misc binfmt_misc "$BINFMT" 2>/dev/null || skip "binfmt_misc can't be mounted (needs root)"
fi
if [ ! -e "$BINFMT/qemu-i386" ]; then
    # ELF, 32-bit, little-endian, executable or shared object, Intel 80386.
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
        >"$BINFMT/register" 2>/dev/null || skip "i386 programs can't be registered with binfmt_misc"
    REGISTERED=1
fi

HELPERS="$BUILD/tests/gui"
HELPER_LIMIT=200  # an emulated helper takes tens of seconds to start
export BUILD
. "$ROOT/scripts/window-driver.sh"
# The prefix of this run only, so that nothing else ever waits on emulation.
export WINEPREFIX="$BUILD/wineprefix-emulated"
trap 'driver_cleanup; unregister' EXIT
xvfb_start || skip "no X display"
STARTED_X=1
wineserver -k 2>/dev/null
if ! timeout -k 10 600 bash -c '. "$1/scripts/wine-env.sh"; export WINEPREFIX="$2"; wine_env_prepare' _ "$ROOT" "$WINEPREFIX"; then
    skip "the emulated 32-bit prefix was not ready within 600 s ($(took) in all)"
fi
say "32-bit prefix ready after $(took)"
wineserver -p; STARTED_SERVER=1

# -------------------------------------------------------------------- run
rm -rf "$OUT"; mkdir -p "$OUT"
awk -v n="$ITEMS" 'BEGIN { for (i = 1; i <= n; i++) printf "item%d rest of line\r\n", i }' >"$OUT/in.txt"
awk -v n="$ITEMS" 'BEGIN { for (i = 1; i <= n; i++) printf "<item%d>\r\n", i }' >"$OUT/expected.txt"
LIMIT=900 start_program "$OUT" "$BUILD/app/linewrap.exe"
pid=$RUN_PID
win=""
for _ in $(seq 1 12); do
    win=$(window_id)
    [ -n "$win" ] && break
    kill -0 "$pid" 2>/dev/null || break
done
if [ -z "$win" ]; then
    kill -0 "$pid" 2>/dev/null && skip "no window within 240 s of the start ($(took) in all)"
    wait_exit "$pid" 1
    fail "no window appeared (exit code $EXIT_RC)"
fi
say "window after $(took)"
# Each answer once its question waits for a line (the caret shows it), as a
# user would: under emulation everything is slow, and the run should not
# lean on type-ahead.
for a in in.txt out.txt '<' '>'; do
    helper prompt_inspect --caret on 120000 >/dev/null || fail "no caret for the answer '$a' ($(took))"
    type_text "$a"; key Return
done
for ((i = 0; i < 3000; i++)); do
    cmp -s "$OUT/out.txt" "$OUT/expected.txt" && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
cmp -s "$OUT/out.txt" "$OUT/expected.txt" ||
    fail "out.txt is not the $ITEMS expected lines ($(wc -l <"$OUT/out.txt" 2>/dev/null || echo no) lines)"
helper prompt_close >/dev/null || fail "prompt_close found no window"
wait_exit "$pid" 120
[ "$EXIT_RC" = 0 ] || fail "exit code $EXIT_RC after closing"
say "PASS the 32-bit product under CPU emulation: $ITEMS items, output byte for byte, exit code 0 ($(took) in all)"
