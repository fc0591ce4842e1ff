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
    // 9 by 6 pixels at 96 DPI, across the lower part of the cursor's cell,
    // 1 pixel above its bottom.
    CreateCaret(Window(), nullptr, ConDpiScale(9), ConDpiScale(6));
    SetCaretPos(x, y + cellHeight - ConDpiScale(7));
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

namespace {

// A movable global block holding bytes of data, for the clipboard.
HGLOBAL Global(const void* data, size_t bytes) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!block) return nullptr;
    void* p = GlobalLock(block);
    if (p) RtlMoveMemory(p, data, bytes);
    GlobalUnlock(block);
    return block;
}

}  // namespace

void ConFrontClipboardPut(const uint16_t* text, int32_t length) {
    if (OpenClipboard(Window())) {
        EmptyClipboard();
        if (HGLOBAL w = Global(text, (size_t)(length + 1) * sizeof(WCHAR)))
            if (!SetClipboardData(CF_UNICODETEXT, w)) GlobalFree(w);
        CloseClipboard();
    } else {
        MessageBeep(0);  // another program holds the clipboard: nothing was copied
    }
}

void ConFrontDrawSoon() { PostMessageA(Window(), WM_CON_DRAW, 0, 0); }

void ConFrontFlush() { SendMessageA(Window(), WM_CON_FLUSH, 0, 0); }

void ConFrontLineRequested() { SendMessageA(Window(), WM_SETFOCUS, 0, 0); }

void ConFrontLineTaken() { SendMessageA(Window(), WM_KILLFOCUS, 0, 0); }

void ConFrontKeepTypeAhead(bool keep) { SendMessageA(Window(), WM_CON_TYPE_AHEAD, keep, 0); }
