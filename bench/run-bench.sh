#!/usr/bin/env bash
# Benchmark of the whole utility, win32 build under Wine on an X display
# (Xvfb when there is none), with its console window open: for each size a
# generated input file of that many items ("wordN more words here", one item
# a line, so every item is cut at its first blank), the four questions typed
# with xdotool, and the time from the last answer's Enter until the output
# file has its full, known size. Prints items per second per size, then
# closes the window and checks exit code 0 and the output bytes.
#
#   bash bench/run-bench.sh [WIN32_BUILD_DIR] [--million] [--sizes "N N ..."]
#
# WIN32_BUILD_DIR defaults to build/win32 (configured and built here: only
# the executable and the two helper programs it needs). Sizes default to
# 1000 10000 100000; 1000000 follows when --million is given or when the
# 100000 run predicts it finishes within ten minutes. Files go to
# WIN32_BUILD_DIR/bench-runs/. Not a test: neither CTest nor scripts/test.sh runs
# it. The host side (call counts per item) is bench/host-bench.sh.
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="$ROOT/build/win32"
MILLION=0
SIZES="1000 10000 100000"
while [ $# -gt 0 ]; do
    case "$1" in
        --million) MILLION=1 ;;
        --sizes) SIZES="$2"; shift ;;
        -*) echo "usage: $0 [WIN32_BUILD_DIR] [--million] [--sizes \"N N ...\"]" >&2; exit 2 ;;
        *) mkdir -p "$1" && BUILD="$(cd "$1" && pwd)" || exit 2 ;;
    esac
    shift
done
OUT="$BUILD/bench-runs"
APP="$BUILD/app/linewrap.exe"
HELPERS="$BUILD/tests/gui"
TEN_MINUTES_MS=600000

note() { echo "[bench] $*"; }

# ------------------------------------------------------------------ build

cmake -S "$ROOT" -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null || exit 1
cmake --build "$BUILD" -j2 --target linewrap prompt_inspect prompt_close >/dev/null || {
    echo "[bench] build failed" >&2
    exit 1
}

. "$ROOT/scripts/window-driver.sh"

mkdir -p "$OUT"
driver_begin || { echo "[bench] no X display" >&2; exit 1; }

# ------------------------------------------------ driving the real window
# As scripts/gui-tests.sh does it, with the functions of window-driver.sh.

# Answers the questions, each once its caret shows that a line is
# requested; ENTER_NS is the time of the last Enter.
answer() {
    local a
    for a in "$@"; do
        helper prompt_inspect --caret on 10000 >/dev/null || return 1
        [ -n "$a" ] && type_text "$a"
        key Return
        ENTER_NS=$(date +%s%N)
    done
}

size_of() { stat -c %s "$1" 2>/dev/null || echo 0; }

# ------------------------------------------------------------------ a run

# One size: RATE (items per second) and MS (milliseconds) on success.
run_size() {  # items limit-seconds
    local n=$1 dir="$OUT/run-$1"
    LIMIT=$2
    rm -rf "$dir"; mkdir -p "$dir"
    awk -v n="$n" -v in_file="$dir/in.txt" -v exp_file="$dir/expected.txt" 'BEGIN {
        for (i = 1; i <= n; i++) {
            printf "word%d more words here\r\n", i > in_file
            printf "[word%d]\r\n", i > exp_file
        }
    }'
    local want
    want=$(size_of "$dir/expected.txt")

    start_program "$dir" "$APP"
    local pid=$RUN_PID
    if [ -z "$(window_id)" ]; then
        wait_exit "$pid" 1
        note "$n items: FAILED, no window appeared"
        return 1
    fi
    if ! answer in.txt out.txt '[' ']'; then
        wait_exit "$pid" 1
        note "$n items: FAILED, a question was not asked in time"
        return 1
    fi
    # The output file grows to its known size; polled every 20 ms, bounded
    # by the program's own time limit.
    local done_ns=0 until=$(($(date +%s) + LIMIT))
    while [ "$(date +%s)" -lt $until ]; do
        if [ "$(size_of "$dir/out.txt")" = "$want" ]; then done_ns=$(date +%s%N); break; fi
        sleep 0.02
    done
    local why=""
    if [ $done_ns = 0 ]; then
        why="the output file has $(size_of "$dir/out.txt") of $want bytes after ${LIMIT} s; "
    else
        MS=$(((done_ns - ENTER_NS) / 1000000))
        [ "$MS" -gt 0 ] || MS=1
        RATE=$((n * 1000 / MS))
    fi
    # The window stays open after osimai until it is closed.
    sleep 0.5
    helper prompt_close >/dev/null || why+="prompt_close found no window; "
    wait_exit "$pid" 20
    [ "$EXIT_RC" = 0 ] || why+="exit code $EXIT_RC after closing; "
    cmp -s "$dir/out.txt" "$dir/expected.txt" || why+="output differs from the expected bytes; "
    if [ -n "$why" ]; then
        note "$n items: FAILED: $why"
        return 1
    fi
    printf '[bench] %9d items %10.3f s %10d items/s   (exit code 0, output checked)\n' \
        "$n" "$(awk -v ms="$MS" 'BEGIN { printf "%.3f", ms / 1000 }')" "$RATE"
    rm -f "$dir/in.txt" "$dir/out.txt" "$dir/expected.txt"
    return 0
}

# --------------------------------------------------------------------- run

note "win32 build $BUILD, Wine $(wine --version 2>/dev/null), display $DISPLAY, $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
note "item \"wordN more words here\", mae \"[\", ato \"]\"; time from the last Enter to the complete output file"
FAILS=0
LAST_N=0; LAST_MS=0
for n in $SIZES; do
    # Each run may take ten times the previous one's time, and twice that.
    limit=600
    if [ "$LAST_MS" -gt 0 ]; then
        limit=$((LAST_MS * n / LAST_N * 2 / 1000 + 120))
    fi
    if run_size "$n" "$limit"; then LAST_N=$n; LAST_MS=$MS; else FAILS=$((FAILS + 1)); fi
done
if [ $MILLION = 1 ]; then
    case " $SIZES " in
        *" 1000000 "*) ;;
        *) note "1000000 items: asked for with --million"
           limit=3600
           [ "$LAST_MS" -gt 0 ] && limit=$((LAST_MS * 1000000 / LAST_N * 11 / 10 * 2 / 1000 + 120))
           run_size 1000000 "$limit" || FAILS=$((FAILS + 1)) ;;
    esac
elif [ $LAST_N = 100000 ]; then
    # One more digit in each line makes an item a little dearer: +10 %.
    predicted=$((LAST_MS * 11))
    if [ $predicted -le $TEN_MINUTES_MS ]; then
        note "1000000 items: predicted $((predicted / 1000)) s"
        run_size 1000000 $((predicted * 2 / 1000 + 120)) || FAILS=$((FAILS + 1))
    else
        note "1000000 items: skipped, predicted $((predicted / 1000)) s (over ten minutes; --million runs it)"
    fi
fi
note "load after the runs: $(cut -d' ' -f1-3 /proc/loadavg)"
[ $FAILS = 0 ]
