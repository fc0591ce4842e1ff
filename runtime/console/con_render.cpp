// The screen buffer's drawing: ConRender and the scroll it does when the
// cursor has moved below the window's client area.
#include "rt_console.h"

ConsoleBufferState ConsoleBuffer;

void ConScrollUp() {
    // The fresh row is taken before the old one goes, so the grid never
    // holds a missing block, whatever the heap does.
    char* text = (char*)RtHeapAlloc(ConCols, true);
    COLORREF* fore = (COLORREF*)RtHeapAlloc(ConCols * sizeof(COLORREF), true);
    COLORREF* back = (COLORREF*)RtHeapAlloc(ConCols * sizeof(COLORREF), true);
    HeapFree(RtHeap, 0, ConsoleBuffer.RowText[0]);
    HeapFree(RtHeap, 0, ConsoleBuffer.RowForeColor[0]);
    HeapFree(RtHeap, 0, ConsoleBuffer.RowBackColor[0]);
    for (int i = 0; i < ConRows - 1; i++) {
        ConsoleBuffer.RowText[i] = ConsoleBuffer.RowText[i + 1];
        ConsoleBuffer.RowForeColor[i] = ConsoleBuffer.RowForeColor[i + 1];
        ConsoleBuffer.RowBackColor[i] = ConsoleBuffer.RowBackColor[i + 1];
    }
    ConsoleBuffer.RowText[ConRows - 1] = text;
    ConsoleBuffer.RowForeColor[ConRows - 1] = fore;
    ConsoleBuffer.RowBackColor[ConRows - 1] = back;
    ConsoleBuffer.CursorRow--;
}

void ConRender(HDC dc, int32_t FirstRow, int32_t LastRow) {
    std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
    if (!ConsoleBuffer.RowText[0]) return;  // the grid has been released
    RECT client;
    // Without a client area (the window is gone) there is nothing to show,
    // and the grid must not scroll away on a size it does not have.
    if (!GetClientRect(ConsoleWindow.WindowHandle, &client)) return;
    // A client area of height 0 (the window is minimised) shows nothing;
    // scrolling to fit it would throw every earlier row away. The grid stays
    // as it is and the paint after restoring scrolls it to the real size.
    if (client.bottom <= 0) return;
    HGDIOBJ previousFont = SelectObject(dc, ConsoleBuffer.FontHandle);
    const int32_t cw = ConsoleBuffer.CellWidth, ch = ConsoleBuffer.CellHeight;

    while ((ConsoleBuffer.CursorRow + 1) * ch > client.bottom && ConsoleBuffer.CursorRow > 0) {
        ConScrollUp();
        FirstRow = -1;
    }

    for (int32_t row = 0; row * ch < client.bottom && row < ConRows; row++) {
        if (FirstRow != -1 && (row < FirstRow || row > LastRow)) continue;
        const char* text = ConsoleBuffer.RowText[row];
        const COLORREF* fore = ConsoleBuffer.RowForeColor[row];
        const COLORREF* back = ConsoleBuffer.RowBackColor[row];
        int n = lstrlenA(text);  // a row always keeps a NUL inside its 255 bytes
        SIZE extent = {0, 0};
        GetTextExtentPoint32A(dc, text, n, &extent);
        BitBlt(dc, extent.cx, row * ch, client.right, ch, ConsoleWindow.BlankDC, extent.cx, row * ch, SRCCOPY);
        for (int col = 0; col < n; col++) {
            SetTextColor(dc, fore[col]);
            SetBkMode(dc, OPAQUE);
            SetBkColor(dc, back[col]);
            // A lead byte in the last text position pairs with the row's NUL
            // and is drawn alone.
            int length = (IsDBCSLeadByte((BYTE)text[col]) && text[col + 1] != 0) ? 2 : 1;
            TextOutA(dc, col * cw, row * ch, text + col, length);
            col += length - 1;
        }
    }
    SelectObject(dc, previousFont);
}
