// The console's front end on the Win32 API (see con_front.h): each request
// of the console's logic made a call on the console window. The window
// thread's requests are calls on its own window; the program thread's are
// messages sent to it, so they return once the window thread has done them.
#include "con_front.h"

#include "rt_console.h"

namespace {

HWND Window() { return ConsoleWindow.WindowHandle; }

}  // namespace

void ConFrontBeep() { MessageBeep(0); }

void ConFrontRedrawAll() { InvalidateRect(Window(), nullptr, FALSE); }

void ConFrontDrawNow() { ConDrawNow(Window()); }

void ConFrontCaretHide() { SendMessageA(Window(), WM_KILLFOCUS, 0, 0); }

void ConFrontCaretShow() { SendMessageA(Window(), WM_SETFOCUS, 0, 0); }

int32_t ConFrontClipboardText(char* out, int32_t most) {
    if (!OpenClipboard(Window())) return -1;
    HANDLE data = GetClipboardData(CF_TEXT);
    const char* text = data ? (const char*)GlobalLock(data) : nullptr;
    int32_t length = -1;
    if (text) {
        // Only the first most bytes are looked at: a paste costs the same
        // however large the clipboard's text is.
        length = 0;
        while (length < most && text[length]) out[length] = text[length], length++;
        GlobalUnlock(data);
    }
    CloseClipboard();
    return length;
}

void ConFrontDrawSoon() { PostMessageA(Window(), WM_CON_DRAW, 0, 0); }

void ConFrontFlush() { SendMessageA(Window(), WM_CON_FLUSH, 0, 0); }

void ConFrontLineRequested() { SendMessageA(Window(), WM_SETFOCUS, 0, 0); }

void ConFrontLineTaken() { SendMessageA(Window(), WM_KILLFOCUS, 0, 0); }

void ConFrontKeepTypeAhead(bool keep) { SendMessageA(Window(), WM_CON_TYPE_AHEAD, keep, 0); }
