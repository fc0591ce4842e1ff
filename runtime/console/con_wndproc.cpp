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
    ConRenderOpen();
}

void OnDestroy() {
    // Only this thread draws, so the erase bitmap can go without the lock.
    DeleteDC(ConsoleWindow.BlankDC);
    DeleteObject(ConsoleWindow.BlankBitmap);
    ConsoleWindow.BlankDC = nullptr;
    ConsoleWindow.BlankBitmap = nullptr;
    ConRenderClose();
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

// What the echo of each byte of the line did to the grid, so that Backspace
// can undo exactly that. Touched by the window thread only, while a line is
// requested.
struct LineEchoState {
    struct Step {
        uint8_t Cells;   // cells the byte filled: 1, the blanks of a tab, 0 beyond the row's end
        bool Break;      // the CR of a CR LF echoed together: the cursor went to the next row
        uint8_t Column;  // for a Break: the column it left
    } Steps[ConLineMax];
    bool DropTrail;  // a lead byte was refused for want of room; its trail byte goes too
};
LineEchoState LineEcho;

// The start of the line's last character, scanning from the line's start
// (a trail byte may look like a lead byte). A lead byte in the last place
// has no trail yet: it is a character of its own, unfinished.
int32_t LastCharacterStart(const char* line, int32_t n) {
    int32_t start = 0;
    for (int32_t i = 0; i < n; i += IsDBCSLeadByte((BYTE)line[i]) ? 2 : 1) start = i;
    return start;
}

bool EndsInLoneLead(const char* line, int32_t n) {
    return n > 0 && LastCharacterStart(line, n) == n - 1 && IsDBCSLeadByte((BYTE)line[n - 1]);
}

// Records what ConPrint will do with bytes from..to-1 of the line, echoed as
// one text at the cursor: a tab lays blanks up to the next multiple of 8, a
// CR LF moves to the next row, any other byte takes one cell, and nothing is
// laid beyond cell 253.
void RecordEcho(int32_t from, int32_t to) {
    int32_t col;
    {
        std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
        col = ConsoleBuffer.CursorCol;
    }
    const char* line = LineMailbox.LineBuffer;
    for (int32_t i = from; i < to; i++) {
        LineEchoState::Step& step = LineEcho.Steps[i];
        step = LineEchoState::Step{};
        if (line[i] == '\t') {
            int32_t end = col + 8 - col % 8 < ConLastCell + 1 ? col + 8 - col % 8 : ConLastCell + 1;
            if (end > col) step.Cells = (uint8_t)(end - col), col = end;
        } else if (line[i] == '\r' && i + 1 < to && line[i + 1] == '\n') {
            step.Break = true;
            step.Column = (uint8_t)col;
            col = 0;
            LineEcho.Steps[++i] = LineEchoState::Step{};
        } else if (col <= ConLastCell) {
            step.Cells = 1;
            col++;
        }
    }
}

// Cuts the line to its first keep bytes and undoes their echo, last byte
// first: cells are cleared (ending the row's text there), a line break takes
// the cursor back to the end of the row above. A break whose row has
// scrolled out of the grid leaves the cursor at column 0, where the cells
// before it cannot be cleared either.
void CutLine(HWND hWnd, int32_t keep) {
    int32_t n = ConLineLength();
    LineMailbox.LineBuffer[keep] = 0;
    ConSetLineLength(keep);
    bool movedUp = false;
    {
        std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
        if (!ConsoleBuffer.RowText[0]) return;  // the grid has been released
        for (int32_t i = n - 1; i >= keep; i--) {
            const LineEchoState::Step& step = LineEcho.Steps[i];
            if (step.Break && ConsoleBuffer.CursorRow > 0) {
                ConsoleBuffer.CursorRow--;
                ConsoleBuffer.CursorCol = step.Column;
                movedUp = true;
            }
            for (int k = 0; k < step.Cells && ConsoleBuffer.CursorCol > 0; k++)
                ConsoleBuffer.RowText[ConsoleBuffer.CursorRow][--ConsoleBuffer.CursorCol] = 0;
        }
    }
    // The row the cursor left is drawn again too.
    if (movedUp) InvalidateRect(hWnd, nullptr, FALSE);
}

// Backspace: the whole last character leaves the line and the screen, both
// bytes of a double-byte character, and both of a CR LF that was echoed as a
// line break (whatever the scan makes of the CR: it may follow a lead byte).
void EraseLastCharacter(HWND hWnd) {
    int32_t n = ConLineLength();
    if (n == 0) return;
    int32_t start = LastCharacterStart(LineMailbox.LineBuffer, n);
    if (n >= 2 && LineEcho.Steps[n - 2].Break) start = n - 2;
    CutLine(hWnd, start);
}

// A typed byte joins the line and is echoed; null when it does not join. A
// NUL never does (the program reads the line up to its NUL), nor a byte
// without room, nor a lead byte without room for its trail, whose trail
// byte is then dropped as well.
RtString TypeByte(BYTE c, bool dropTrail) {
    int32_t n = ConLineLength();
    if (c == 0 || dropTrail) return nullptr;
    bool lead = IsDBCSLeadByte(c) && !EndsInLoneLead(LineMailbox.LineBuffer, n);
    if (n + (lead ? 2 : 1) > ConLineMax) {
        MessageBeep(0);
        LineEcho.DropTrail = lead;
        return nullptr;
    }
    LineMailbox.LineBuffer[n] = (char)c;
    RecordEcho(n, n + 1);
    ConSetLineLength(n + 1);
    RtString echo = StrNew(2);
    echo[0] = (char)c;
    return echo;
}

// Ctrl+V: the clipboard's text joins the line, cut to whole characters that
// the line has room for: never between a lead byte and its trail, never
// with a lone lead byte at the end. Returns the echo, or null when the
// clipboard holds no text.
RtString Paste(HWND hWnd) {
    if (!OpenClipboard(hWnd)) return nullptr;
    HANDLE data = GetClipboardData(CF_TEXT);
    const char* text = data ? (const char*)GlobalLock(data) : nullptr;
    if (!text) {
        CloseClipboard();
        return nullptr;
    }
    int32_t n = ConLineLength();
    // Only as much of the text is looked at as the line has room for, and
    // one byte more to know whether it was cut: a paste costs the same
    // however large the clipboard's text is.
    int32_t room = ConLineMax - n, length = 0;
    while (length <= room && text[length]) length++;
    int32_t copied = length < room ? length : room;
    char* line = LineMailbox.LineBuffer;
    RtlMoveMemory(line + n, text, (size_t)copied);
    GlobalUnlock(data);
    CloseClipboard();
    int32_t end = n + copied;
    if (EndsInLoneLead(line, end) && end - 1 >= n) end--;
    if (end < n + length) MessageBeep(0);
    line[end] = 0;
    RecordEcho(n, end);
    ConSetLineLength(end);
    RtString echo = StrNew(end - n + 1);
    RtlMoveMemory(echo, line + n, (size_t)(end - n));
    return echo;
}

void OnChar(HWND hWnd, WPARAM c) {
    // Keys typed while no line is requested are dropped.
    if (ConLineLength() == -1) return;
    int32_t n = ConLineLength();  // only this thread changes it now
    bool dropTrail = LineEcho.DropTrail && n > 0;  // a fresh line owes nothing
    LineEcho.DropTrail = false;
    RtString echo;
    if (c == 8) {
        EraseLastCharacter(hWnd);
        echo = StrAlloc(0);
    } else if (c == 13) {
        // A lead byte still waiting for its trail does not go to the program.
        if (EndsInLoneLead(LineMailbox.LineBuffer, n)) CutLine(hWnd, --n);
        LineMailbox.LineBuffer[n] = 0;
        ConSetLineLength(-1);  // release: the NUL is visible before the -1
        echo = StrFromText("\r\n");
    } else if (c == 22) {
        echo = Paste(hWnd);
        if (!echo) return;  // no text: line, screen and caret stay as they are
    } else {
        echo = TypeByte((BYTE)c, dropTrail);
        if (!echo) return;
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
