#!/usr/bin/env bash
# Closing the window at any moment: the Windows utility under Wine on an X
# display (Xvfb when there is none) is closed, as a user closes it, at random
# moments of a run: during the questions, while the items are being written,
# and after osimai. After each close it checks
#   - the exit code: 0 after a run in which nothing failed; 1 once a file
#     failed (here: a missing input, told when the output question has been
#     answered), 0 when the window is closed before that;
#   - the input file is unchanged;
#   - the output: every line whole and in order ("[itemN]"), only the last
#     one possibly cut short; after a failed input open, the old output
#     still there, untouched.
#
#   bash scripts/close-stress.sh [WIN_BUILD_DIR] [--runs N] [--seed S]
#
# WIN_BUILD_DIR defaults to the build this machine's Wine runs
# (scripts/win-target.sh: build/win32, or build/win64 where 32-bit programs
# can't run); the utility and the helper programs prompt_inspect and
# prompt_close are built there. 20 runs by
# default; the seed is printed so a run can be repeated. Slow (a few seconds
# per run): not part of scripts/test.sh. Prints one line per run and a
# summary; exits non-zero if any run failed.
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
. "$ROOT/scripts/win-target.sh"
win_target_choose
BUILD="$WIN_BUILD"
RUNS=20
SEED=$(date +%s)
while [ $# -gt 0 ]; do
    case "$1" in
        --runs) RUNS=$2; shift ;;
        --seed) SEED=$2; shift ;;
        -*) echo "usage: $0 [WIN_BUILD_DIR] [--runs N] [--seed S]" >&2; exit 2 ;;
        *) mkdir -p "$1" && BUILD="$(cd "$1" && pwd)" || exit 2 ;;
    esac
    shift
done
APP="$BUILD/app/linewrap.exe"
HELPERS="$BUILD/tests/gui"
OUT="$BUILD/close-stress"
LONG=20000000  # items of the long input: more than a run gets through in the 3 s a close may wait (about 7 s)
SHORT=300     # items of the input of the runs that are closed after osimai

win_target_configure "$BUILD" || exit 1
cmake --build "$BUILD" -j2 --target linewrap prompt_inspect prompt_close >/dev/null || {
    echo "[stress] build failed" >&2
    exit 1
}

. "$ROOT/scripts/window-driver.sh"
mkdir -p "$OUT"
driver_begin || { echo "[stress] no X display" >&2; exit 1; }

RANDOM=$SEED
echo "[stress] seed $SEED, $RUNS runs"

gen() { awk -v n="$1" 'BEGIN { for (i = 1; i <= n; i++) printf "item%d rest of line %d\r\n", i, i }'; }
gen $LONG >"$OUT/long.txt"
gen $SHORT >"$OUT/short.txt"
awk -v n=$SHORT 'BEGIN { for (i = 1; i <= n; i++) printf "[item%d]\r\n", i }' >"$OUT/short.expected"
cp "$OUT/long.txt" "$OUT/long.orig"
cp "$OUT/short.txt" "$OUT/short.orig"

# Waits until the program requests a line (its caret shows), then types
# the answer and Enter.
answer_one() {
    helper prompt_inspect --caret on 10000 >/dev/null
    [ -n "$1" ] && type_text "$1"
    key Return
}

# Output lines "[item1]", "[item2]", ... in order, the last possibly cut
# short: prints "ok N" (N lines, N = 0 for an empty or missing file) or
# what is wrong.
check_lines() {  # file
    [ -s "$1" ] || { echo "ok 0"; return; }
    awk 'BEGIN { RS = "\r\n" }
        { lines[++n] = $0 }
        END {
            for (k = 1; k < n; k++) if (lines[k] != "[item" k "]") { print "line " k " is \"" lines[k] "\""; exit }
            last = lines[n]; sub(/\r$/, "", last); want = "[item" n "]"
            if (substr(want, 1, length(last)) != last) { print "last line " n " is \"" last "\""; exit }
            print "ok " n
        }' "$1"
}

