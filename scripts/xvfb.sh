# Sourced: xvfb_start starts a virtual X display on a free number and exports
# DISPLAY; xvfb_stop ends it. Wine manages its own windows there (the prefix
# sets Managed=N), so no window manager is needed.
xvfb_start() {
    local n
    for n in $(seq 91 140); do
        [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
        XVFB_PID=$!
        local i
        for i in $(seq 1 50); do
            if DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then
                export DISPLAY=":$n"
                return 0
            fi
            kill -0 $XVFB_PID 2>/dev/null || break
            sleep 0.1
        done
        kill $XVFB_PID 2>/dev/null
    done
    echo "xvfb: no display could be started" >&2
    return 1
}

xvfb_stop() {
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
    XVFB_PID=
}
