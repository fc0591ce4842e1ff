# Sourced: the environment every Wine call of the tests uses. Expects BUILD
# (the win32 build folder). Creates, once, a quiet 32-bit prefix inside the
# build tree and a Japanese locale that gives Wine the ANSI code page 932.
export WINEPREFIX="$BUILD/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LOCPATH="$BUILD/locale"
export LANG=ja_JP.UTF-8
unset LC_ALL

wine_env_prepare() {
    mkdir -p "$BUILD"
    (
        flock 9
        if [ ! -d "$LOCPATH/ja_JP.UTF-8" ]; then
            mkdir -p "$LOCPATH"
            localedef -i ja_JP -f UTF-8 "$LOCPATH/ja_JP.UTF-8" 2>/dev/null || true
        fi
        if [ ! -f "$WINEPREFIX/.linewrap-ready" ]; then
            rm -rf "$WINEPREFIX"
            wineboot -i >/dev/null 2>&1
            wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
            # Wine manages its own windows: no window manager is needed on Xvfb.
            wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
            wineserver -w
            touch "$WINEPREFIX/.linewrap-ready"
        fi
    ) 9>"$BUILD/.wine-env.lock"
}

# Starts one wineserver for a whole test phase and Wine's own services with
# it. The services live as long as the server and keep the standard output
# of the process that started them: started from here, they hold /dev/null
# rather than the pipe of the first test CTest runs, which CTest would wait
# on until its time-out.
wine_env_start_server() {
    wineserver -p
    wine cmd.exe /c exit </dev/null >/dev/null 2>&1
}