FAILED=0
declare -A SEEN
for ((run = 1; run <= RUNS; run++)); do
    # The moment: questions (after 0 to 3 answers), items, or after osimai;
    # one run in five gives a missing input instead (closed during a
    # question or after osimai).
    missing=0
    case $((RANDOM % 10)) in
        0 | 1) moment=question ;;
        2 | 3 | 4) moment=items ;;
        5 | 6 | 7) moment=osimai ;;
        8) moment=question; missing=1 ;;
        9) moment=osimai; missing=1 ;;
    esac
    answered=$((RANDOM % 4))  # questions answered before a close during the questions
    delay_ms=$((RANDOM % 3000))
    in=long.txt; orig=long.orig
    [ $moment = osimai ] && in=short.txt && orig=short.orig
    [ $missing = 1 ] && in=missing.txt && answered=$((1 + RANDOM % 3))
    [ $moment = osimai ] && answered=4
    rm -f "$OUT/out.txt"
    [ $missing = 1 ] && printf 'precious\r\n' >"$OUT/out.txt"
    answers=("$in" out.txt '[' ']')

    LIMIT=600 start_program "$OUT" "$APP"
    pid=$RUN_PID
    why=""
    if [ -z "$(window_id)" ]; then
        why="no window; "
    else
        n=4
        [ $moment = question ] && n=$answered
        for ((i = 0; i < n; i++)); do answer_one "${answers[$i]}"; done
        case $moment in
            question)
                # Wait until the next question is asked, so that what the
                # answers caused has happened, then a moment more.
                helper prompt_inspect --caret on 10000 >/dev/null
                delay_ms=$((delay_ms / 6)) ;;
            osimai)
                # All items written; osimai follows them on the screen, and
                # the program thread then waits for nothing more.
                for ((i = 0; i < 600 && missing == 0; i++)); do
                    cmp -s "$OUT/out.txt" "$OUT/short.expected" && break
                    sleep 0.1
                done
                helper prompt_inspect --caret off 10000 >/dev/null ;;
        esac
        sleep "$(printf '0.%03d' $((delay_ms % 1000)))"
        sleep $((delay_ms / 1000))
        helper prompt_close >/dev/null || why+="prompt_close found no window; "
    fi
    wait_exit "$pid" 15
    rc=$EXIT_RC

    expect=0
    [ $missing = 1 ] && [ "$answered" -ge 2 ] && expect=1
    [ "$rc" = "$expect" ] || why+="exit code $rc, expected $expect; "
    if [ $missing = 1 ]; then
        [ "$(od -An -c "$OUT/out.txt")" = "$(printf 'precious\r\n' | od -An -c)" ] || why+="the old output was touched; "
        [ -e "$OUT/missing.txt" ] && why+="missing.txt was made; " && rm -f "$OUT/missing.txt"
        seen="during the questions (missing input, $answered answered)"
        [ $moment = osimai ] && seen="after osimai (missing input)"
        lines="-"
    else
        cmp -s "$OUT/$in" "$OUT/$orig" || { why+="the input changed; "; cp "$OUT/$orig" "$OUT/$in"; }
        verdict=$(check_lines "$OUT/out.txt")
        [ "${verdict%% *}" = ok ] || why+="output: $verdict; "
        lines=${verdict#ok }
        # A last line without its CR LF: the close came in the middle of it.
        [ -s "$OUT/out.txt" ] && [ "$(tail -c 2 "$OUT/out.txt" | od -An -c | tr -d ' ')" != '\r\n' ] &&
            lines+=" (the last one cut short)"
        case $moment in
            question) seen="during the questions ($answered answered)" ;;
            osimai) seen="after osimai"; [ "$lines" = $SHORT ] || why+="only $lines of $SHORT lines; " ;;
            items)
                if [ "$lines" = 0 ]; then seen="during the items (none written yet)"
                else seen="during the items"; fi ;;
        esac
    fi
    SEEN[$moment]=$((${SEEN[$moment]:-0} + 1))
    if [ -z "$why" ]; then
        echo "[stress] run $run PASS: closed $seen, +${delay_ms} ms: exit $rc, output lines $lines"
    else
        echo "[stress] run $run FAIL: closed $seen, +${delay_ms} ms: $why"
        FAILED=$((FAILED + 1))
    fi
done

echo "[stress] $((RUNS - FAILED)) of $RUNS runs passed (questions ${SEEN[question]:-0}, items ${SEEN[items]:-0}, after osimai ${SEEN[osimai]:-0}); seed $SEED"
[ $FAILED = 0 ]
