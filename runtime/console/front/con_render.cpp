// The console's drawing on the Win32 API (the front end's half): the block
// the rows are copied into, the drawing of one row, and ConRender, which has
// the grid's logic (con_grid.cpp) scroll and copy the rows due and draws the
// copy with the console lock released. The copy has room for every row and
// lives as long as the window (ConRenderOpen, ConRenderClose), so a pass
// calls no heap function.
#include "rt_console.h"

namespace {

// The copy of the rows a pass draws; the window thread's only.
ConRowCopy* RenderCopy = nullptr;

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
    if (!RenderCopy) RenderCopy = (ConRowCopy*)RtHeapAlloc(ConRows * (uint32_t)sizeof(ConRowCopy), false);
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
    ConRowCopy* copies = RenderCopy;
    if (!copies) return;  // the window is not open
    // Without a client area (the window is gone) there is nothing to show,
    // and the grid must not scroll away on a size it does not have.
    RECT client;
    if (!GetClientRect(ConsoleWindow.WindowHandle, &client)) return;
    const int32_t count = ConCopyRows(client.bottom, FirstRow, LastRow, copies);
    if (count == 0) return;
    HGDIOBJ previousFont = SelectObject(dc, ConsoleBuffer.FontHandle);
    for (int32_t i = 0; i < count; i++) {
        const ConRowCopy& c = copies[i];
        ConDrawRow(dc, c.row * ConsoleBuffer.CellHeight, client.right, c.text, c.n, c.fore, c.back);
    }
    SelectObject(dc, previousFont);
}
