// The console window procedure: drawing resources, painting, caret and
// input method placement, and the line editing that fills the LineMailbox
// and echoes what is typed.
#include "rt_console.h"

LineMailboxState LineMailbox;

namespace {

void OnCreate(HWND hWnd) {
    // WindowHandle is not set yet while the window is being created.
    HDC dc = GetDC(hWnd);
    ConsoleWindow.BlankBitmap = CreateCompatibleBitmap(dc, ConsoleWindow.ScreenWidth, ConsoleWindow.ScreenHeight);
    ConsoleWindow.BlankDC = CreateCompatibleDC(dc);
    SelectObject(ConsoleWindow.BlankDC, ConsoleWindow.BlankBitmap);
    HGDIOBJ previousBrush = SelectObject(ConsoleWindow.BlankDC, GetStockObject(BLACK_BRUSH));
    PatBlt(ConsoleWindow.BlankDC, 0, 0, ConsoleWindow.ScreenWidth, ConsoleWindow.ScreenHeight, PATCOPY);
    SelectObject(ConsoleWindow.BlankDC, previousBrush);

    // The cell is measured from the font, never assumed.
    HGDIOBJ previousFont = SelectObject(ConsoleWindow.BlankDC, ConsoleBuffer.FontHandle);
    SIZE blank = {0, 0};
    GetTextExtentPoint32A(ConsoleWindow.BlankDC, " ", 1, &blank);
    TEXTMETRICA metrics{};
    GetTextMetricsA(ConsoleWindow.BlankDC, &metrics);
    {
        std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
        ConsoleBuffer.CellWidth = blank.cx;
        ConsoleBuffer.CellHeight = metrics.tmHeight;
    }
    SelectObject(ConsoleWindow.BlankDC, previousFont);
    ReleaseDC(hWnd, dc);
}

void OnDestroy() {
    // Only this thread draws, so the erase bitmap can go without the lock.
    DeleteDC(ConsoleWindow.BlankDC);
    DeleteObject(ConsoleWindow.BlankBitmap);
    ConsoleWindow.BlankDC = nullptr;
    ConsoleWindow.BlankBitmap = nullptr;
    PostQuitMessage(0);
}

void OnPaint(HWND hWnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hWnd, &ps);
    ConDrawPaint(dc);
    EndPaint(hWnd, &ps);
    ConsoleWindowSetReady(1);
}

void OnSetFocus(HWND hWnd) {
    if (ConLineLength() == -1) return;
    int32_t x, y, cellHeight;
    {
        std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
        x = ConsoleBuffer.CursorCol * ConsoleBuffer.CellWidth;
        y = ConsoleBuffer.CursorRow * ConsoleBuffer.CellHeight;
        cellHeight = ConsoleBuffer.CellHeight;
    }
    HIMC imc = ImmGetContext(hWnd);
    if (imc) {
        COMPOSITIONFORM form{};
        form.dwStyle = CFS_POINT;
        form.ptCurrentPos.x = x;
        form.ptCurrentPos.y = y;
        ImmSetCompositionWindow(imc, &form);
        ImmSetCompositionFontA(imc, &ConsoleBuffer.FontSpec);
    }
    ImmReleaseContext(hWnd, imc);
    CreateCaret(hWnd, nullptr, 9, 6);
    // Across the lower part of the cursor's cell, 1 pixel above its bottom.
    SetCaretPos(x, y + cellHeight - 7);
    ShowCaret(hWnd);
}

void OnKillFocus(HWND hWnd) {
    HideCaret(hWnd);
    DestroyCaret();
}

// Backspace: the last byte leaves the line and its cell is cleared, which
// ends the row's text there. At column 0 (a pasted line break carried the
// echo to a new row) the cursor stays and no cell is written.
void EraseLastByte() {
    int32_t n = ConLineLength();
    if (n == 0) return;
    n--;
    LineMailbox.LineBuffer[n] = 0;
    ConSetLineLength(n);
    std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
    if (ConsoleBuffer.CursorCol > 0 && ConsoleBuffer.RowText[0]) {
        ConsoleBuffer.CursorCol--;
        ConsoleBuffer.RowText[ConsoleBuffer.CursorRow][ConsoleBuffer.CursorCol] = 0;
    }
}

// Ctrl+V: the clipboard's text joins the line, cut to what the line has room
// for. Returns the echo, or null when the clipboard holds no text.
RtString Paste(HWND hWnd) {
    if (!OpenClipboard(hWnd)) return nullptr;
    HANDLE data = GetClipboardData(CF_TEXT);
    const char* text = data ? (const char*)GlobalLock(data) : nullptr;
    if (!text) {
        CloseClipboard();
        return nullptr;
    }
    int32_t n = ConLineLength();
    int32_t length = lstrlenA(text);
    if (length > ConLineMax - n) {
        length = ConLineMax - n;
        MessageBeep(0);
    }
    RtString echo = StrNew(length + 1);
    RtlMoveMemory(echo, text, (size_t)length);
    RtlMoveMemory(LineMailbox.LineBuffer + n, text, (size_t)length);
    LineMailbox.LineBuffer[n + length] = 0;
    ConSetLineLength(n + length);
    GlobalUnlock(data);
    CloseClipboard();
    return echo;
}

void OnChar(HWND hWnd, WPARAM c) {
    // Keys typed while no line is requested are dropped.
    if (ConLineLength() == -1) return;
    int32_t n = ConLineLength();  // only this thread changes it now
    RtString echo;
    if (c == 8) {
        EraseLastByte();
        echo = StrAlloc(0);
    } else if (c == 13) {
        LineMailbox.LineBuffer[n] = 0;
        ConSetLineLength(-1);  // release: the NUL is visible before the -1
        echo = StrFromText("\r\n");
    } else if (c == 22) {
        echo = Paste(hWnd);
        if (!echo) return;  // no text: line, screen and caret stay as they are
    } else {
        if (n >= ConLineMax) {
            MessageBeep(0);  // no room for the byte and the line's NUL
            return;
        }
        LineMailbox.LineBuffer[n] = (char)(BYTE)c;
        ConSetLineLength(n + 1);
        echo = StrNew(2);
        echo[0] = (char)(BYTE)c;
    }
    SendMessageA(hWnd, WM_KILLFOCUS, 0, 0);
    ConPrint(StrCopy(echo));
    ConDrawNow(hWnd);  // the echo shows at once, before the caret comes back
    SendMessageA(hWnd, WM_SETFOCUS, 0, 0);
    StrFree(echo);
}

}  // namespace

LRESULT CALLBACK ConsoleWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: OnCreate(hWnd); return 0;
    case WM_DESTROY: OnDestroy(); return 0;
    case WM_SETFOCUS: OnSetFocus(hWnd); return 0;
    case WM_KILLFOCUS: OnKillFocus(hWnd); return 0;
    case WM_PAINT: OnPaint(hWnd); return 0;
    case WM_KEYDOWN: return 0;
    case WM_CON_DRAW: ConDrawRequested(hWnd); return 0;
    case WM_TIMER: ConDrawTimer(hWnd); return 0;
    case WM_CON_FLUSH: ConDrawNow(hWnd); return 0;
    case WM_CHAR: OnChar(hWnd, wParam); return 0;
    default: return DefWindowProcA(hWnd, message, wParam, lParam);
    }
}
