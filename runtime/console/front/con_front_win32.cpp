// The console's front end on the Win32 API (see con_front.h): each request
// of the console's logic made a call on the console window. The window
// thread's requests are calls on its own window; the program thread's are
// messages sent to it, so they return once the window thread has done them.
#include "con_win32.h"

namespace {

HWND Window() { return ConsoleFront.WindowHandle; }

}  // namespace

void ConFrontBeep() { MessageBeep(0); }

void ConFrontRedrawAll() { InvalidateRect(Window(), nullptr, FALSE); }

void ConFrontDrawNow() { ConDrawNow(Window()); }

void ConFrontCaretHide() {
    HideCaret(Window());
    DestroyCaret();
}

void ConFrontCaretShow(int32_t col, int32_t row) {
    const int32_t x = col * ConsoleBuffer.CellWidth, y = row * ConsoleBuffer.CellHeight;
    const int32_t cellHeight = ConsoleBuffer.CellHeight;
    // The input method composes at the caret, in the console's font.
    HIMC imc = ImmGetContext(Window());
    if (imc) {
        COMPOSITIONFORM form{};
        form.dwStyle = CFS_POINT;
        form.ptCurrentPos.x = x;
        form.ptCurrentPos.y = y;
        ImmSetCompositionWindow(imc, &form);
        ImmSetCompositionFontA(imc, &ConsoleFront.FontSpec);
    }
    ImmReleaseContext(Window(), imc);
    CreateCaret(Window(), nullptr, 9, 6);
    // Across the lower part of the cursor's cell, 1 pixel above its bottom.
    SetCaretPos(x, y + cellHeight - 7);
    ShowCaret(Window());
}

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
