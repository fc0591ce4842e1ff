#!/usr/bin/env bash
# Benchmark of the whole utility, Windows build under Wine on an X display
# (Xvfb when there is none), with its console window open. Each workload is
# a generated input file; the four questions are typed with xdotool, and the
# time runs from the last answer's Enter until the output file has its full,
# known size. Then the window is closed, exit code 0 and the output bytes are
# checked, and awk does the same transform on the same file, timed, for the
# ratio (program time / awk time). Workloads:
#
#   items   N items "wordN more words here" (about 20 bytes), for each size
#   wide    100000 items of 100 bytes, beside 100000 items of about 20 bytes
#           (--wide-items changes the count)
#   long    one item of 10 MB without a blank; also the peak memory (VmHWM)
#           of the Wine process above that of a run on an empty file
#   file    the file side alone: the item loop without a console on 100000
#           items (bench/file_bench.cpp), three times in one process
#   utf8    100000 items with a Japanese word in UTF-8, beside the same items
#           in Shift-JIS
#   big     1,000,000 lines of 1,002 bytes, a 1 GB file
#   huge    5,000,000 lines of 1,002 bytes, a 5 GB file (not run unless
#           asked for with --only: it needs 5 GB of disk and minutes)
#
# Beside awk, every run times `wc -l` on the same file (from the page cache,
# as the program reads it): what merely reading the file costs.
#
#   bash bench/run-bench.sh [WIN_BUILD_DIR] [--sizes "N N ..."] [--cap SECONDS]
#                           [--only "items wide long file utf8 big huge"] [--wide-items N]
#
# WIN_BUILD_DIR defaults to the build this machine's Wine runs
# (scripts/win-target.sh: build/win32, or build/win64 where 32-bit programs
# can't run), configured and built here: only the executable and the two
# helper programs it needs. Sizes default to
# 1000 10000 100000 1000000. No run takes longer than the cap (default 900 s):
# a run predicted from the previous size to exceed it is skipped, and one
# that reaches it is stopped and reported with the items it had written.
# Files go to WIN_BUILD_DIR/bench-runs/. Not a test: neither CTest nor
# scripts/test.sh runs it. The host side (call counts per item) is
# bench/host-bench.sh.
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
. "$ROOT/scripts/win-target.sh"
win_target_choose
BUILD="$WIN_BUILD"
SIZES="1000 10000 100000 1000000"
CAP=900
ONLY="items wide long file utf8 big"
WIDE=100000
ENC_ITEMS=100000
HUGE_ITEMS=5000000  # 5.01 GB
BIG_ITEMS=1000000   # 1.00 GB
usage() {
    echo "usage: $0 [WIN_BUILD_DIR] [--sizes \"N N ...\"] [--cap SECONDS] [--only \"items wide long file utf8 big huge\"] [--wide-items N]" >&2
    exit 2
}
while [ $# -gt 0 ]; do
    case "$1" in
        --sizes) [ $# -ge 2 ] || usage; SIZES="$2"; shift ;;
        --cap) [ $# -ge 2 ] || usage; CAP="$2"; shift ;;
        --only) [ $# -ge 2 ] || usage; ONLY="$2"; shift ;;
        --wide-items) [ $# -ge 2 ] || usage; WIDE="$2"; shift ;;
        -*) usage ;;
        *) mkdir -p "$1" && BUILD="$(cd "$1" && pwd)" || exit 2 ;;
    esac
    shift
done
OUT="$BUILD/bench-runs"
APP="$BUILD/app/linewrap.exe"
HELPERS="$BUILD/tests/gui"
MAE='['
ATO=']'

note() { echo "[bench] $*"; }
wants() { case " $ONLY " in *" $1 "*) return 0 ;; *) return 1 ;; esac; }

# ------------------------------------------------------------------ build

