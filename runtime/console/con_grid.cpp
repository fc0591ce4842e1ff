// The grid: its blocks, the scroll, and the copy of the rows a drawing pass
// shows. This is the console's logic, with no window call: the front
// end (front/con_render.cpp) tells how tall the client area is and draws the copy.
//
// ConCopyRows holds the console lock only to scroll and to copy the rows to
// draw (each up to its NUL, with the colours of its cells), so the slow
// part, the drawing calls, works on that copy with the lock released, and a
// print on the program thread never waits for a drawing pass.
#include "rt_console.h"

ConsoleBufferState ConsoleBuffer;
ConsoleWindowState ConsoleWindow;

void ConGridOpen() {
    std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
    for (int row = 0; row < ConRows; row++) {
        ConsoleBuffer.RowText[row] = (char*)RtHeapAlloc(ConCols, true);
        ConsoleBuffer.RowForeColor[row] = (COLORREF*)RtHeapAlloc(ConCols * sizeof(COLORREF), true);
        ConsoleBuffer.RowBackColor[row] = (COLORREF*)RtHeapAlloc(ConCols * sizeof(COLORREF), true);
    }
    ConsoleBuffer.CursorCol = 0;
    ConsoleBuffer.CursorRow = 0;
    ConsoleBuffer.ForeColor = 0x00FFFFFF;  // white
    ConsoleBuffer.BackColor = 0x00000000;  // on black
}

void ConGridRelease() {
    std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
    for (int row = 0; row < ConRows; row++) {
        HeapFree(RtHeap, 0, ConsoleBuffer.RowText[row]);
        HeapFree(RtHeap, 0, ConsoleBuffer.RowForeColor[row]);
        HeapFree(RtHeap, 0, ConsoleBuffer.RowBackColor[row]);
        ConsoleBuffer.RowText[row] = nullptr;
        ConsoleBuffer.RowForeColor[row] = nullptr;
        ConsoleBuffer.RowBackColor[row] = nullptr;
    }
}

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

int32_t ConCopyRows(int32_t clientHeight, int32_t FirstRow, int32_t LastRow, ConRowCopy* copies) {
    int32_t count = 0;
    std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
    if (!ConsoleBuffer.RowText[0]) return 0;  // the grid has been released
    // A client area of height 0 (the window is minimised) shows nothing;
    // scrolling to fit it would throw every earlier row away. The grid stays
    // as it is and the paint after restoring scrolls it to the real size.
    if (clientHeight <= 0) return 0;
    const int32_t ch = ConsoleBuffer.CellHeight;
    while ((ConsoleBuffer.CursorRow + 1) * ch > clientHeight && ConsoleBuffer.CursorRow > 0) {
        ConScrollUp();
        FirstRow = -1;
    }
    // Every row is drawn now: nothing waits for a pass any more.
    if (FirstRow == -1) ConUnmarkRows();

    int32_t visible = 0;
    while (visible < ConRows && visible * ch < clientHeight) visible++;
    int32_t first = FirstRow == -1 ? 0 : FirstRow < 0 ? 0 : FirstRow;
    int32_t last = FirstRow == -1 ? visible - 1 : LastRow < visible - 1 ? LastRow : visible - 1;
    for (int32_t row = first; row <= last; row++) {
        ConRowCopy& c = copies[count++];
        c.row = row;
        c.n = lstrlenA(ConsoleBuffer.RowText[row]);  // a row always keeps a NUL inside its 255 bytes
        RtlMoveMemory(c.text, ConsoleBuffer.RowText[row], (size_t)c.n + 1);
        RtlMoveMemory(c.fore, ConsoleBuffer.RowForeColor[row], (size_t)c.n * sizeof(COLORREF));
        RtlMoveMemory(c.back, ConsoleBuffer.RowBackColor[row], (size_t)c.n * sizeof(COLORREF));
    }
    return count;
}
