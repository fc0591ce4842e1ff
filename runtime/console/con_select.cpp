// Selecting and copying text with the mouse and keys, as in a console
// window: no window call (the front end hands over the mouse's cell and
// puts the copied text on the clipboard).
//
// A selection runs from an anchor to an end, each a line and a column, in
// line order across rows (or, made with Alt, a box between the two
// columns), always of whole characters: a double-byte character is never
// half selected. Lines are numbered as the ring numbers them, so output
// that scrolls the grid moves the selection with its rows and never waits
// for it; a selected line that leaves the ring leaves the selection. A
// pass shows the selected cells with their colours swapped. The copy is
// each selected row's text with its trailing blanks dropped, the rows
// joined by CR LF.
#include "con_front.h"
#include "rt_console.h"

namespace {

// Touched by the window thread only.
struct ConsoleSelectState {
    bool Shown;     // a selection is shown
    bool Dragging;  // the left button is down
    bool Box;
    int64_t AnchorLine, EndLine;
    int32_t AnchorCol, EndCol;
};
ConsoleSelectState Select;

int64_t Oldest() { return ConsoleBuffer.Top - ConsoleBuffer.History; }
int64_t LastLine() { return ConsoleBuffer.Top + ConsoleBuffer.CursorRow; }

void Changed() {
    {
        std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
        ConMarkRows(-1, 0);
    }
    ConRequestDraw();
}

// The line and column under a cell of the client, kept inside the lines
// kept and the row's cells.
void CellAt(int32_t col, int32_t row, int64_t* line, int32_t* column) {
    std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
    int64_t l = ConsoleView.Top + row;
    if (l < Oldest()) l = Oldest();
    if (l > LastLine()) l = LastLine();
    int32_t c = ConsoleView.Left + col;
    *line = l;
    *column = c < 0 ? 0 : c > ConLastCell ? ConLastCell : c;
}

// Anchor and end in line order.
void Ordered(int64_t* l1, int32_t* c1, int64_t* l2, int32_t* c2) {
    const bool swap = Select.EndLine < Select.AnchorLine ||
                      (Select.EndLine == Select.AnchorLine && Select.EndCol < Select.AnchorCol);
    *l1 = swap ? Select.EndLine : Select.AnchorLine, *c1 = swap ? Select.EndCol : Select.AnchorCol;
    *l2 = swap ? Select.AnchorLine : Select.EndLine, *c2 = swap ? Select.AnchorCol : Select.EndCol;
}

// The word at a cell: the run of cells of the same kind, blank or not.
void SelectWord(int64_t line, int32_t col) {
    std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
    const ConRowSlot* slot = ConLineSlot(line);
    const char* text = slot ? slot->text : "";
    const int32_t n = lstrlenA(text);
    auto blank = [&](int32_t c) { return c >= n || text[c] == ' '; };
    int32_t from = col, to = col;
    while (from > 0 && blank(from - 1) == blank(col)) from--;
    while (to < ConLastCell && to + 1 < (blank(col) ? ConCols : n) && blank(to + 1) == blank(col)) to++;
    Select = ConsoleSelectState{true, false, false, line, line, from, to};
}

// The selection's text in UTF-16, built under the lock; put on the
// clipboard after it is released (putting it may wait for another
// program). Code-page cells are converted a stretch at a time, the other
// cells give their units (a wide character's second cell none).
void Copy() {
    WCHAR* out = nullptr;
    int32_t length = 0;
    {
        std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
        int64_t l1, l2;
        int32_t c1, c2;
        Ordered(&l1, &c1, &l2, &c2);
        if (l1 < Oldest()) l1 = Oldest();
        // Two passes: the size, then the units.
        for (int pass = 0; pass < 2; pass++) {
            length = 0;
            for (int64_t line = l1; line <= l2; line++) {
                const ConRowSlot* slot = ConLineSlot(line);
                int32_t first, last;
                if (slot && ConSelectedCells(line, &first, &last)) {
                    const int32_t n = lstrlenA(slot->text);
                    if (last > n - 1) last = n - 1;
                    while (last >= first && slot->text[last] == ' ') last--;
                    for (int32_t col = first; col <= last;) {
                        if (slot->uni[col]) {
                            if (slot->uni[col] != ConUniTrail) {
                                if (out) out[length] = slot->uni[col];
                                length++;
                            }
                            col++;
                            continue;
                        }
                        int32_t end = col;
                        while (end <= last && !slot->uni[end]) end++;
                        length += MultiByteToWideChar(CP_ACP, 0, slot->text + col, end - col, out ? out + length : nullptr,
                                                      out ? end - col : 0);
                        col = end;
                    }
                }
                if (line < l2) {
                    if (out) out[length] = '\r', out[length + 1] = '\n';
                    length += 2;
                }
            }
            if (!out) out = (WCHAR*)RtHeapAlloc(((uint32_t)length + 1) * (uint32_t)sizeof(WCHAR), false);
        }
        out[length] = 0;
    }
    ConFrontClipboardPut((const uint16_t*)out, length);
    HeapFree(RtHeap, 0, out);
}

}  // namespace

