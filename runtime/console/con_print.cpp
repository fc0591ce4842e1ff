// Console output: ConPrint lays the bytes of a text into the grid at the
// cursor, then has the touched rows drawn.
#include <atomic>

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

// Set while a wake-up of the window thread is on its way (see ConPrint).
std::atomic<bool> ShowPending{false};

}  // namespace

void ConShowDone() { ShowPending.store(false, std::memory_order_relaxed); }

void ConPrint(RtString text) {
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
                    // The last row is full: move the grid up first, so the
                    // cursor stays on row 100; everything is drawn again.
                    if (ConsoleBuffer.CursorRow == ConRows - 1) {
                        ConScrollUp();
                        first = -1;
                    }
                    ConsoleBuffer.CursorRow++;
                    ConsoleBuffer.CursorCol = 0;
                    p++;
                } else {
                    LayByte(*p, true);
                }
            }
            HDC dc = GetDC(ConsoleWindow.WindowHandle);
            ConRender(dc, first, ConsoleBuffer.CursorRow);
            ReleaseDC(ConsoleWindow.WindowHandle, dc);
        }
    }
    // Some window systems (Wine's among them) put what another thread drew
    // on the screen only when the window's own thread next goes idle, which
    // may not happen for a long time while the program prints. A message
    // wakes it; at most one is on its way at any time.
    if (!ShowPending.exchange(true, std::memory_order_relaxed))
        PostMessageA(ConsoleWindow.WindowHandle, WM_NULL, 0, 0);
    StrFree(text);
}
