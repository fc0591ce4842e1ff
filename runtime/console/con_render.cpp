// The screen buffer's drawing: ConRender, the scroll it does when the cursor
// has moved below the window's client area, and the drawing of one row.
//
// ConRender holds the console lock only to scroll and to copy the rows it
// will draw (each up to its NUL, with the colours of its cells); the slow
// part, the drawing calls, works on that copy with the lock released, so a
// print on the program thread never waits for a drawing pass. The copy has
// room for every row and lives as long as the window (ConRenderOpen,
// ConRenderClose), so a pass calls no heap function.
#include "rt_console.h"

ConsoleBufferState ConsoleBuffer;

void ConScrollUp() {
    // The top row's blocks are cleared and become the new last row, so a
    // scroll calls no heap function and cannot fail; the pointers of the
    // other rows move up by one.
    char* text = ConsoleBuffer.RowText[0];
    COLORREF* fore = ConsoleBuffer.RowForeColor[0];
    COLORREF* back = ConsoleBuffer.RowBackColor[0];
    RtlZeroMemory(text, ConCols);
    RtlZeroMemory(fore, ConCols * sizeof(COLORREF));
    RtlZeroMemory(back, ConCols * sizeof(COLORREF));
    const size_t moved = (ConRows - 1) * sizeof(void*);
    RtlMoveMemory(&ConsoleBuffer.RowText[0], &ConsoleBuffer.RowText[1], moved);
    RtlMoveMemory(&ConsoleBuffer.RowForeColor[0], &ConsoleBuffer.RowForeColor[1], moved);
    RtlMoveMemory(&ConsoleBuffer.RowBackColor[0], &ConsoleBuffer.RowBackColor[1], moved);
    ConsoleBuffer.RowText[ConRows - 1] = text;
    ConsoleBuffer.RowForeColor[ConRows - 1] = fore;
    ConsoleBuffer.RowBackColor[ConRows - 1] = back;
    ConsoleBuffer.CursorRow--;
    ConMarkRows(-1, 0);
}

