# Sourced by the scripts that drive the real console window under Wine
# (scripts/gui-tests.sh, bench/run-bench.sh). Expects HELPERS (the folder of
# the Win32 helper programs) and, before driver_begin, BUILD for the prefix.
# Also sources wine-env.sh and xvfb.sh.
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
. "$(dirname "${BASH_SOURCE[0]}")/xvfb.sh"

STARTED_X=0
STARTED_SERVER=0
BG_PIDS=()

driver_cleanup() {
    local p
    for p in "${BG_PIDS[@]}"; do
        kill "$p" 2>/dev/null && wait "$p" 2>/dev/null
    done
    if [ $STARTED_SERVER = 1 ]; then wineserver -k 2>/dev/null; fi
    if [ $STARTED_X = 1 ]; then xvfb_stop; fi
}

# Uses the current display and wineserver when there is a display (as in
# scripts/test.sh); otherwise starts Xvfb and, with it, a wineserver of its
# own: one that lives without this display would break every window of the
# prefix. Everything started here ends with the calling script.
driver_begin() {
    trap driver_cleanup EXIT
    if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
        xvfb_start || return 1
        STARTED_X=1
        wineserver -k 2>/dev/null
    fi
    wine_env_prepare
    if [ $STARTED_X = 1 ]; then wineserver -p; STARTED_SERVER=1; fi
}

# A helper program, in the foreground, bounded (HELPER_LIMIT seconds, 30
# by default); CR LF output made LF.
helper() {  # name args...
    local name=$1; shift
    timeout -k 5 "${HELPER_LIMIT:-30}" wine "$HELPERS/$name.exe" "$@" | tr -d '\r'
    return "${PIPESTATUS[0]}"
}

# Starts a Windows program in the background in folder $1 (bounded to
# $LIMIT seconds of life); its process id is left in RUN_PID.
start_program() {  # folder exe args...
    local dir=$1 exe=$2; shift 2
    (cd "$dir" && exec timeout -k 5 "${LIMIT:-120}" wine "$exe" "$@") &
    RUN_PID=$!
    BG_PIDS+=("$RUN_PID")
}

# Waits at most $2 seconds for process $1 to end; its exit code in EXIT_RC
# (124 when it had to be stopped).
wait_exit() {  # pid seconds
    local pid=$1 i
    for ((i = 0; i < $2 * 10; i++)); do
        case "$(ps -o stat= -p "$pid" 2>/dev/null)" in
            "" | Z*) wait "$pid"; EXIT_RC=$?; return 0 ;;
        esac
        sleep 0.1
    done
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    EXIT_RC=124
    return 1
}

window_id() { timeout 20 xdotool search --sync --name '^BASIC PROMPT$' 2>/dev/null | head -1; }

# Keys as the user types them. A delay of 40 ms between keys: with less,
# Wine sometimes misses the first character that xdotool has to map to a
# spare key code (every non-ASCII one).
type_text() { timeout 30 xdotool type --delay 40 -- "$1"; }
key() { timeout 10 xdotool key --delay 40 "$@"; }
