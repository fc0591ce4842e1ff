// The grid and the ring of rows it lives in.
//
// The ring is one block of ConKeptRows rows, made with the window: the 101
// rows of the grid are its last 101 lines, and the ConHistoryRows lines
// above them are the scroll-back. A scroll moves the grid down the ring by
// one line: the row that leaves the top stays where it is, now scroll-back,
// and the grid's new last row takes the slot of the oldest kept line,
// cleared. So a scroll costs what it cost before there was a scroll-back
// (the grid's row pointers move up by one, one row's cells are cleared), calls no
// heap function and cannot fail, and the memory is bounded: ConKeptRows
// rows of 255 bytes, 2 x 255 colours and 255 UTF-16 units, 25.5 MB.
#include <cstring>

#include "rt_console.h"

ConsoleBufferState ConsoleBuffer;
ConsoleWindowState ConsoleWindow;

namespace {

ConRowSlot& Slot(int64_t line) { return ConsoleBuffer.Ring[line % ConKeptRows]; }

void PointRow(int32_t row) {
    ConRowSlot& slot = Slot(ConsoleBuffer.Top + row);
    ConsoleBuffer.RowText[row] = slot.text;
    ConsoleBuffer.RowForeColor[row] = slot.fore;
    ConsoleBuffer.RowBackColor[row] = slot.back;
    ConsoleBuffer.RowUni[row] = slot.uni;
}

}  // namespace

void ConGridOpen() {
    std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
    // Cleared here, page by page, rather than left to the system's fresh
    // pages: the ring's memory is then in place before the first question,
    // not faulted in while the first 9,101 rows are printed.
    const uint32_t bytes = ConKeptRows * (uint32_t)sizeof(ConRowSlot);
    ConsoleBuffer.Ring = (ConRowSlot*)RtHeapAlloc(bytes, false);
    RtlZeroMemory(ConsoleBuffer.Ring, bytes);
    ConGridReset();
}

void ConGridReset() {
    std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
    ConsoleBuffer.Top = 0;
    ConsoleBuffer.History = 0;
    ConsoleBuffer.Widest = 0;
    for (int32_t row = 0; row < ConRows; row++) {
        RtlZeroMemory(&Slot(row), sizeof(ConRowSlot));
        PointRow(row);
    }
    ConsoleBuffer.CursorCol = 0;
    ConsoleBuffer.CursorRow = 0;
    ConsoleBuffer.ForeColor = 0x00FFFFFF;  // white
    ConsoleBuffer.BackColor = 0x00000000;  // on black
    ConsoleView = ConsoleViewState{0, 0, true, 0, 0, ConRows, ConRows, ConCols, ConCols, 0, 0};
    ConSelectForget();
}

void ConGridRelease() {
    std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
    HeapFree(RtHeap, 0, ConsoleBuffer.Ring);
    ConsoleBuffer.Ring = nullptr;
    for (int row = 0; row < ConRows; row++) {
        ConsoleBuffer.RowText[row] = nullptr;
        ConsoleBuffer.RowForeColor[row] = nullptr;
        ConsoleBuffer.RowBackColor[row] = nullptr;
        ConsoleBuffer.RowUni[row] = nullptr;
    }
}

ConRowSlot* ConLineSlot(int64_t line) {
    if (!ConsoleBuffer.Ring || line < ConsoleBuffer.Top - ConsoleBuffer.History ||
        line > ConsoleBuffer.Top + ConRows - 1)
        return nullptr;
    return &Slot(line);
}

void ConScrollUp() {
    ConsoleBuffer.Top++;
    if (ConsoleBuffer.History < ConHistoryRows) ConsoleBuffer.History++;
    const size_t moved = (ConRows - 1) * sizeof(void*);
    RtlMoveMemory(&ConsoleBuffer.RowText[0], &ConsoleBuffer.RowText[1], moved);
    RtlMoveMemory(&ConsoleBuffer.RowForeColor[0], &ConsoleBuffer.RowForeColor[1], moved);
    RtlMoveMemory(&ConsoleBuffer.RowBackColor[0], &ConsoleBuffer.RowBackColor[1], moved);
    RtlMoveMemory(&ConsoleBuffer.RowUni[0], &ConsoleBuffer.RowUni[1], moved);
    // The oldest kept line's slot, cleared, is the new last row. Only its
    // text's cells are cleared (every byte past a row's text is already
    // NUL): the slot was last used 9,101 lines ago and is out of the
    // processor's cache, so clearing all 2,805 bytes would cost a scroll
    // many times what clearing the few cells in use does. The UTF-16 is
    // cleared only in a row that holds some: its first byte of the kind.
    ConRowSlot& slot = Slot(ConsoleBuffer.Top + ConRows - 1);
    const size_t used = strlen(slot.text);
    if (memchr(slot.text, ConUniByte, used)) RtlZeroMemory(slot.uni, used * sizeof(WCHAR));
    RtlZeroMemory(slot.text, used);
    RtlZeroMemory(slot.fore, used * sizeof(COLORREF));
    RtlZeroMemory(slot.back, used * sizeof(COLORREF));
    PointRow(ConRows - 1);
    // The slot the next scroll takes: asked of memory now, so that the
    // wait for it overlaps the printing of this row.
    ConRowSlot& next = Slot(ConsoleBuffer.Top + ConRows);
    __builtin_prefetch(next.text, 1);
    __builtin_prefetch(next.fore, 1);
    __builtin_prefetch(next.fore + 16, 1);
    __builtin_prefetch(next.back, 1);
    __builtin_prefetch(next.back + 16, 1);
    __builtin_prefetch(next.uni, 1);
    ConsoleBuffer.CursorRow--;
    ConMarkRows(-1, 0);
}