namespace {

// One row as it was when copied: its bytes up to and with its NUL, and the
// colours of those cells.
struct RowCopy {
    int32_t row;
    int32_t n;
    char text[ConCols];
    COLORREF fore[ConCols];
    COLORREF back[ConCols];
};

// The copy of the rows a pass draws; the window thread's only.
RowCopy* RenderCopy = nullptr;

bool IsTrailByte(BYTE b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

// Bytes of the character at text[col] that a run may hold: 1 for a
// printable single byte, 2 for a lead byte with a trail byte; 0 for what
// must be drawn by a call of its own (control bytes, 0x7F, 0x80, 0xA0 and
// 0xFD to 0xFF, which the font draws differently inside a run, and a lead
// byte without a trail byte, which the system would not map to exactly one
// character).
int32_t JoinableLength(const char* text, int32_t col) {
    BYTE b = (BYTE)text[col];
    if (IsDBCSLeadByte(b)) return IsTrailByte((BYTE)text[col + 1]) ? 2 : 0;
    return (b >= 0x20 && b <= 0x7E) || (b >= 0xA1 && b <= 0xDF) ? 1 : 0;
}

}  // namespace

void ConRenderOpen() {
    if (!RenderCopy) RenderCopy = (RowCopy*)RtHeapAlloc(ConRows * (uint32_t)sizeof(RowCopy), false);
}

void ConRenderClose() {
    if (RenderCopy) HeapFree(RtHeap, 0, RenderCopy);
    RenderCopy = nullptr;
}

void ConDrawRow(HDC dc, int32_t y, int32_t right, const char* text, int32_t n, const COLORREF* fore,
                const COLORREF* back) {
    const int32_t cw = ConsoleBuffer.CellWidth, ch = ConsoleBuffer.CellHeight;
    SIZE extent = {0, 0};
    GetTextExtentPoint32A(dc, text, n, &extent);
    BitBlt(dc, extent.cx, y, right, ch, ConsoleWindow.BlankDC, extent.cx, y, SRCCOPY);
    SetBkMode(dc, OPAQUE);
    // Cells of the same colours are drawn by one call, every byte placed at
    // its own cell by the advance array, so a run looks exactly like its
    // cells drawn one by one. A double-byte character takes the colours of
    // its lead cell and is drawn once from it. What a run may not hold is
    // drawn as before, alone: one byte, or a lead byte with the byte after
    // it unless that is the row's NUL. Cells that start at or beyond the
    // client's right edge are not drawn: the system would clip them away.
    INT advance[ConCols];
    for (int32_t i = 0; i < n; i++) advance[i] = cw;
    COLORREF lastFore = 0, lastBack = 0;
    bool coloured = false;
    for (int32_t col = 0; col < n && col * cw < right;) {
        const COLORREF f = fore[col], b = back[col];
        if (!coloured || f != lastFore) SetTextColor(dc, f);
        if (!coloured || b != lastBack) SetBkColor(dc, b);
        lastFore = f, lastBack = b, coloured = true;
        const int32_t start = col;
        int32_t length;
        while (col < n && fore[col] == f && back[col] == b && (length = JoinableLength(text, col)) > 0)
            col += length;
        if (col > start) {
            ExtTextOutA(dc, start * cw, y, 0, nullptr, text + start, (UINT)(col - start), advance);
        } else {
            length = IsDBCSLeadByte((BYTE)text[col]) && text[col + 1] != 0 ? 2 : 1;
            TextOutA(dc, col * cw, y, text + col, length);
            col += length;
        }
    }
}

void ConRender(HDC dc, int32_t FirstRow, int32_t LastRow) {
    RowCopy* copies = RenderCopy;
    int32_t count = 0;
    if (!copies) return;  // the window is not open
    RECT client;
    {
        std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
        if (!ConsoleBuffer.RowText[0]) return;  // the grid has been released
        // Without a client area (the window is gone) there is nothing to
        // show, and the grid must not scroll away on a size it does not have.
        if (!GetClientRect(ConsoleWindow.WindowHandle, &client)) return;
        // A client area of height 0 (the window is minimised) shows nothing;
        // scrolling to fit it would throw every earlier row away. The grid
        // stays as it is and the paint after restoring scrolls it to the real
        // size.
        if (client.bottom <= 0) return;
        const int32_t ch = ConsoleBuffer.CellHeight;
        while ((ConsoleBuffer.CursorRow + 1) * ch > client.bottom && ConsoleBuffer.CursorRow > 0) {
            ConScrollUp();
            FirstRow = -1;
        }
        // Every row is drawn now: nothing waits for a pass any more.
        if (FirstRow == -1) ConUnmarkRows();

        int32_t visible = 0;
        while (visible < ConRows && visible * ch < client.bottom) visible++;
        int32_t first = FirstRow == -1 ? 0 : FirstRow < 0 ? 0 : FirstRow;
        int32_t last = FirstRow == -1 ? visible - 1 : LastRow < visible - 1 ? LastRow : visible - 1;
        if (first > last) return;
        for (int32_t row = first; row <= last; row++) {
            RowCopy& c = copies[count++];
            c.row = row;
            c.n = lstrlenA(ConsoleBuffer.RowText[row]);  // a row always keeps a NUL inside its 255 bytes
            RtlMoveMemory(c.text, ConsoleBuffer.RowText[row], (size_t)c.n + 1);
            RtlMoveMemory(c.fore, ConsoleBuffer.RowForeColor[row], (size_t)c.n * sizeof(COLORREF));
            RtlMoveMemory(c.back, ConsoleBuffer.RowBackColor[row], (size_t)c.n * sizeof(COLORREF));
        }
    }
    HGDIOBJ previousFont = SelectObject(dc, ConsoleBuffer.FontHandle);
    for (int32_t i = 0; i < count; i++) {
        const RowCopy& c = copies[i];
        ConDrawRow(dc, c.row * ConsoleBuffer.CellHeight, client.right, c.text, c.n, c.fore, c.back);
    }
    SelectObject(dc, previousFont);
}
