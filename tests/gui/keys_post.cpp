// Test helper: posts text to the console window as WM_CHAR messages, one per
// byte in the ANSI code page, as the keyboard delivers typed characters (a
// double-byte character as its lead byte, then its trail byte). Used where
// typing through the X server is not reliable: xdotool has to map every
// non-ASCII character to a spare key code, and Wine now and then misses it.
//   keys_post TEXT   TEXT is UTF-8, with the escapes of clip_put
// Exit code 0 when every message was posted, 1 when no window was found in 5 s.
#include "gui_helper.h"

#include <cstdio>

int main() {
    std::vector<std::wstring> args = WideArgs();
    if (args.size() != 2) {
        fprintf(stderr, "usage: keys_post TEXT\n");
        return 2;
    }
    HWND w = FindPromptWindow(5000);
    if (!w) {
        fprintf(stderr, "keys_post: no console window\n");
        return 1;
    }
    for (unsigned char c : Unescape(ToAnsi(args[1])))
        if (!PostMessageA(w, WM_CHAR, c, 0)) return 1;
    return 0;
}