win_target_configure "$BUILD" || exit 1
cmake --build "$BUILD" -j2 --target linewrap prompt_inspect prompt_close file_bench >/dev/null || {
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

size_of() { stat -c %s "$1" 2>/dev/null || echo missing; }

# The Windows process of the program among the descendants of a process:
# Wine names it after the executable.
wine_process() {  # ancestor-pid
    local p kids
    kids=$(pgrep -P "$1" 2>/dev/null)
    for p in $kids; do
        if [ "$(cat /proc/"$p"/comm 2>/dev/null)" = linewrap.exe ]; then echo "$p"; return 0; fi
        wine_process "$p" && return 0
    done
    return 1
}

# A process's peak resident memory in KiB (VmHWM), or 0. Read through its
# threads: Wine's first thread may have ended (a zombie shows no memory).
peak_kib() {
    local kib
    kib=$(cat /proc/"$1"/task/*/status 2>/dev/null | awk '/^VmHWM:/ { print $2; exit }')
    echo "${kib:-0}"
}

# ------------------------------------------------------------ the inputs

# Writes DIR/in.txt and DIR/expected.txt for a workload.
make_input() {  # dir kind items
    local dir=$1 kind=$2 n=$3
    case "$kind" in
        items | wide)
            awk -v n="$n" -v wide=$([ "$kind" = wide ] && echo 1 || echo 0) -v mae="$MAE" -v ato="$ATO" \
                -v in_file="$dir/in.txt" -v exp_file="$dir/expected.txt" 'BEGIN {
                pad = "more words here"
                if (wide) { pad = ""; for (i = 0; i < 100; i++) pad = pad "w" }
                for (i = 1; i <= n; i++) {
                    # A wide line is exactly 100 bytes with its CR LF.
                    rest = wide ? substr(pad, 1, 100 - 2 - length("word" i " ")) : pad
                    printf "word%d %s\r\n", i, rest > in_file
                    printf "%sword%d%s\r\n", mae, i, ato > exp_file
                }
            }' ;;
        long)
            { head -c 10485760 /dev/zero | tr '\0' x; printf '\r\n'; } >"$dir/in.txt"
            { printf '%s' "$MAE"; head -c 10485760 /dev/zero | tr '\0' x; printf '%s\r\n' "$ATO"; } \
                >"$dir/expected.txt" ;;
        empty)
            : >"$dir/in.txt"; : >"$dir/expected.txt" ;;
        utf8 | sjis)
            # "語N more words here": the same items in UTF-8 and in Shift-JIS.
            awk -v n="$n" -v mae="$MAE" -v ato="$ATO" -v in_file="$dir/in.txt" -v exp_file="$dir/expected.txt" 'BEGIN {
                for (i = 1; i <= n; i++) {
                    printf "\350\252\236%d more words here\r\n", i > in_file
                    printf "%s\350\252\236%d%s\r\n", mae, i, ato > exp_file
                } }'
            if [ "$kind" = sjis ]; then
                iconv -f UTF-8 -t CP932 "$dir/in.txt" >"$dir/in.sjis" && mv "$dir/in.sjis" "$dir/in.txt"
                iconv -f UTF-8 -t CP932 "$dir/expected.txt" >"$dir/exp.sjis" && mv "$dir/exp.sjis" "$dir/expected.txt"
            fi ;;
        huge)
            # Lines of 1,002 bytes: "wordN" and x's up to 1,000, then CR LF.
            awk -v n="$n" -v mae="$MAE" -v ato="$ATO" -v in_file="$dir/in.txt" -v exp_file="$dir/expected.txt" 'BEGIN {
                pad = "x"; while (length(pad) < 1000) pad = pad pad
                for (i = 1; i <= n; i++) {
                    w = "word" i
                    printf "%s %s\r\n", w, substr(pad, 1, 999 - length(w)) > in_file
                    printf "%s%s%s\r\n", mae, w, ato > exp_file
                } }' ;;
    esac
}

# The utility's transform in awk, on the same file: leading blanks and
# tabs dropped, the part before the first blank framed. (The generated items
# hold no comma or quote, so a line is an item.) AWK_MS, or empty on failure.
time_awk() {  # dir
    local dir=$1 t0 t1
    t0=$(date +%s%N)
    awk -v mae="$MAE" -v ato="$ATO" 'BEGIN { RS = "\r?\n"; ORS = "\r\n" }
        { sub(/^[ \t]+/, ""); p = index($0, " "); if (p) $0 = substr($0, 1, p - 1); print mae $0 ato }' \
        "$dir/in.txt" >"$dir/awk-out.txt"
    t1=$(date +%s%N)
    AWK_MS=""
    cmp -s "$dir/awk-out.txt" "$dir/expected.txt" && AWK_MS=$(awk -v d=$((t1 - t0)) 'BEGIN { printf "%.1f", d / 1e6 }')
    rm -f "$dir/awk-out.txt"
    t0=$(date +%s%N)
    wc -l "$dir/in.txt" >/dev/null
    t1=$(date +%s%N)
    WC_MS=$(awk -v d=$((t1 - t0)) 'BEGIN { printf "%.1f", d / 1e6 }')
}

# ------------------------------------------------------------------ a run

# One workload: MS (milliseconds), RATE (items per second) and PEAK_KIB on
# success; CAPPED=1 when the run reached its limit and was stopped.
run_workload() {  # label kind items limit-seconds
    local label=$1 kind=$2 n=$3 dir="$OUT/run-$1"
    LIMIT=$(($4 + 60))  # the program's own life: its limit and time for the questions
    CAPPED=0; MS=0; RATE=0; PEAK_KIB=0
    rm -rf "$dir"; mkdir -p "$dir"
    make_input "$dir" "$kind" "$n"
    local want
    want=$(size_of "$dir/expected.txt")

    start_program "$dir" "$APP"
    local pid=$RUN_PID
    if [ -z "$(window_id)" ]; then
        wait_exit "$pid" 1
        note "$label: FAILED, no window appeared"
        return 1
    fi
    if ! answer in.txt out.txt "$MAE" "$ATO"; then
        wait_exit "$pid" 1
        note "$label: FAILED, a question was not asked in time"
        return 1
    fi
    local wpid
    wpid=$(wine_process "$pid")
    # The output file grows to its known size; polled every 20 ms, bounded
    # by the run's limit.
    local done_ns=0 until=$(($(date +%s) + $4))
    while [ "$(date +%s)" -lt $until ]; do
        if [ "$(size_of "$dir/out.txt")" = "$want" ]; then done_ns=$(date +%s%N); break; fi
        sleep 0.02
    done
    local why=""
    if [ $done_ns = 0 ]; then
        CAPPED=1
        MS=$(($4 * 1000))
        local lines
        lines=$(tr -cd '\n' <"$dir/out.txt" 2>/dev/null | wc -c)
        lines=${lines:-0}
        RATE=$((lines * 1000 / MS))
    else
        MS=$(((done_ns - ENTER_NS) / 1000000))
        [ "$MS" -gt 0 ] || MS=1
        RATE=$((n * 1000 / MS))
    fi
    # The window stays open after osimai until it is closed.
    sleep 0.5
    [ -n "$wpid" ] && PEAK_KIB=$(peak_kib "$wpid")
    helper prompt_close >/dev/null || why+="prompt_close found no window; "
    wait_exit "$pid" 20
    [ "$EXIT_RC" = 0 ] || why+="exit code $EXIT_RC after closing; "
    if [ $CAPPED = 1 ]; then
        note "$label: stopped at the cap of $4 s with $lines of $n items written: $RATE items/s so far"
        rm -rf "$dir"
        return 2
    fi
    cmp -s "$dir/out.txt" "$dir/expected.txt" || why+="output differs from the expected bytes; "
    if [ -n "$why" ]; then
        note "$label: FAILED: $why"
        return 1
    fi
    time_awk "$dir"
    local ratio="-"
    [ -n "$AWK_MS" ] && ratio=$(awk -v a="$AWK_MS" -v p="$MS" 'BEGIN { printf "%.1f", p / (a > 0 ? a : 0.1) }')
    printf '[bench] %-14s %8d items %10.3f s %9d items/s   awk %8s ms  ratio %6s   wc -l %8s ms   (exit code 0, output checked)\n' \
        "$label" "$n" "$(awk -v ms="$MS" 'BEGIN { printf "%.3f", ms / 1000 }')" "$RATE" "${AWK_MS:-failed}" "$ratio" "$WC_MS"
    rm -rf "$dir"
    return 0
}

# --------------------------------------------------------------------- run

note "$(cat "$BUILD/windows-arch") build $BUILD ($WIN_WHY), Wine $(wine --version 2>/dev/null), display $DISPLAY, $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
note "mae \"$MAE\", ato \"$ATO\"; time from the last Enter to the complete output file; cap $CAP s a run"
FAILS=0
NARROW_MS=0

if wants items; then
    note "items: \"wordN more words here\", one a line"
    LAST_N=0; LAST_MS=0
    for n in $SIZES; do
        # A run may take twice what the previous size predicts, within the cap.
        limit=$CAP
        if [ "$LAST_MS" -gt 0 ]; then
            predicted=$((LAST_MS * n / LAST_N / 1000))
            if [ $predicted -gt "$CAP" ]; then
                note "items-$n: skipped, predicted $predicted s from the previous size (over the cap of $CAP s)"
                continue
            fi
            [ $((predicted * 2 + 60)) -lt $limit ] && limit=$((predicted * 2 + 60))
        fi
        run_workload "items-$n" items "$n" "$limit"
        case $? in
            0) LAST_N=$n; LAST_MS=$MS; [ "$n" = "$WIDE" ] && NARROW_MS=$MS ;;
            2) LAST_N=$n; LAST_MS=$((n * 1000 / (RATE > 0 ? RATE : 1))) ;;  # from the rate so far
            *) FAILS=$((FAILS + 1)) ;;
        esac
    done
fi

if wants wide; then
    note "wide: $WIDE items of 100 bytes against $WIDE items of about 20 bytes"
    # The items workload's run of that size serves when it was made.
    if [ "$NARROW_MS" -gt 0 ] || { run_workload "narrow-$WIDE" items "$WIDE" "$CAP" && NARROW_MS=$MS; }; then
        if run_workload "wide-$WIDE" wide "$WIDE" "$CAP"; then
            note "wide / narrow time: $(awk -v w="$MS" -v n="$NARROW_MS" 'BEGIN { printf "%.2f", w / n }')"
        else FAILS=$((FAILS + 1)); fi
    else
        FAILS=$((FAILS + 1))
    fi
fi

if wants long; then
    note "long: one item of 10 MB without a blank; memory above a run on an empty file"
    if run_workload empty empty 0 "$CAP"; then
        EMPTY_KIB=$PEAK_KIB
        if run_workload long-10MB long 1 "$CAP"; then
            note "long-10MB: peak memory $((PEAK_KIB / 1024)) MiB, $(((PEAK_KIB - EMPTY_KIB) / 1024)) MiB above the empty run ($((EMPTY_KIB / 1024)) MiB)"
        else FAILS=$((FAILS + 1)); fi
    else
        FAILS=$((FAILS + 1))
    fi
fi
if wants utf8; then
    note "utf8: $ENC_ITEMS items \"語N more words here\" in UTF-8 against the same items in Shift-JIS"
    if run_workload "sjis-$ENC_ITEMS" sjis "$ENC_ITEMS" "$CAP"; then
        SJIS_MS=$MS
        if run_workload "utf8-$ENC_ITEMS" utf8 "$ENC_ITEMS" "$CAP"; then
            note "UTF-8 / Shift-JIS time: $(awk -v u="$MS" -v s="$SJIS_MS" 'BEGIN { printf "%.2f", u / s }')"
        else FAILS=$((FAILS + 1)); fi
    else
        FAILS=$((FAILS + 1))
    fi
fi
if wants big; then
    note "big: $BIG_ITEMS lines of 1,002 bytes ($((BIG_ITEMS * 1002 / 1000000)) MB)"
    run_workload "big-$BIG_ITEMS" huge "$BIG_ITEMS" "$CAP" || FAILS=$((FAILS + 1))
fi
if wants huge; then
    note "huge: $HUGE_ITEMS lines of 1,002 bytes ($((HUGE_ITEMS * 1002 / 1000000)) MB), past 4 GiB"
    run_workload "huge-$HUGE_ITEMS" huge "$HUGE_ITEMS" "$CAP" || FAILS=$((FAILS + 1))
fi
if wants file; then
    note "file: the item loop without a console, 100000 items"
    mkdir -p "$OUT/run-file"
    if ! (cd "$OUT/run-file" && timeout -k 5 "$CAP" wine "$BUILD/bench/file_bench.exe" 100000) |
        tr -d '\r' | sed 's/^/[bench] /' | grep .; then
        note "file: FAILED"; FAILS=$((FAILS + 1))
    fi
    rm -rf "$OUT/run-file"
fi
note "load after the runs: $(cut -d' ' -f1-3 /proc/loadavg)"
[ $FAILS = 0 ]
