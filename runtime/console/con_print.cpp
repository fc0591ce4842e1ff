// Console output: ConPrint lays the bytes of a text into the grid at the
// cursor and asks the window thread to draw the touched rows.
#include "rt_console.h"

namespace {

// Writes one byte with the current colours; a byte that would land beyond
// cell 253 is dropped and the cursor stops at 254, so the row keeps its NUL.
void LayByte(char byte, bool colours) {
    int32_t row = ConsoleBuffer.CursorRow, col = ConsoleBuffer.CursorCol;
    if (col > ConLastCell) return;
    ConsoleBuffer.RowText[row][col] = byte;
    if (colours) {
        ConsoleBuffer.RowForeColor[row][col] = ConsoleBuffer.ForeColor;
        ConsoleBuffer.RowBackColor[row][col] = ConsoleBuffer.BackColor;
    }
    ConsoleBuffer.CursorCol = col + 1;
}

}  // namespace

void ConPrint(RtString text) {
    ConPrintText(text);
    StrFree(text);
}

void ConPrintText(const char* text) {
    bool laid = false;
    {
        std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
        // After the window thread has released the grid, printing does nothing.
        if (ConsoleBuffer.RowText[0]) {
            int32_t first = ConsoleBuffer.CursorRow;
            for (const char* p = text; *p; p++) {
                if (*p == '\t') {
                    // Blanks up to the next multiple of 8; their colours stay.
                    int n = 8 - ConsoleBuffer.CursorCol % 8;
                    for (int i = 0; i < n; i++) LayByte(' ', false);
                } else if (*p == '\r' && p[1] == '\n') {
                    if (ConsoleBuffer.CursorCol > ConsoleBuffer.Widest) ConsoleBuffer.Widest = ConsoleBuffer.CursorCol;
                    // The last row is full: move the grid up first, so the
                    // cursor stays on row 100 (the scroll marks every row).
                    if (ConsoleBuffer.CursorRow == ConRows - 1) ConScrollUp();
                    ConsoleBuffer.CursorRow++;
                    ConsoleBuffer.CursorCol = 0;
                    p++;
                } else {
                    LayByte(*p, true);
                }
            }
            if (ConsoleBuffer.CursorCol > ConsoleBuffer.Widest) ConsoleBuffer.Widest = ConsoleBuffer.CursorCol;
            ConMarkRows(first, ConsoleBuffer.CursorRow);
            laid = true;
        }
    }
    if (laid) ConRequestDraw();
}
