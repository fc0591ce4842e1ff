#!/usr/bin/env bash
# Tests against the real console window: the win32 build under Wine on an X
# display (Xvfb), keys typed with xdotool, the clipboard filled from Windows
# and from X, screenshots compared pixel for pixel with a reference drawing.
#
#   bash scripts/gui-tests.sh [WIN32_BUILD_DIR] [--docs]
#
# WIN32_BUILD_DIR defaults to build/win32. Prints one line "[gui] PASS name"
# or "[gui] FAIL name: why" per check and exits non-zero on any failure.
# Run by scripts/test.sh with DISPLAY, the Wine prefix and a persistent
# wineserver already set up; run by hand it sets up what is missing and
# tears down what it started. Screenshots go to WIN32_BUILD_DIR/gui/;
# --docs also copies the console and run screenshots into docs/.
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="$ROOT/build/win32"
DOCS=0
for a in "$@"; do
    case "$a" in
        --docs) DOCS=1 ;;
        *) BUILD="$(cd "$a" && pwd)" || exit 2 ;;
    esac
done
HELPERS="$BUILD/tests/gui"
OUT="$BUILD/gui"
CELL_W=0; CELL_H=0
FAILS=0

. "$ROOT/scripts/window-driver.sh"

# ---------------------------------------------------------------- plumbing

pass() { echo "[gui] PASS $1"; }
fail() { echo "[gui] FAIL $1: $2"; FAILS=$((FAILS + 1)); }
note() { echo "[gui] $*"; }

# Waits at most $2 seconds until the file $1 holds the bytes of file $3.
wait_file_equals() {  # file seconds expected-file
    local i
    for ((i = 0; i < $2 * 10; i++)); do
        cmp -s "$1" "$3" && return 0
        sleep 0.1
    done
    return 1
}

# Bytes of UTF-8 text in the Windows code page, into file $2.
sjis() { printf '%b' "$1" | iconv -f UTF-8 -t CP932 >"$2"; }

# The window's client area on the screen, from the inspector.
inspect() { INFO="$(helper prompt_inspect "$@")"; }
field() { sed -n "s/^$1=//p" <<<"$INFO"; }

# Screenshot of the whole screen into $1, the client area into $2.
shoot() {  # full.png client.png
    import -window root "$1" 2>/dev/null || return 1
    inspect
    local size origin
    size=$(field client); origin=$(field origin)
    set -- "$1" "$2" $size $origin
    convert "$1" -crop "${3}x${4}+${5}+${6}" +repage "$2"
}

# Compares the client area with the console rows drawn by text_ref, the
# caret's cell masked on both (it blinks). Retries for up to $2 seconds,
# since drawing follows the keys a little later. Sets DIFF (pixels).
screen_matches() {  # name seconds rows...
    local name=$1 secs=$2 i w h
    shift 2
    for ((i = 0; i < secs * 2 + 1; i++)); do
        shoot "$OUT/$name-full.png" "$OUT/$name.png" || { DIFF=unknown; sleep 0.5; continue; }
        read -r w h <<<"$(field client)"
        helper text_ref "$(winepath -w "$OUT/$name-ref.bmp")" "$w" "$h" "$@" >/dev/null
        local mask=()
        if [ "$(field caret)" = 1 ]; then
            local l t r b
            read -r l t r b <<<"$(field caretrect)"
            mask=(-fill black -draw "rectangle $l,$t,$((r - 1)),$((b - 1))")
        fi
        convert "$OUT/$name.png" "${mask[@]}" "$OUT/$name-cmp.png"
        convert "$OUT/$name-ref.bmp" "${mask[@]}" "$OUT/$name-refcmp.png"
        DIFF=$(compare -metric AE "$OUT/$name-refcmp.png" "$OUT/$name-cmp.png" \
               "$OUT/$name-diff.png" 2>&1 >/dev/null)
        [ "$DIFF" = 0 ] && return 0
        sleep 0.5
    done
    return 1
}

# ------------------------------------------------------------------ set-up

mkdir -p "$OUT"
driver_begin || { echo "[gui] FAIL set-up: no X display"; exit 1; }

for h in clip_put prompt_close prompt_inspect text_ref stub_prompt; do
    if [ ! -f "$HELPERS/$h.exe" ]; then
        echo "[gui] FAIL set-up: $HELPERS/$h.exe is not built"
        exit 1
    fi
done
CELL="$(helper text_ref "$(winepath -w "$OUT/cell.bmp")" 8 8 '')"
read -r CELL_W CELL_H <<<"$(sed -n 's/^cell=//p' <<<"$CELL")"
FACE="$(sed -n 's/^face=//p' <<<"$CELL" | iconv -f CP932 -t UTF-8 2>/dev/null)"
note "console font: ${FACE:-?}, cell ${CELL_W}x${CELL_H} pixels"
# The screen checks compare with drawings in the console's font, so they
# prove the font only if the system found a Mincho face for it.
case "$FACE" in
    *明朝*) pass "font: ＭＳ 明朝 resolves to a Mincho face ($FACE)" ;;
    *) fail font "ＭＳ 明朝 resolves to '$FACE', not to a Mincho face (is fonts-ipafont-mincho installed?)" ;;
esac

# --------------------------------------------- the machinery, on a stand-in
# A minimal window of the console's class: display, typing, both clipboards
# and closing work before the console itself is judged.

machinery() {
    local dir="$OUT/stub" why=""
    rm -rf "$dir"; mkdir -p "$dir"
    LIMIT=60 start_program "$dir" "$HELPERS/stub_prompt.exe"
    local pid=$RUN_PID
    if [ -z "$(window_id)" ]; then
        wait_exit "$pid" 1
        fail machinery "the stand-in window did not appear"
        return
    fi
    sleep 0.5
    type_text 'ab 日本'; key Return
    helper clip_put 'w,\r\nx' || why="clip_put failed; "
    key ctrl+v Return
    sjis 'ab 日本\r\nw,\r\nx\r\n' "$dir/expected"
    wait_file_equals "$dir/stub_lines.txt" 5 "$dir/expected" || why+="typed lines differ; "
    helper prompt_close || why+="prompt_close found no window; "
    wait_exit "$pid" 10
    [ "$EXIT_RC" = 0 ] || why+="exit code $EXIT_RC after closing; "
    if [ -z "$why" ]; then pass "machinery: Xvfb, xdotool typing, Win32 clipboard, closing"
    else fail machinery "$why"; fi
}

# Another window takes the focus, then closes; the console gets it back.
# Leaves in AWAY the caret state while the other window had the focus.
focus_away_and_back() {  # folder
    LIMIT=30 start_program "$1" "$HELPERS/stub_prompt.exe" --other
    local other=$RUN_PID
    AWAY=unknown
    if timeout 20 xdotool search --sync --name '^OTHER WINDOW$' >/dev/null 2>&1; then
        inspect --caret off 3000 && AWAY=off || AWAY=on
    fi
    helper prompt_close OTHER
    wait_exit "$other" 10
}

# ----------------------------------------------------------- the console
# console_probe asks " name ? ", waits for the file probe_go with no line
# requested, asks " two ? " (two strings), then " more ? " again and again,
# appending each answer to probe_out.txt.

