// Test helper: looks at the console window from outside, as a test that
// cannot reach into the program, and prints what it sees as key=value lines:
// class and window styles, title, visibility, client size and its place on
// the screen, and the caret of the window's thread.
//   prompt_inspect                       one look
//   prompt_inspect --caret on|off [ms]   first waits (default 5000 ms) until
//                                        the caret is shown / gone; exit 1 if
//                                        it never is
#include "gui_helper.h"

#include <cstdio>
#include <cstring>

static bool CaretShown(HWND w, DWORD thread, RECT* rect) {
    GUITHREADINFO info;
    memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(thread, &info)) return false;
    *rect = info.rcCaret;
    // The console creates its caret only to show it and destroys it when it
    // hides it, so an existing caret of this window is a shown one.
    return info.hwndCaret == w && (info.flags & GUI_CARETBLINKING);
}

int main(int argc, char** argv) {
    SetProcessDPIAware();  // the window's real pixels, whatever the system's DPI
    HWND w = FindPromptWindow(5000);
    if (!w) {
        printf("window=none\n");
        return 1;
    }
    DWORD thread = GetWindowThreadProcessId(w, nullptr);
    int rc = 0;
    RECT caret = {0, 0, 0, 0};
    bool shown = CaretShown(w, thread, &caret);
    if (argc >= 3 && strcmp(argv[1], "--caret") == 0) {
        bool want = strcmp(argv[2], "on") == 0;
        DWORD limit = argc >= 4 ? (DWORD)atoi(argv[3]) : 5000;
        DWORD start = GetTickCount();
        while (shown != want && GetTickCount() - start < limit) {
            Sleep(20);
            shown = CaretShown(w, thread, &caret);
        }
        if (shown != want) rc = 1;
    }

    char name[256] = "", title[256] = "";
    GetClassNameA(w, name, sizeof name);
    GetWindowTextA(w, title, sizeof title);
    RECT client;
    GetClientRect(w, &client);
    POINT origin = {0, 0};
    ClientToScreen(w, &origin);
    RECT frame;
    GetWindowRect(w, &frame);
    printf("class=%s\n", name);
    printf("title=%s\n", title);
    printf("style=0x%08lX\n", (unsigned long)GetWindowLongA(w, GWL_STYLE));
    printf("exstyle=0x%08lX\n", (unsigned long)GetWindowLongA(w, GWL_EXSTYLE));
    printf("classstyle=0x%08lX\n", (unsigned long)GetClassLongA(w, GCL_STYLE));
    printf("visible=%d\n", IsWindowVisible(w) ? 1 : 0);
    printf("client=%ld %ld\n", (long)client.right, (long)client.bottom);
    printf("origin=%ld %ld\n", (long)origin.x, (long)origin.y);
    printf("frame=%ld %ld %ld %ld\n", (long)frame.left, (long)frame.top, (long)frame.right,
           (long)frame.bottom);
    printf("foreground=%d\n", GetForegroundWindow() == w ? 1 : 0);
    printf("caret=%d\n", shown ? 1 : 0);
    if (shown)
        printf("caretrect=%ld %ld %ld %ld\n", (long)caret.left, (long)caret.top, (long)caret.right,
               (long)caret.bottom);
    return rc;
}
