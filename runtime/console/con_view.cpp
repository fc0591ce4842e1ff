// The view: which lines and columns of the buffer the window shows, and
// the copy of them a drawing pass draws. No window call: the front end
// tells the client area's size and draws the copy.
//
// The view is a top line and a left column over the lines kept (the
// scroll-back and the grid). While it follows the cursor, a pass keeps the
// cursor's row in sight with as little movement as it can: the view moves
// only when the cursor leaves it (a print past the last row scrolls it by
// as many lines), and a new client size puts the cursor's row at the
// bottom when lines above can fill the rows (a grown window shows the
// lines a shrink pushed out again). Scrolling (the wheel, the bar, the
// keys) stops the following, so output does not move what the user looks
// at; scrolling to the bottom, a typed key or Enter start it again.
// Sideways it follows the caret while a line is typed, else the cursor. A
// view that moved redraws every row.
//
// ConCopyRows holds the console lock only to fit the view and to copy the
// rows to draw, so the drawing calls work on that copy with the lock
// released, and a print on the program thread never waits for a pass.
#include "con_front.h"
#include "rt_console.h"

ConsoleViewState ConsoleView;

namespace {

int64_t Oldest() { return ConsoleBuffer.Top - ConsoleBuffer.History; }
int64_t CursorLine() { return ConsoleBuffer.Top + ConsoleBuffer.CursorRow; }
// The top line that shows the cursor's row on the view's last whole row.
int64_t BottomTop() {
    const int64_t top = CursorLine() - ConsoleView.FullRows + 1;
    return top > Oldest() ? top : Oldest();
}
// The most the view can be scrolled right: the widest row, and the cell
// after it where the caret may stand, in sight.
int32_t MostLeft() {
    const int32_t left = ConsoleBuffer.Widest + 1 - ConsoleView.FullCols;
    return left > 0 ? left : 0;
}

// The view moved by the user: drawn again soon.
void Moved() {
    ConMarkRows(-1, 0);
    ConRequestDraw();
}

void SetTop(int64_t top) {
    std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
    const int64_t bottom = BottomTop();
    if (top >= bottom) top = bottom;
    if (top < Oldest()) top = Oldest();
    ConsoleView.Following = top == bottom;
    if (top == ConsoleView.Top) return;
    ConsoleView.Top = top;
    Moved();
}

void SetLeft(int32_t left) {
    std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
    if (left > MostLeft()) left = MostLeft();
    if (left < 0) left = 0;
    if (left == ConsoleView.Left) return;
    ConsoleView.Left = left;
    Moved();
}

// Copies line (from column left on) into c, the selected cells' colours
// swapped; a row never kept, or below the grid, is empty.
void CopyLine(int64_t line, int32_t left, ConRowCopy& c) {
    const ConRowSlot* slot = ConLineSlot(line);
    c.n = 0;
    c.text[0] = 0;
    if (!slot) return;
    const int32_t length = lstrlenA(slot->text);  // a row always keeps a NUL inside its 255 bytes
    if (left >= length) return;
    c.n = length - left;
    RtlMoveMemory(c.text, slot->text + left, (size_t)c.n + 1);
    RtlMoveMemory(c.fore, slot->fore + left, (size_t)c.n * sizeof(COLORREF));
    RtlMoveMemory(c.back, slot->back + left, (size_t)c.n * sizeof(COLORREF));
    RtlMoveMemory(c.uni, slot->uni + left, (size_t)c.n * sizeof(WCHAR));
    // A character cut by the left edge shows as a blank.
    int32_t start = 0;
    while (start < left) start += ConCellsAt(slot->text, slot->uni, start, length);
    if (start > left) c.text[0] = ' ', c.uni[0] = 0;
    int32_t first, last;
    if (!ConSelectedCells(line, &first, &last)) return;
    for (int32_t col = first - left < 0 ? 0 : first - left; col <= last - left && col < c.n; col++) {
        const COLORREF f = c.fore[col];
        c.fore[col] = c.back[col];
        c.back[col] = f;
    }
}

}  // namespace

