# Sourced: the environment every Wine call of the tests uses. Expects BUILD
# (a Windows build folder: build/win32 or build/win64). Creates, once, a
# quiet prefix inside the build tree and a Japanese locale that gives Wine
# the ANSI code page 932.
#
# The build folder says which loader runs it (the file windows-arch that
# CMake writes). A 64-bit build gets a 64-bit prefix, and `wine`,
# `wineserver`, `winepath` and `wineboot` are put first on PATH as small
# scripts that call Wine's 64-bit loader and server directly: Debian's own
# commands of those names pick the 32-bit loader whenever it is installed,
# even on a machine that cannot run it, and `timeout wine ...` needs a
# program, not a shell function.
export WINEPREFIX="$BUILD/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LOCPATH="$BUILD/locale"
export LANG=ja_JP.UTF-8
unset LC_ALL

WINE_ARCH=$(cat "$BUILD/windows-arch" 2>/dev/null || echo win32)
if [ "$WINE_ARCH" = win64 ]; then
    export WINEARCH=win64
    export WINELOADER=/usr/lib/wine/wine64
    export WINESERVER=/usr/lib/wine/wineserver64
    WINE_BIN="$BUILD/wine-bin"
    if [ ! -x "$WINE_BIN/winepath" ]; then
        mkdir -p "$WINE_BIN"
        for _w in wine wineserver winepath wineboot; do
            case $_w in
                wine) _cmd='exec /usr/lib/wine/wine64 "$@"' ;;
                wineserver) _cmd='exec /usr/lib/wine/wineserver64 "$@"' ;;
                *) _cmd="exec /usr/lib/wine/wine64 $_w.exe \"\$@\"" ;;
            esac
            printf '#!/bin/sh\n%s\n' "$_cmd" >"$WINE_BIN/$_w.tmp"
            chmod +x "$WINE_BIN/$_w.tmp"
            mv "$WINE_BIN/$_w.tmp" "$WINE_BIN/$_w"
        done
        unset _w _cmd
    fi
    case ":$PATH:" in *":$WINE_BIN:"*) ;; *) export PATH="$WINE_BIN:$PATH" ;; esac
else
    # Debian's own commands, which run the 32-bit loader: no wrappers of a
    # 64-bit build left on PATH by an earlier phase.
    unset WINEARCH WINELOADER WINESERVER
    PATH=$(printf '%s' "$PATH" | tr ':' '\n' | grep -v '/wine-bin$' | paste -sd:)
fi

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
        if [ ! -f "$WINEPREFIX/.linewrap-fonts-1" ]; then
            wine_env_fonts
            wineserver -w
            touch "$WINEPREFIX/.linewrap-fonts-1"
        fi
    ) 9>"$BUILD/.wine-env.lock"
}

# The fonts a Japanese Windows has, from the Debian packages setup.sh
# installs: "ＭＳ 明朝" is IPA Mincho (named, so that no other fixed-pitch
# face with Japanese, such as WenQuanYi Zen Hei Mono, is taken for it), and
# it links, as MS Mincho links Batang and SimSun on Windows, Nanum Myeongjo
# for Hangul and WenQuanYi Zen Hei for the Chinese it lacks; the emoji face
# the console asks for characters past U+FFFF is Symbola. Wine finds a
# font link under the family's name as the locale spells it, so the link
# is given under both of IPA Mincho's names.
wine_env_fonts() {
    local links='NanumMyeongjo.ttf,NanumMyeongjo\0wqy-zenhei.ttc,WenQuanYi Zen Hei' name
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ 明朝' /d 'IPAMincho' /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Segoe UI Emoji' /d 'Symbola' /f >/dev/null 2>&1
    for name in 'IPAMincho' 'IPA明朝'; do
        wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v "$name" \
            /t REG_MULTI_SZ /d "$links" /f >/dev/null 2>&1
    done
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