console_checks() {
    local dir="$OUT/console" exp="$OUT/console/expected"
    rm -rf "$dir"; mkdir -p "$dir"
    LIMIT=120 start_program "$dir" "$HELPERS/console_probe.exe"
    local pid=$RUN_PID
    if [ -z "$(window_id)" ]; then
        wait_exit "$pid" 1
        fail "console window" "no window titled BASIC PROMPT appeared (exit code $EXIT_RC)"
        return
    fi

    # Class, title, styles. The system adds WS_CLIPSIBLINGS and
    # WS_EX_WINDOWEDGE to an overlapped window of its own accord.
    inspect --caret on
    local why=""
    [ "$(field class)" = PROMPT ] || why+="class '$(field class)'; "
    [ "$(field title)" = "BASIC PROMPT" ] || why+="title '$(field title)'; "
    [ $(($(field style) & 0x00CF0000)) = $((0x00CF0000)) ] || why+="style $(field style); "
    [ $(($(field exstyle) & 0x200)) = $((0x200)) ] || why+="exstyle $(field exstyle); "
    [ "$(field classstyle)" = 0x0000000B ] || why+="class style $(field classstyle); "
    [ "$(field visible)" = 1 ] || why+="not visible; "
    if [ -z "$why" ]; then pass "console window: class PROMPT, title, WS_OVERLAPPEDWINDOW, WS_EX_CLIENTEDGE, class style 0xB"
    else fail "console window" "$why"; fi

    # The first prompt " name ? " is 8 cells; the caret (9x6) lies across the
    # bottom of the cursor's cell, 1 pixel above its lower edge.
    local want="$((8 * CELL_W)) $((CELL_H - 7)) $((8 * CELL_W + 9)) $((CELL_H - 1))"
    if [ "$(field caret)" = 1 ] && [ "$(field caretrect)" = "$want" ]; then
        pass "caret shown after the prompt while a line is requested"
    else
        fail "caret while a line is requested" "caret=$(field caret) rect '$(field caretrect)', expected '$want'"
    fi

    # Typing, Backspace over a single byte, Japanese text through the code page.
    type_text 'Tarx'; key BackSpace; type_text 'o 山田'; key Return
    sjis 'name=Taro 山田\r\n' "$exp"
    if wait_file_equals "$dir/probe_out.txt" 5 "$exp"; then pass "typed line with Backspace and Shift-JIS reaches the program"
    else fail "typed line" "probe_out.txt: $(od -c "$dir/probe_out.txt" 2>&1 | head -3)"; fi

    # No line requested: no caret, and keys wait for the next question.
    if inspect --caret off 3000; then pass "no caret while no line is requested"
    else fail "no caret while idle" "caret=$(field caret) rect '$(field caretrect)'"; fi
    type_text 'zz'; key Return
    # Focus away and back while idle: still no caret.
    focus_away_and_back "$dir"
    sleep 0.5
    if [ "$AWAY" = off ] && inspect --caret off 1000; then pass "focus away and back with no line requested: no caret"
    else fail "focus while idle" "caret away=$AWAY, back=$(field caret)"; fi
    : >"$dir/probe_go"

    # Wrong counts, then a paste from the Windows clipboard with typing after it.
    inspect --caret on
    type_text 'a,b,c'; key Return
    inspect --caret on
    type_text 'x'; key Return
    inspect --caret on
    helper clip_put 'p1,ペ'
    key ctrl+v; type_text 'q'; key Return
    sjis 'name=Taro 山田\r\ntwo=p1|ペq\r\n' "$exp"
    if wait_file_equals "$dir/probe_out.txt" 5 "$exp"; then
        pass "answer counts checked again; Ctrl+V paste then typing; idle keys kept for the next question"
    else fail "counts and paste" "probe_out.txt: $(iconv -f CP932 -t UTF-8 "$dir/probe_out.txt" 2>&1 | tr '\r\n' '  ')"; fi

    # A paste from the X clipboard (another X client owns the selection).
    inspect --caret on
    if command -v xclip >/dev/null; then
        helper clip_put --empty
        printf '%s' 'X選択' | timeout 60 xclip -quiet -selection clipboard >/dev/null 2>&1 &
        local xclip_pid=$!
        BG_PIDS+=("$xclip_pid")
        sleep 1
        key ctrl+v
        kill "$xclip_pid" 2>/dev/null; wait "$xclip_pid" 2>/dev/null
    else
        # Keeps the rest of the run as planned; the check itself fails.
        helper clip_put 'X選択'; key ctrl+v
    fi
    key Return
    sjis 'name=Taro 山田\r\ntwo=p1|ペq\r\nmore=X選択\r\n' "$exp"
    if ! command -v xclip >/dev/null; then fail "X clipboard paste" "xclip is not installed"
    elif wait_file_equals "$dir/probe_out.txt" 5 "$exp"; then pass "Ctrl+V paste from the X clipboard"
    else fail "X clipboard paste" "probe_out.txt: $(iconv -f CP932 -t UTF-8 "$dir/probe_out.txt" 2>&1 | tr '\r\n' '  ')"; fi

    # Focus away and back while a line is requested: the caret goes with the
    # focus and comes back at the cursor.
    inspect --caret on
    local before
    before=$(field caretrect)
    focus_away_and_back "$dir"
    if [ "$AWAY" = off ] && inspect --caret on 3000 && [ "$(field caretrect)" = "$before" ]; then
        pass "focus away and back while a line is requested: caret goes and comes back at the cursor"
    else fail "focus while a line is requested" "caret away=$AWAY, back=$(field caret) at '$(field caretrect)', before '$before'"; fi

    # Ctrl+V with nothing on the clipboard changes nothing; the line then
    # takes what is typed.
    inspect --caret on
    helper clip_put --empty
    key ctrl+v; type_text 'ok'; key Return
    sjis 'name=Taro 山田\r\ntwo=p1|ペq\r\nmore=X選択\r\nmore=ok\r\n' "$exp"
    if wait_file_equals "$dir/probe_out.txt" 5 "$exp"; then pass "Ctrl+V with an empty clipboard changes nothing"
    else fail "empty clipboard paste" "probe_out.txt: $(iconv -f CP932 -t UTF-8 "$dir/probe_out.txt" 2>&1 | tr '\r\n' '  ')"; fi

    # The whole screen, pixel for pixel: prompts, echo, the two complaints,
    # white on black in the console font. The caret stands after the last prompt.
    inspect --caret on
    if screen_matches console 5 \
        ' name ? Taro 山田' \
        ' two ? zz' \
        '入力データの個数が足りません' \
        ' two ? a,b,c' \
        '入力データの個数が多すぎます' \
        ' two ? x' \
        '入力データの個数が足りません' \
        ' two ? p1,ペq' \
        ' more ? X選択' \
        ' more ? ok' \
        ' more ? '; then
        pass "screen: prompts, echo and messages white on black in the Mincho font (pixel-exact)"
    else
        fail "screen" "$DIFF pixels differ from the reference drawing (see $OUT/console-diff.png)"
    fi
    # The screenshot for the README: the window with its frame.
    local frame
    read -r -a frame <<<"$(field frame)"
    if [ ${#frame[@]} = 4 ]; then
        convert "$OUT/console-full.png" -crop "$((frame[2] - frame[0]))x$((frame[3] - frame[1]))+${frame[0]}+${frame[1]}" \
            +repage -crop 640x260+0+0 +repage "$OUT/console-window.png"
        [ $DOCS = 1 ] && mkdir -p "$ROOT/docs" && cp "$OUT/console-window.png" "$ROOT/docs/console.png"
    fi

    # A paste longer than the line: cut to 255 bytes, nothing else happens.
    local long
    long=$(printf 'y%.0s' $(seq 1 300))
    helper clip_put "$long"
    key ctrl+v Return
    printf 'more=%s\r\n' "${long:0:255}" | cat "$exp" - >"$exp.long"
    if wait_file_equals "$dir/probe_out.txt" 5 "$exp.long"; then pass "a 300-byte paste is cut to the 255 bytes a line holds"
    else fail "long paste" "last answer has $(tail -c +1 "$dir/probe_out.txt" | tail -1 | wc -c) bytes"; fi

    # Typing while another thread floods the console with lines: the keys
    # are taken and echoed between drawing passes, and the line arrives whole.
    touch "$dir/probe_noise"
    type_text n1
    key Return
    sleep 0.5
    inspect --caret on 5000 >/dev/null
    type_text 'typed during the flood'
    key Return
    printf 'more=n1\r\nmore=typed during the flood\r\n' | cat "$exp.long" - >"$exp.flood"
    if wait_file_equals "$dir/probe_out.txt" 10 "$exp.flood"; then pass "typing while the console is flooded with lines reaches the program"
    else fail "typing during a flood" "probe_out.txt ends with: $(tail -2 "$dir/probe_out.txt" | tr '\r\n' '  ')"; fi
    touch "$dir/probe_quiet"

    # Closing the window while a line is requested ends the process with 0.
    inspect --caret on
    helper prompt_close
    if wait_exit "$pid" 10 && [ "$EXIT_RC" = 0 ]; then
        pass "closing the window while a line is requested: exit code 0"
    else
        fail "closing while a line is requested" "exit code $EXIT_RC"
    fi
}

# ------------------------------------------------------- the application

APP="$BUILD/app/linewrap.exe"

# Answers the four questions; waits for each prompt's caret first.
answer() {  # input output mae ato
    local a
    for a in "$@"; do
        inspect --caret on 10000 >/dev/null
        [ -n "$a" ] && type_text "$a"
        key Return
    done
}

app_checks() {
    local dir="$OUT/app"
    rm -rf "$dir"; mkdir -p "$dir"
    cp "$ROOT/examples/sample.txt" "$dir/sample.txt"

    # A complete run on the sample file.
    LIMIT=120 start_program "$dir" "$APP"
    local pid=$RUN_PID
    if [ -z "$(window_id)" ]; then
        wait_exit "$pid" 1
        fail "application window" "no window appeared (exit code $EXIT_RC)"
        return
    fi
    answer sample.txt out.txt '<' '>'
    if wait_file_equals "$dir/out.txt" 10 "$ROOT/examples/sample-expected.txt"; then
        pass "application: output file of the sample run matches byte for byte"
    else
        fail "application output" "out.txt differs from examples/sample-expected.txt"
    fi
    local rows=(' Input file name ? sample.txt' ' Output file name ? out.txt' ' mae ? <' ' ato ? >')
    local line
    while IFS= read -r line; do rows+=("$line"); done < <(iconv -f CP932 -t UTF-8 "$ROOT/examples/sample-expected.txt" | tr -d '\r')
    rows+=(osimai)
    if screen_matches app-run 5 "${rows[@]}"; then pass "application: console shows the questions, framed items and osimai (pixel-exact)"
    else fail "application screen" "$DIFF pixels differ from the reference drawing (see $OUT/app-run-diff.png)"; fi
    local frame
    read -r -a frame <<<"$(field frame)"
    if [ ${#frame[@]} = 4 ]; then
        convert "$OUT/app-run-full.png" -crop "$((frame[2] - frame[0]))x$((frame[3] - frame[1]))+${frame[0]}+${frame[1]}" \
            +repage -crop 640x330+0+0 +repage "$OUT/app-window.png"
        [ $DOCS = 1 ] && cp "$OUT/app-window.png" "$ROOT/docs/run.png"
    fi
    # Finished: the window stays open, with no caret, until it is closed.
    sleep 0.5
    case "$(ps -o stat= -p "$pid" 2>/dev/null)" in
        "" | Z*) fail "application after osimai" "the process has ended by itself" ;;
        *) if inspect --caret off 3000; then pass "application: window stays open after osimai, no caret"
           else fail "application after osimai" "a caret is shown with no line requested"; fi ;;
    esac
    helper prompt_close
    if wait_exit "$pid" 10 && [ "$EXIT_RC" = 0 ]; then pass "application: exit code 0 after the window is closed"
    else fail "application close" "exit code $EXIT_RC"; fi

    # A few thousand items: once the run is over, the window shows the last
    # rows exactly as the reference draws them.
    local n=3000
    awk -v n=$n -v in_file="$dir/few.txt" -v exp_file="$dir/few-expected.txt" 'BEGIN {
        for (i = 1; i <= n; i++) { printf "word%d more words\r\n", i > in_file; printf "[word%d]\r\n", i > exp_file } }'
    LIMIT=120 start_program "$dir" "$APP"
    pid=$RUN_PID
    if [ -n "$(window_id)" ]; then
        answer few.txt few-out.txt '[' ']'
        if wait_file_equals "$dir/few-out.txt" 60 "$dir/few-expected.txt"; then
            inspect
            local h shown
            read -r _ h <<<"$(field client)"
            shown=$((h / CELL_H - 1))  # full rows above the cursor's empty row
            local few=()
            for ((i = n - shown + 2; i <= n; i++)); do few+=("[word$i]"); done
            few+=(osimai)
            if screen_matches app-few 5 "${few[@]}"; then pass "application: $n items, the screen at the end is pixel-exact"
            else fail "application, $n items" "$DIFF pixels differ from the reference drawing (see $OUT/app-few-diff.png)"; fi
        else
            fail "application, $n items" "few-out.txt differs from the expected output"
        fi
        helper prompt_close
        wait_exit "$pid" 10
    else
        wait_exit "$pid" 1
        fail "application, $n items" "no window appeared"
    fi

    # Closing in the middle of a long input file.
    local total=5000000  # about two seconds of items: the close lands among them
    awk -v n=$total 'BEGIN { for (i = 1; i <= n; i++) printf "item%d rest of line %d\r\n", i, i }' >"$dir/long.txt"
    LIMIT=120 start_program "$dir" "$APP"
    pid=$RUN_PID
    if [ -z "$(window_id)" ]; then
        wait_exit "$pid" 1
        fail "application, long file" "no window appeared"
        return
    fi
    answer long.txt long-out.txt '[' ']'
    local i
    for ((i = 0; i < 100; i++)); do
        [ "$(stat -c %s "$dir/long-out.txt" 2>/dev/null || echo 0)" -gt 20000 ] && break
        sleep 0.1
    done
    local closed_at took
    closed_at=$(date +%s%N)
    helper prompt_close
    wait_exit "$pid" 10
    took=$((($(date +%s%N) - closed_at) / 1000000))
    # Every line is "[itemN]" for the Nth item in order; the last may be cut short.
    local verdict
    verdict=$(awk 'BEGIN { RS = "\r\n"; bad = 0 }
        { n++; want = "[item" n "]" }
        { lines[n] = $0 }
        END {
            if (n == 0) { print "empty"; exit }
            for (k = 1; k < n; k++) if (lines[k] != "[item" k "]") { print "line " k " is \"" lines[k] "\""; exit }
            last = lines[n]; sub(/\r$/, "", last); want = "[item" n "]"
            if (substr(want, 1, length(last)) != last) { print "last line " n " is \"" last "\""; exit }
            print "ok " n
        }' "$dir/long-out.txt")
    # "At once": the close request itself (a helper program started under
    # Wine) takes a few hundred milliseconds of this.
    if [ "$EXIT_RC" = 0 ] && [ "${verdict%% *}" = ok ] && [ "${verdict#ok }" -lt $total ] && [ "$took" -le 3000 ]; then
        pass "application: closed in the middle of a long file: exit code 0 after ${took} ms, ${verdict#ok } correct lines"
    else
        fail "application, closed in the middle" "exit code $EXIT_RC after ${took} ms; output: $verdict (of $total items)"
    fi
}

# ------------------------------------ the application: files that fail
# Each failed file is told in one console line with the system's reason in
# its own words (sys_message asks the system for the same text); the output
# is left alone when the input cannot be opened; the questions, the items and
# osimai stay; closing the window then ends the process with exit code 1.

APP_FAIL_DIR=""

# The system's text for an error code, in UTF-8.
app_fail_reason() { helper sys_message "$1" | iconv -f CP932 -t UTF-8; }

# Runs the utility in APP_FAIL_DIR with the four answers, compares the whole
# screen with the rows, closes the window and checks exit code 1. Appends
# what went wrong to WHY.
app_fail_run() {  # name input output mae ato rows...
    local name=$1 pid
    LIMIT=120 start_program "$APP_FAIL_DIR" "$APP"
    pid=$RUN_PID
    if [ -z "$(window_id)" ]; then
        wait_exit "$pid" 1
        WHY+="no window appeared; "
        return
    fi
    answer "$2" "$3" "$4" "$5"
    shift 5
    screen_matches "app-fail-$name" 10 "$@" ||
        WHY+="screen: $DIFF pixels differ (see $OUT/app-fail-$name-diff.png); "
    helper prompt_close
    wait_exit "$pid" 10
    [ "$EXIT_RC" = 1 ] || WHY+="exit code $EXIT_RC, not 1; "
}

app_failure_checks() {
    APP_FAIL_DIR="$OUT/app-fail"
    local dir=$APP_FAIL_DIR line
    rm -rf "$dir"; mkdir -p "$dir/folder"
    cp "$ROOT/examples/sample.txt" "$dir/sample.txt"
    local items=()
    while IFS= read -r line; do items+=("$line"); done < <(iconv -f CP932 -t UTF-8 "$ROOT/examples/sample-expected.txt" | tr -d '\r')

    # A mistyped input name: the existing output keeps its content.
    WHY=""
    printf 'precious\r\n' >"$dir/out.txt"
    app_fail_run missing-input missing.txt out.txt '<' '>' \
        ' Input file name ? missing.txt' ' Output file name ? out.txt' \
        "入力「missing.txt」を開けません（出力ファイルはそのまま）: $(app_fail_reason 2)" \
        ' mae ? <' ' ato ? >' "入力「missing.txt」を開けません（出力ファイルはそのまま）: $(app_fail_reason 2)" osimai
    [ "$(cat "$dir/out.txt")" = $'precious\r' ] || WHY+="out.txt now holds '$(od -c "$dir/out.txt" | head -2)'; "
    [ -e "$dir/missing.txt" ] && WHY+="missing.txt was made; "
    if [ -z "$WHY" ]; then pass "application: a missing input is told, the existing output keeps its content, exit code 1"
    else fail "application, missing input" "$WHY"; fi

    # An output that is a folder: the items still go to the screen.
    WHY=""
    app_fail_run folder-output sample.txt folder '<' '>' \
        ' Input file name ? sample.txt' ' Output file name ? folder' \
        "出力「folder」を作れません: $(app_fail_reason 5)" \
        ' mae ? <' ' ato ? >' "${items[@]}" "出力「folder」を作れません: $(app_fail_reason 5)" osimai
    [ -d "$dir/folder" ] && [ -z "$(ls -A "$dir/folder")" ] || WHY+="the folder changed; "
    cmp -s "$dir/sample.txt" "$ROOT/examples/sample.txt" || WHY+="the input changed; "
    if [ -z "$WHY" ]; then pass "application: an output that is a folder is told, the items still shown, exit code 1"
    else fail "application, folder as output" "$WHY"; fi

    # The same name for both: the second, unshared open is refused.
    WHY=""
    printf 'one two\r\nthree\r\n' >"$dir/same.txt"
    app_fail_run same-name same.txt same.txt '[' ']' \
        ' Input file name ? same.txt' ' Output file name ? same.txt' \
        "出力「same.txt」を作れません: $(app_fail_reason 32)" \
        ' mae ? [' ' ato ? ]' '[one]' '[three]' "出力「same.txt」を作れません: $(app_fail_reason 32)" osimai
    [ "$(od -An -c "$dir/same.txt" | tr -s ' ')" = "$(printf 'one two\r\nthree\r\n' | od -An -c | tr -s ' ')" ] ||
        WHY+="same.txt changed; "
    if [ -z "$WHY" ]; then pass "application: the same name for input and output is told (sharing violation), the input intact, exit code 1"
    else fail "application, same name" "$WHY"; fi

    # A full disk (/dev/full, which Wine reaches from a folder on drive Z:):
    # told once, at the first write.
    WHY=""
    app_fail_run full-disk sample.txt /dev/full '<' '>' \
        ' Input file name ? sample.txt' ' Output file name ? /dev/full' \
        ' mae ? <' ' ato ? >' "${items[0]}" "出力「/dev/full」に書けません: $(app_fail_reason 112)" \
        "${items[@]:1}" "出力「/dev/full」に書けません: $(app_fail_reason 112)" osimai
    if [ -z "$WHY" ]; then pass "application: a full disk is told at the first write and again before osimai, exit code 1"
    else fail "application, full disk" "$WHY"; fi
}

# ------------------------------------------ whole characters in the editor
# Backspace after a double-byte character takes both its bytes and both its
# cells; a paste longer than the line is cut between two characters.

whole_character_checks() {
    local dir="$OUT/whole" exp="$OUT/whole/expected" why=""
    rm -rf "$dir"; mkdir -p "$dir"
    : >"$dir/probe_go"  # the second question follows the first at once
    LIMIT=90 start_program "$dir" "$HELPERS/console_probe.exe"
    local pid=$RUN_PID
    if [ -z "$(window_id)" ]; then
        wait_exit "$pid" 1
        fail "whole characters" "no window appeared (exit code $EXIT_RC)"
        return
    fi
    inspect --caret on 10000
    # The double-byte characters are posted (see keys_post.cpp); the keys pressed.
    helper keys_post '日本' || why+="keys_post failed; "
    key BackSpace
    screen_matches whole-backspace 5 ' name ? 日' ||
        why+="after Backspace $DIFF pixels differ from ' name ? 日' (see $OUT/whole-backspace-diff.png); "
    key Return
    inspect --caret on 10000
    type_text 'a,b'; key Return
    # 200 × あ is 400 bytes; the line takes 127 of them (254 bytes), never half of one.
    inspect --caret on 10000
    helper clip_put "$(printf 'あ%.0s' $(seq 1 200))" || why+="clip_put failed; "
    key ctrl+v Return
    sjis "name=日\r\ntwo=a|b\r\nmore=$(printf 'あ%.0s' $(seq 1 127))\r\n" "$exp"
    wait_file_equals "$dir/probe_out.txt" 5 "$exp" ||
        why+="probe_out.txt: $(iconv -f CP932 -t UTF-8 "$dir/probe_out.txt" 2>&1 | tr '\r\n' '  ' | cut -c1-120); "
    helper prompt_close
    wait_exit "$pid" 10
    if [ -z "$why" ]; then pass "whole characters: Backspace takes 日本's last character (pixel-exact), a long paste is cut between characters"
    else fail "whole characters" "$why"; fi
}

# --------------------------------------------- inputs in UTF-8 and UTF-16
# A Japanese list saved as Notepad saves it (UTF-8 without a BOM, UTF-16 LE
# with one), 「 and 」 typed as mae and ato: the output in the input's
# encoding, the console in Shift-JIS behind a line naming the encoding.

encoding_checks() {
    local dir="$OUT/encodings" kind
    rm -rf "$dir"; mkdir -p "$dir"
    printf '東京 都\r\n大阪,京都\r\n  札幌\r\n' >"$dir/list.txt"
    printf '「東京」\r\n「大阪」\r\n「京都」\r\n「札幌」\r\n' >"$dir/framed.txt"
    for kind in UTF-8 'UTF-16 LE'; do
        local name=in8.txt
        if [ "$kind" = UTF-8 ]; then
            cp "$dir/list.txt" "$dir/$name"; cp "$dir/framed.txt" "$dir/expected-$name"
        else
            name=in16.txt
            { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE "$dir/list.txt"; } >"$dir/$name"
            { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE "$dir/framed.txt"; } >"$dir/expected-$name"
        fi
        LIMIT=60 start_program "$dir" "$APP"
        local pid=$RUN_PID
        if [ -z "$(window_id)" ]; then
            wait_exit "$pid" 1
            fail "$kind input" "no window appeared (exit code $EXIT_RC)"
            continue
        fi
        answer "$name" "out-$name"
        # The brackets are posted: typing them through X is lost now and then under load.
        local bracket
        for bracket in '「' '」'; do
            inspect --caret on 10000 >/dev/null
            helper keys_post "$bracket"
            key Return
        done
        local why=""
        wait_file_equals "$dir/out-$name" 10 "$dir/expected-$name" ||
            why+="out-$name: $(od -An -tx1 "$dir/out-$name" 2>&1 | head -2 | tr -s ' \n' ' '); "
        local rows=(" Input file name ? $name" " Output file name ? out-$name" ' mae ? 「' ' ato ? 」'
                    "入力「$name」は $kind として読みます" 「東京」 「大阪」 「京都」 「札幌」 osimai)
        screen_matches "enc-${name%.txt}" 5 "${rows[@]}" ||
            why+="$DIFF pixels differ from the reference drawing (see $OUT/enc-${name%.txt}-diff.png); "
        helper prompt_close
        wait_exit "$pid" 10
        [ "$EXIT_RC" = 0 ] || why+="exit code $EXIT_RC; "
        if [ -z "$why" ]; then pass "$kind input: output in $kind byte for byte, console in Shift-JIS (pixel-exact)"
        else fail "$kind input" "$why"; fi
    done
}

# ------------------------------------------------------- Unicode characters
# A list of names in UTF-8 and in UTF-16 with what code page 932 lacks
# (accented Latin, Hangul, simplified Chinese, an emoji): the console shows
# each character in its cells, drawn in the console font with the system's
# font links (a pair through the emoji face), pixel-exact against the names
# drawn one character at a time in UTF-16; a copy of everything holds the
# names' exact UTF-16.

unicode_checks() {
    local dir="$OUT/unicode" kind
    rm -rf "$dir"; mkdir -p "$dir"
    local names=(Müller José Søren 김민준 张伟 😀)
    printf '%s\r\n' "${names[@]}" >"$dir/list.txt"
    for kind in UTF-8 'UTF-16 LE'; do
        local name=names8.txt
        if [ "$kind" = UTF-8 ]; then cp "$dir/list.txt" "$dir/$name"
        else name=names16.txt; { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE "$dir/list.txt"; } >"$dir/$name"; fi
        LIMIT=60 start_program "$dir" "$APP"
        local pid=$RUN_PID
        if [ -z "$(window_id)" ]; then
            wait_exit "$pid" 1
            fail "$kind names" "no window appeared (exit code $EXIT_RC)"
            continue
        fi
        answer "$name" "out-$name" '<' '>'
        local rows=(" Input file name ? $name" " Output file name ? out-$name" ' mae ? <' ' ato ? >'
                    "入力「$name」は $kind として読みます") n why=""
        for n in "${names[@]}"; do rows+=("<$n>"); done
        rows+=(osimai)
        TEXT_REF_WIDE=1 screen_matches "uni-${name%.txt}" 5 "${rows[@]}" ||
            why+="$DIFF pixels differ from the reference drawing (see $OUT/uni-${name%.txt}-diff.png); "
        key ctrl+a; key Return
        sleep 0.3
        local copied
        copied=$(helper clip_get | sed -n 's/^unicode=//p' | xxd -r -p | iconv -f UTF-16LE -t UTF-8 2>&1 | tr -d '\r')
        grep -qzF "$(printf '<%s>\n' "${names[@]}")" <<<"$copied" || why+="the copy: '$(tr '\n' '|' <<<"$copied")'; "
        if [ "$kind" = UTF-8 ]; then
            local frame
            inspect
            read -r -a frame <<<"$(field frame)"
            if [ ${#frame[@]} = 4 ]; then
                convert "$OUT/uni-${name%.txt}-full.png" \
                    -crop "$((frame[2] - frame[0]))x$((frame[3] - frame[1]))+${frame[0]}+${frame[1]}" \
                    +repage -crop 640x280+0+0 +repage "$OUT/unicode-window.png"
                [ $DOCS = 1 ] && mkdir -p "$ROOT/docs" && cp "$OUT/unicode-window.png" "$ROOT/docs/unicode.png"
            fi
        fi
        helper prompt_close
        wait_exit "$pid" 10
        [ "$EXIT_RC" = 0 ] || why+="exit code $EXIT_RC; "
        if [ -z "$why" ]; then pass "$kind names with accents, Hangul, Chinese and an emoji shown as their characters (pixel-exact) and copied as their UTF-16"
        else fail "$kind names" "$why"; fi
    done
}

# ---------------------------------------------------------- Windows habits
# A file dropped on the window as a file manager drops it (XDND through
# Wine, tests/gui/xdnd_drop.c), an answer edited with the arrows, Home and
# Delete, an answer recalled with Up, and the four answers given on the
# command line, whose run must look exactly like the typed one.

habits_checks() {
    local dir="$OUT/habits" why pid
    rm -rf "$dir"; mkdir -p "$dir/args"
    cp "$ROOT/examples/sample.txt" "$dir/sample.txt"
    cp "$ROOT/examples/sample.txt" "$dir/args/sample.txt"
    local expected="$ROOT/examples/sample-expected.txt" items=()
    while IFS= read -r line; do items+=("$line"); done < <(iconv -f CP932 -t UTF-8 "$expected" | tr -d '\r')

    # The drop, then the rest typed.
    if cc -O -o "$OUT/xdnd_drop" "$ROOT/tests/gui/xdnd_drop.c" -lX11 2>"$OUT/xdnd_drop.log"; then
        LIMIT=60 start_program "$dir" "$APP"
        pid=$RUN_PID
        local win path
        win=$(window_id)
        path=$(winepath -w "$dir/sample.txt" | tr -d '\r')
        why=""
        if [ -z "$win" ]; then why="no window appeared; "
        else
            inspect --caret on 10000
            local ox oy
            read -r ox oy <<<"$(field origin)"
            timeout 30 "$OUT/xdnd_drop" "$win" $((ox + 40)) $((oy + 20)) "file://$dir/sample.txt" ||
                why+="xdnd_drop failed ($?); "
            sleep 0.5
            key Return
            answer out.txt '<' '>'
            wait_file_equals "$dir/out.txt" 10 "$expected" || why+="the output of the dropped file differs; "
            # A backslash reaches a program through Wine's command line only doubled.
            screen_matches habits-drop 5 " Input file name ? ${path//\\/\\\\}" ' Output file name ? out.txt' ' mae ? <' \
                ' ato ? >' "${items[@]}" osimai || why+="$DIFF pixels differ (see $OUT/habits-drop-diff.png); "
            helper prompt_close
        fi
        wait_exit "$pid" 10
        if [ -z "$why" ]; then pass "a file dropped on the window (XDND) types its path at the caret"
        else fail "dropped file" "$why"; fi
    else
        fail "dropped file" "tests/gui/xdnd_drop.c does not build: $(head -3 "$OUT/xdnd_drop.log")"
    fi

    # Editing with the keys, and a recalled answer: sampl.txt becomes
    # sample.txt (Left four times, e), xample.txt becomes sample.txt (Home,
    # Delete, s); ato is mae recalled with Up.
    LIMIT=60 start_program "$dir" "$APP"
    pid=$RUN_PID
    why=""
    if [ -z "$(window_id)" ]; then why="no window appeared; "
    else
        inspect --caret on 10000 >/dev/null
        type_text 'sampl.txt'; key Left Left Left Left; type_text e; key Return
        inspect --caret on 10000 >/dev/null
        type_text 'xout.txt'; key Home Delete; key End; key Return
        inspect --caret on 10000 >/dev/null
        type_text 'zz'; key Escape; type_text '['; key Return
        inspect --caret on 10000 >/dev/null
        key Up; key Return
        tr '<>' '[[' <"$expected" >"$dir/expected-edit.txt"
        wait_file_equals "$dir/out.txt" 10 "$dir/expected-edit.txt" || why+="out.txt: $(head -c 60 "$dir/out.txt" | tr '\r\n' '  '); "
        local edited=()
        for line in "${items[@]}"; do edited+=("$(tr '<>' '[[' <<<"$line")"); done
        screen_matches habits-edit 5 ' Input file name ? sample.txt' ' Output file name ? out.txt' ' mae ? [' \
            ' ato ? [' "${edited[@]}" osimai || why+="$DIFF pixels differ (see $OUT/habits-edit-diff.png); "
        helper prompt_close
    fi
    wait_exit "$pid" 10
    if [ -z "$why" ]; then pass "editing: Left, Home, Delete and Esc edit the answer, Up recalls one (pixel-exact)"
    else fail "editing keys" "$why"; fi

    # The four answers on the command line: the same output, the same screen
    # as the typed run (pixel for pixel against its screenshot).
    LIMIT=60 start_program "$dir/args" "$APP" sample.txt out.txt '<' '>'
    pid=$RUN_PID
    why=""
    if [ -z "$(window_id)" ]; then why="no window appeared; "
    else
        wait_file_equals "$dir/args/out.txt" 10 "$expected" || why+="the output differs from the typed run's; "
        local i diff=unknown
        for ((i = 0; i < 10; i++)); do
            sleep 0.5
            shoot "$OUT/habits-args-full.png" "$OUT/habits-args.png" || continue
            diff=$(compare -metric AE "$OUT/app-run.png" "$OUT/habits-args.png" "$OUT/habits-args-diff.png" 2>&1 >/dev/null)
            [ "$diff" = 0 ] && break
        done
        [ "$diff" = 0 ] || why+="$diff pixels differ from the typed run (see $OUT/habits-args-diff.png); "
        helper prompt_close
    fi
    wait_exit "$pid" 10
    [ "$EXIT_RC" = 0 ] || why+="exit code $EXIT_RC; "
    if [ -z "$why" ]; then pass "the four answers on the command line: output and screen as in the typed run"
    else fail "command-line answers" "$why"; fi
}

# ------------------------------------------------ what the user gives, as given
# Answers reach the program as given: a pasted text's line ends answer the
# questions one by one, keys typed before a question appears are kept for
# it, an argument too long for a line and a name with a comma go in their
# short (8.3) form, dropped or given.

# Runs the utility in folder $1 with arguments, lets $2 (a function) give
# the answers, and checks the output $3, then what the function GIVEN_AFTER
# checks, and exit code 0. Appends to WHY.
given_run() {  # folder how output args...
    local dir=$1 how=$2 output=$3 pid
    shift 3
    LIMIT=60 start_program "$dir" "$APP" "$@"
    pid=$RUN_PID
    if [ -z "$(window_id)" ]; then WHY+="no window appeared; "
    else
        $how
        wait_file_equals "$output" 10 "$GIVEN_EXPECTED" || WHY+="$(basename "$output"): $(head -c 40 "$output" 2>&1 | tr '\r\n' '  '); "
        $GIVEN_AFTER
        helper prompt_close
    fi
    wait_exit "$pid" 10
    [ "$EXIT_RC" = 0 ] || WHY+="exit code $EXIT_RC; "
}

given_paste() {
    inspect --caret on 10000 >/dev/null
    helper clip_put 'sample.txt\r\npasted.txt\r\n<\r\n>\r\n' || WHY+="clip_put failed; "
    key ctrl+v
}
given_ahead() {
    inspect --caret on 10000 >/dev/null
    helper keys_post 'sample.txt\rahead.txt\r<\r>\r' || WHY+="keys_post failed; "
}
given_paste_screen() {
    screen_matches given-paste 5 ' Input file name ? sample.txt' ' Output file name ? pasted.txt' ' mae ? <' \
        ' ato ? >' "${GIVEN_ROWS[@]}" osimai || WHY+="$DIFF pixels differ (see $OUT/given-paste-diff.png); "
}
given_none() { :; }
given_drop() {
    local win ox oy
    win=$(window_id)
    inspect --caret on 10000
    read -r ox oy <<<"$(field origin)"
    timeout 30 "$OUT/xdnd_drop" "$win" $((ox + 40)) $((oy + 20)) "file://$GIVEN_DIR/a,b.txt" || WHY+="xdnd_drop failed; "
    sleep 0.5
    key Return
    answer dropped.txt '<' '>'
}

as_given_checks() {
    local dir="$OUT/given" line items=()
    rm -rf "$dir"; mkdir -p "$dir"
    GIVEN_DIR=$dir GIVEN_EXPECTED="$ROOT/examples/sample-expected.txt" GIVEN_AFTER=""
    cp "$ROOT/examples/sample.txt" "$dir/sample.txt"
    cp "$ROOT/examples/sample.txt" "$dir/a,b.txt"
    while IFS= read -r line; do items+=("$line"); done < <(iconv -f CP932 -t UTF-8 "$GIVEN_EXPECTED" | tr -d '\r')
    [ -x "$OUT/xdnd_drop" ] || cc -O -o "$OUT/xdnd_drop" "$ROOT/tests/gui/xdnd_drop.c" -lX11 2>/dev/null

    WHY=""
    GIVEN_ROWS=("${items[@]}")
    GIVEN_AFTER=given_paste_screen given_run "$dir" given_paste "$dir/pasted.txt"
    if [ -z "$WHY" ]; then pass "a pasted text's line ends answer the four questions in turn (pixel-exact)"
    else fail "pasted line ends" "$WHY"; fi

    WHY=""
    given_run "$dir" given_ahead "$dir/ahead.txt"
    if [ -z "$WHY" ]; then pass "all four answers posted at once: each kept for its question"
    else fail "type-ahead" "$WHY"; fi

    # A comma in the input's name and a 300-byte output path, as arguments.
    local deep="$dir" i
    for i in 1 2 3 4 5; do deep+="/d$i$(printf 'x%.0s' $(seq 1 47))"; done
    mkdir -p "$deep"
    local long="Z:${deep//\//\\}\\out.txt"  # winepath stops at 260 characters
    WHY=""
    given_run "$dir" given_none "$deep/out.txt" 'a,b.txt' "$long" '<' '>'
    # A path cut to 255 bytes would have named a file in the folder above.
    [ "$(ls -A "$(dirname "$deep")")" = "$(basename "$deep")" ] || WHY+="a file was written beside $deep; "
    if [ -z "$WHY" ]; then pass "arguments: a name with a comma and a ${#long}-byte path work in their short form"
    else fail "long and comma arguments" "$WHY"; fi

    WHY=""
    if [ -x "$OUT/xdnd_drop" ]; then given_run "$dir" given_drop "$dir/dropped.txt"
    else WHY="xdnd_drop is not built; "; fi
    if [ -z "$WHY" ]; then pass "a dropped file whose name holds a comma is typed in its short form and read"
    else fail "dropped comma file" "$WHY"; fi
}

# ------------------------------------------- scroll-back, selection, resize
# A run of 3,000 items, its first answer pasted with a right-click: the
# screen at rest, then scrolled back with the wheel, the scroll bar and
# Ctrl+Home, each pixel-compared with the rows expected there; a drag-select
# over Japanese text copied with a right-click, both clipboard formats
# checked byte for byte; resized, minimised and restored, the screen as
# before. Then a run of 2,000,000 items that must finish while the left
# button holds a selection.

# The console's lines of the view whose top line is $1, into ROWS (LINES
# holds every line of the console, the cursor's empty one last; R rows show).
view_rows() {  # top
    ROWS=("${LINES[@]:$1:$R}")
}

# The view's size from the client area: F rows shown whole, R in all, and
# the top line of the view at the bottom (the cursor's line last).
view_size() {
    local w h
    inspect
    read -r w h <<<"$(field client)"
    F=$((h / CH)); R=$(((h + CH - 1) / CH))
    BOTTOM=$((${#LINES[@]} - F)); [ $BOTTOM -lt 0 ] && BOTTOM=0
}

# Pixel of the middle of cell (col, row) on the screen, in PX PY.
cell_px() {  # col row
    local ox oy
    read -r ox oy <<<"$(field origin)"
    PX=$((ox + $1 * CW + CW / 2)); PY=$((oy + $2 * CH + CH / 2))
}

view_checks() {
    local dir="$OUT/view" why="" pid n=3000 i
    rm -rf "$dir"; mkdir -p "$dir"
    seq -f 'item%04g tail' 1 $n | sed 's/$/\r/' >"$dir/in.txt"
    read -r CW CH <<<"$(helper text_ref "$(winepath -w "$dir/cell.bmp")" 8 8 x | sed -n 's/^cell=//p')"
    LINES=(' Input file name ? in.txt' ' Output file name ? out.txt' ' mae ? 「' ' ato ? 」')
    while IFS= read -r line; do LINES+=("$line"); done < <(seq -f '「item%04g」' 1 $n)
    LINES+=(osimai '')
    seq -f '[item%04g]' 1 $n | sed 's/$/\r/' | sed 's/\[/「/; s/\]/」/' | iconv -f UTF-8 -t CP932 >"$dir/expected.txt"

    LIMIT=120 start_program "$dir" "$APP"
    pid=$RUN_PID
    if [ -z "$(window_id)" ]; then
        fail "scroll-back" "no window appeared"
        wait_exit "$pid" 1
        return
    fi
    inspect --caret on 10000 >/dev/null
    helper clip_put 'in.txt'
    cell_px 30 0
    timeout 10 xdotool mousemove $PX $PY click 3  # a right-click with nothing selected pastes
    sleep 0.3
    key Return
    answer out.txt '「' '」'
    wait_file_equals "$dir/out.txt" 20 "$dir/expected.txt" || why+="the output differs (the pasted name?); "
    view_size
    view_rows $BOTTOM
    screen_matches view-rest 10 "${ROWS[@]}" || why+="at rest: $DIFF pixels differ (see $OUT/view-rest-diff.png); "
    if [ -z "$why" ]; then pass "a right-click pastes an answer; 3,000 items shown at rest with the scroll bar (pixel-exact)"
    else fail "scroll-back at rest" "$why"; fi

    # The wheel (Wine's 3 lines a notch), the bar's arrow (a line), the bar's
    # track above the thumb (a page), Ctrl+Home (the top).
    why=""
    local top=$BOTTOM ox oy w h
    cell_px 10 5
    timeout 10 xdotool mousemove $PX $PY click 4
    top=$((top - 3)); view_rows $top
    screen_matches view-wheel 5 "${ROWS[@]}" || why+="wheel: $DIFF pixels differ; "
    read -r ox oy <<<"$(field origin)"; read -r w h <<<"$(field client)"
    timeout 10 xdotool mousemove $((ox + w + 8)) $((oy + 8)) click 1
    top=$((top - 1)); view_rows $top
    screen_matches view-bar-line 5 "${ROWS[@]}" || why+="scroll bar arrow: $DIFF pixels differ; "
    timeout 10 xdotool mousemove $((ox + w + 8)) $((oy + 24)) click 1
    top=$((top - F)); view_rows $top
    screen_matches view-bar-page 5 "${ROWS[@]}" || why+="scroll bar page: $DIFF pixels differ; "
    key ctrl+Home
    view_rows 0
    screen_matches view-top 5 "${ROWS[@]}" || why+="Ctrl+Home: $DIFF pixels differ; "
    if [ -z "$why" ]; then pass "scrolled back with the wheel, the scroll bar's arrow and track, and Ctrl+Home (pixel-exact)"
    else fail "scroll-back" "$why"; fi

    # A drag from the m of mae to the 0 of item0001's first digits, copied
    # with a right-click: rows in line order, whole characters.
    why=""
    local x1 y1
    cell_px 1 2; x1=$PX; y1=$PY
    cell_px 6 4
    timeout 10 xdotool mousemove $x1 $y1 mousedown 1 mousemove $((PX - 2)) $PY sleep 0.2 mousemove $PX $PY mouseup 1
    sleep 0.3
    timeout 10 xdotool click 3
    sleep 0.3
    local want clip
    want=$(printf 'mae ? 「\r\n ato ? 」\r\n「item0' | iconv -f UTF-8 -t CP932 | xxd -p | tr -d '\n')
    clip=$(helper clip_get)
    [ "$(sed -n 's/^text=//p' <<<"$clip")" = "$want" ] || why+="CF_TEXT: $(sed -n 's/^text=//p' <<<"$clip"), not $want; "
    want=$(printf 'mae ? 「\r\n ato ? 」\r\n「item0' | iconv -f UTF-8 -t UTF-16LE | xxd -p | tr -d '\n')
    [ "$(sed -n 's/^unicode=//p' <<<"$clip")" = "$want" ] || why+="CF_UNICODETEXT: $(sed -n 's/^unicode=//p' <<<"$clip"), not $want; "
    screen_matches view-copied 5 "${ROWS[@]}" || why+="after the copy: $DIFF pixels differ; "
    if [ -z "$why" ]; then pass "a drag-select over Japanese text copied: CF_TEXT and CF_UNICODETEXT byte for byte, the selection gone"
    else fail "select and copy" "$why"; fi

    # Back to the bottom; smaller, minimised, restored, back to its size.
    why=""
    key ctrl+End
    local fl ft fr fb
    read -r fl ft fr fb <<<"$(field frame)"
    helper prompt_size 420 260 || why+="prompt_size failed; "
    sleep 0.5
    view_size; view_rows $BOTTOM
    screen_matches view-small 5 "${ROWS[@]}" || why+="smaller: $DIFF pixels differ; "
    helper prompt_size minimise; sleep 0.5; helper prompt_size restore; sleep 0.5
    helper prompt_size $((fr - fl)) $((fb - ft))
    sleep 0.5
    view_size; view_rows $BOTTOM
    screen_matches view-restored 5 "${ROWS[@]}" || why+="restored: $DIFF pixels differ; "
    helper prompt_close
    wait_exit "$pid" 10
    [ "$EXIT_RC" = 0 ] || why+="exit code $EXIT_RC; "
    if [ -z "$why" ]; then pass "resized, minimised and restored: the rows come back as they were (pixel-exact)"
    else fail "resize" "$why"; fi

    # Output goes on while the left button holds a selection.
    why=""
    n=2000000
    seq -f 'item%07.0f tail' 1 $n | sed 's/$/\r/' >"$dir/big.txt"
    seq -f '[item%07.0f]' 1 $n | sed 's/$/\r/' >"$dir/big-expected.txt"
    LIMIT=120 start_program "$dir" "$APP" big.txt big-out.txt '[' ']'
    pid=$RUN_PID
    if [ -n "$(window_id)" ]; then
        inspect
        cell_px 1 0; x1=$PX; y1=$PY
        cell_px 10 1
        timeout 10 xdotool mousemove $x1 $y1 mousedown 1 mousemove $PX $PY
        wait_file_equals "$dir/big-out.txt" 60 "$dir/big-expected.txt" || why+="the output did not complete while text was selected; "
        timeout 10 xdotool mouseup 1
        LINES=("[item$(printf %07d $((n - 1)))]" "[item$(printf %07d $n)]" osimai '')
        view_size
        # The last rows: what the view shows at the bottom.
        local tail=() k
        for ((k = F - 4; k > 0; k--)); do tail+=("[item$(printf %07d $((n - 1 - k)))]"); done
        LINES=("${tail[@]}" "${LINES[@]}")
        view_rows 0
        screen_matches view-big 10 "${ROWS[@]}" || why+="at the end: $DIFF pixels differ; "
        helper prompt_close
    else why+="no window appeared; "; fi
    wait_exit "$pid" 10
    rm -f "$dir/big.txt" "$dir/big-out.txt" "$dir/big-expected.txt"
    if [ -z "$why" ]; then pass "2,000,000 items run to the end while the left button holds a selection (pixel-exact)"
    else fail "output during a selection" "$why"; fi
}

# --------------------------------------------------------------- high DPI
# The program started with the system's DPI at 120, 144 and 192 (Wine reads
# it from HKCU\Control Panel\Desktop\LogPixels when a program starts): the
# questions drawn in the font scaled to the DPI (pixel-exact against the
# reference drawn at that DPI), the caret scaled at its cell, and the
# window's first size scaled from the one at 96 DPI, as far as the 1024 x
# 768 screen holds it. Wine 8 gives every monitor the system DPI and never
# sends WM_DPICHANGED itself: the move to a new DPI is checked by
# console_window_tests, which sends it.
set_dpi() { timeout 60 wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1; }
muldiv() { echo $((($1 * $2 + $3 / 2) / $3)); }  # as MulDiv rounds, for positive numbers

dpi_checks() {
    local dir="$OUT/dpi" d why="" pid w h w96=0 h96=0 c96=0 r96=0 cw ch fl ft fr fb
    rm -rf "$dir"; mkdir -p "$dir"
    cp "$ROOT/examples/sample.txt" "$dir/sample.txt"
    for d in 96 120 144 192; do
        set_dpi $d
        LIMIT=60 start_program "$dir" "$APP" sample.txt out.txt '<'
        pid=$RUN_PID
        if [ -z "$(window_id)" ] || ! inspect --caret on 10000; then
            why+="$d DPI: no window or no caret; "
            helper prompt_close; wait_exit "$pid" 10
            continue
        fi
        read -r w h <<<"$(field client)"
        read -r fl ft fr fb <<<"$(field frame)"
        [ $d = 96 ] && w96=$w h96=$h
        read -r cw ch <<<"$(TEXT_REF_DPI=$d helper text_ref "$(winepath -w "$dir/cell.bmp")" 8 8 x | sed -n 's/^cell=//p')"
        # The caret: 9 by 6 at 96 DPI, 1 pixel above the bottom of the cell after " ato ? ".
        local l=$((7 * cw)) t=$((3 * ch + ch - $(muldiv 7 $d 96)))
        local want="$l $t $((l + $(muldiv 9 $d 96))) $((t + $(muldiv 6 $d 96)))"
        [ "$(field caretrect)" = "$want" ] || why+="$d DPI: the caret at $(field caretrect), not $want; "
        # The window: scaled from 96 DPI, as many whole columns and rows as
        # there, unless the screen's edge stopped it.
        [ $d = 96 ] && c96=$((w / cw)) r96=$((h / ch))
        if [ $fr -lt 1024 ] && [ $fb -lt 768 ]; then
            [ "$((w / cw)) $((h / ch))" = "$c96 $r96" ] ||
                why+="$d DPI: $((w / cw)) columns and $((h / ch)) rows, not $c96 and $r96 as at 96 DPI; "
        fi
        TEXT_REF_DPI=$d screen_matches dpi-$d 5 ' Input file name ? sample.txt' ' Output file name ? out.txt' \
            ' mae ? <' ' ato ? ' || why+="$d DPI: $DIFF pixels differ (see $OUT/dpi-$d-diff.png); "
        note "$d DPI: cell $cw x $ch, client $w x $h, frame $fl $ft $fr $fb, caret $(field caretrect)"
        helper prompt_close
        wait_exit "$pid" 10
    done
    set_dpi 96
    if [ -z "$why" ]; then pass "at 120, 144 and 192 DPI: the font, the cell, the caret and the window scaled (pixel-exact)"
    else fail "high DPI" "$why"; fi
}

# --------------------------------------------------------------------- run

machinery
if [ -n "${GUI_ONLY:-}" ]; then  # bash scripts/gui-tests.sh with GUI_ONLY="name_checks ...": just those
    for c in $GUI_ONLY; do $c; done
    [ $FAILS = 0 ]; exit
fi
if [ -f "$HELPERS/console_probe.exe" ]; then
    console_checks
    whole_character_checks
else
    fail console "console_probe.exe is not built (is runtime/console missing?)"
fi
if [ -f "$APP" ]; then
    app_checks
    encoding_checks
    unicode_checks
    habits_checks
    as_given_checks
    view_checks
    dpi_checks
    if [ -f "$HELPERS/sys_message.exe" ]; then app_failure_checks
    else fail "application failures" "sys_message.exe is not built"; fi
else
    note "application not built ($APP): its checks are skipped"
fi

note "screenshots in $OUT"
[ $FAILS = 0 ]