int32_t ConCopyRows(int32_t clientWidth, int32_t clientHeight, int32_t FirstRow, int32_t LastRow,
                    ConRowCopy* copies, ConViewInfo* info) {
    std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
    if (!ConsoleBuffer.RowText[0]) return 0;  // the grid has been released
    // A client area of height 0 (the window is minimised) shows nothing;
    // fitting the view to it would lose its place. The paint after
    // restoring fits it to the real size.
    if (clientHeight <= 0 || clientWidth < 0) return 0;
    ConsoleViewState& v = ConsoleView;
    const int32_t cw = ConsoleBuffer.CellWidth, ch = ConsoleBuffer.CellHeight;
    const bool resized = clientWidth != v.Width || clientHeight != v.Height;
    v.Width = clientWidth, v.Height = clientHeight;
    // At most ConRows rows are shown, however tall the window.
    v.Rows = (clientHeight + ch - 1) / ch < ConRows ? (clientHeight + ch - 1) / ch : ConRows;
    v.FullRows = clientHeight / ch < 1 ? 1 : clientHeight / ch < ConRows ? clientHeight / ch : ConRows;
    v.FullCols = clientWidth / cw > 0 ? clientWidth / cw : 1;
    v.Cols = (clientWidth + cw - 1) / cw;

    const int64_t cursor = CursorLine();
    if (v.Following) {
        if (resized || cursor >= v.Top + v.FullRows) v.Top = BottomTop();
        if (cursor < v.Top) v.Top = cursor;
    }
    if (v.Top < Oldest()) v.Top = Oldest();  // the lines it showed are no longer kept
    // Sideways the view follows the caret while a line is typed, else the
    // cursor, back at the left edge whenever that shows it.
    if (v.Following) {
        int32_t col = ConsoleBuffer.CursorCol, row = ConsoleBuffer.CursorRow;
        if (ConLineLength() != -1) ConLineCaretCell(&col, &row);
        if (col < v.FullCols) v.Left = 0;
        else if (col < v.Left) v.Left = col;
        else if (col >= v.Left + v.FullCols) v.Left = col - v.FullCols + 1;
    }
    if (v.Left > MostLeft()) v.Left = MostLeft();
    const bool moved = resized || v.Top != v.PassTop || v.Left != v.PassLeft;
    v.PassTop = v.Top, v.PassLeft = v.Left;
    if (moved) FirstRow = -1;
    // Every row is drawn now: nothing waits for a pass any more.
    if (FirstRow == -1) ConUnmarkRows();

    int32_t first = 0, last = v.Rows - 1;
    if (FirstRow != -1) {
        // Rows of the grid, as rows of the view.
        const int64_t from = ConsoleBuffer.Top + FirstRow - v.Top, to = ConsoleBuffer.Top + LastRow - v.Top;
        first = from > 0 ? (int32_t)from : 0;
        last = to < v.Rows - 1 ? (int32_t)to : v.Rows - 1;
    }
    int32_t count = 0;
    for (int32_t row = first; row <= last; row++) {
        ConRowCopy& c = copies[count++];
        c.row = row;
        CopyLine(v.Top + row, v.Left, c);
    }
    if (info) {
        const int64_t end = cursor > v.Top + v.FullRows - 1 ? cursor : v.Top + v.FullRows - 1;
        info->Lines = (int32_t)(end - Oldest() + 1);
        info->Top = (int32_t)(v.Top - Oldest());
        info->Page = v.FullRows;
        info->Widest = ConsoleBuffer.Widest + 1;
        info->Left = v.Left;
        info->PageCols = v.FullCols;
        info->Moved = moved;
    }
    return count;
}

void ConViewScroll(int32_t lines) {
    std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
    SetTop(ConsoleView.Top + lines);
}

void ConViewScrollTo(int32_t line) {
    std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
    SetTop(Oldest() + line);
}

void ConViewScrollColumns(int32_t cols) { SetLeft(ConsoleView.Left + cols); }

void ConViewScrollColumnTo(int32_t col) { SetLeft(col); }

void ConViewCellChanged() {
    std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
    ConsoleView.Width = ConsoleView.Height = -1;  // the next pass fits the view anew
    ConMarkRows(-1, 0);
}

void ConViewFollow() {
    std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
    if (ConsoleView.Following) return;
    ConsoleView.Following = true;
    Moved();
}

bool ConViewKey(uint32_t key, bool shift, bool ctrl) {
    const int32_t page = ConsoleView.FullRows;
    if (shift && (key == ConKeyPageUp || key == ConKeyPageDown)) ConViewScroll(key == ConKeyPageUp ? -page : page);
    else if (ctrl && (key == ConKeyUp || key == ConKeyDown)) ConViewScroll(key == ConKeyUp ? -1 : 1);
    else if (ctrl && (key == ConKeyHome || key == ConKeyEnd) && ConLineLength() <= 0)
        ConViewScrollTo(key == ConKeyHome ? 0 : ConKeptRows);
    else return false;
    return true;
}

bool ConViewCell(int32_t col, int32_t row, int32_t* viewCol, int32_t* viewRow) {
    std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
    const int64_t r = ConsoleBuffer.Top + row - ConsoleView.Top;
    *viewCol = col - ConsoleView.Left;
    *viewRow = (int32_t)r;
    return r >= 0 && r < ConsoleView.FullRows && *viewCol >= 0 && *viewCol < ConsoleView.FullCols;
}