bool ConSelectedCells(int64_t line, int32_t* first, int32_t* last) {
    if (!Select.Shown) return false;
    int64_t l1, l2;
    int32_t c1, c2;
    Ordered(&l1, &c1, &l2, &c2);
    if (line < l1 || line > l2) return false;
    int32_t a, b;
    if (Select.Box) {
        a = Select.AnchorCol < Select.EndCol ? Select.AnchorCol : Select.EndCol;
        b = Select.AnchorCol < Select.EndCol ? Select.EndCol : Select.AnchorCol;
    } else {
        a = line == l1 ? c1 : 0;
        b = line == l2 ? c2 : ConCols - 1;
    }
    // Whole characters: a cell of a two-cell character takes the other.
    const ConRowSlot* slot = ConLineSlot(line);
    if (slot) {
        const int32_t n = lstrlenA(slot->text);
        for (int32_t s = 0; s < n && s <= b;) {
            const int32_t len = ConCellsAt(slot->text, slot->uni, s, n);
            if (a > s && a < s + len) a = s;
            if (b >= s && b < s + len) b = s + len - 1;
            s += len;
        }
    }
    *first = a, *last = b;
    return true;
}

bool ConSelectionShown() { return Select.Shown; }

void ConSelectClear() {
    const bool shown = Select.Shown;
    Select = ConsoleSelectState{};
    if (shown) Changed();
}

void ConSelectForget() { Select = ConsoleSelectState{}; }

void ConMouse(uint32_t action, int32_t col, int32_t row, bool shift, bool alt) {
    if (action == ConMouseRight) {
        if (Select.Shown) {
            Copy();
            ConSelectClear();
        } else {
            ConLineChar(22);  // a paste, as Ctrl+V
        }
        return;
    }
    if (action == ConMouseUp) {
        Select.Dragging = false;
        return;
    }
    if (action == ConMouseDrag) {
        if (!Select.Dragging) return;
        // Dragged past the top or the bottom: the view scrolls with it.
        if (row < 0) ConViewScroll(-1);
        else if (row >= ConsoleView.FullRows) ConViewScroll(1);
    }
    int64_t line;
    int32_t column;
    CellAt(col, row, &line, &column);
    if (action == ConMouseDouble) {
        SelectWord(line, column);
    } else if (action == ConMouseDown && !(shift && Select.Shown)) {
        const bool shown = Select.Shown;
        Select = ConsoleSelectState{false, true, alt, line, line, column, column};
        if (!shown) return;
    } else {
        if (action == ConMouseDown) Select.Dragging = true;
        if (Select.Shown && line == Select.EndLine && column == Select.EndCol) return;
        Select.EndLine = line, Select.EndCol = column;
        Select.Shown = true;
    }
    Changed();
}

bool ConSelectChar(uint32_t c) {
    if (c == 1) {
        int64_t oldest, last;
        {
            std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
            oldest = Oldest(), last = LastLine();
        }
        Select = ConsoleSelectState{true, false, false, oldest, last, 0, ConCols - 1};
        Changed();
        return true;
    }
    if (!Select.Shown || (c != 13 && c != 3 && c != 27)) return false;
    if (c != 27) Copy();
    ConSelectClear();
    return true;
}
