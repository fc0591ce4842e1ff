// Console output: ConPrint lays the bytes of a text into the grid at the
// cursor and asks the window thread to draw the touched rows; ConPrintWide
// lays UTF-16 characters the same way, into cells that keep their UTF-16.
#include "rt_console.h"

namespace {

// A cell about to be written that belongs to a two-cell character: the
// character's other cell becomes a blank, so no half of it is left.
void Unpair(int32_t row, int32_t col) {
    WCHAR* uni = ConsoleBuffer.RowUni[row];
    const int32_t other = ConUniSecond(uni[col]) ? col - 1 : col + 1;
    if (other < 0 || other >= ConCols || !(ConUniSecond(uni[col]) || ConUniSecond(uni[other]))) return;
    uni[other] = 0;
    if (ConsoleBuffer.RowText[row][other]) ConsoleBuffer.RowText[row][other] = ' ';
}

// Writes one byte with the current colours; a byte that would land beyond
// cell 253 is dropped and the cursor stops at 254, so the row keeps its NUL.
void LayByte(char byte, bool colours) {
    int32_t row = ConsoleBuffer.CursorRow, col = ConsoleBuffer.CursorCol;
    if (col > ConLastCell) return;
    ConsoleBuffer.RowText[row][col] = byte;
    if (WCHAR& u = ConsoleBuffer.RowUni[row][col]) {
        Unpair(row, col);
        u = 0;
    }
    if (colours) {
        ConsoleBuffer.RowForeColor[row][col] = ConsoleBuffer.ForeColor;
        ConsoleBuffer.RowBackColor[row][col] = ConsoleBuffer.BackColor;
    }
    ConsoleBuffer.CursorCol = col + 1;
}

// Writes a character that is not ASCII: its units (first, and second for
// a pair) into its cells. A character without room for all of its cells
// fills the row: nothing after it on the row would be in its place.
void LayChar(WCHAR first, WCHAR second, int32_t cells) {
    const int32_t row = ConsoleBuffer.CursorRow, col = ConsoleBuffer.CursorCol;
    if (col + cells - 1 > ConLastCell) {
        ConsoleBuffer.CursorCol = ConLastCell + 1;
        return;
    }
    for (int32_t i = 0; i < cells; i++) LayByte(ConUniByte, true);
    ConsoleBuffer.RowUni[row][col] = first;
    if (cells == 2) ConsoleBuffer.RowUni[row][col + 1] = second;
}

// The cursor to the start of the next row; the last row full, the grid
// moves up first, so the cursor stays on row 100 (the scroll marks every row).
void NewLine() {
    if (ConsoleBuffer.CursorCol > ConsoleBuffer.Widest) ConsoleBuffer.Widest = ConsoleBuffer.CursorCol;
    if (ConsoleBuffer.CursorRow == ConRows - 1) ConScrollUp();
    ConsoleBuffer.CursorRow++;
    ConsoleBuffer.CursorCol = 0;
}

// Blanks up to the next multiple of 8; their colours stay.
void Tab() {
    const int n = 8 - ConsoleBuffer.CursorCol % 8;
    for (int i = 0; i < n; i++) LayByte(' ', false);
}

// Prints under the lock: lay lays the text, then the touched rows are
// marked; a draw is asked for once the lock is released. After the window
// thread has released the grid, printing does nothing.
template <typename Lay>
void Print(Lay lay) {
    {
        std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
        if (!ConsoleBuffer.RowText[0]) return;
        const int32_t first = ConsoleBuffer.CursorRow;
        lay();
        if (ConsoleBuffer.CursorCol > ConsoleBuffer.Widest) ConsoleBuffer.Widest = ConsoleBuffer.CursorCol;
        ConMarkRows(first, ConsoleBuffer.CursorRow);
    }
    ConRequestDraw();
}

}  // namespace

void ConPrint(RtString text) {
    ConPrintText(text);
    StrFree(text);
}

void ConPrintText(const char* text) {
    Print([text] {
        for (const char* p = text; *p; p++) {
            if (*p == '\t') Tab();
            else if (*p == '\r' && p[1] == '\n') NewLine(), p++;
            else LayByte(*p, true);
        }
    });
}

void ConPrintWide(const WCHAR* text, int32_t n) {
    Print([text, n] {
        for (int32_t i = 0; i < n; i++) {
            const WCHAR u = text[i];
            if (u < 0x80) {
                if (u == '\t') Tab();
                else if (u == '\r' && i + 1 < n && text[i + 1] == '\n') NewLine(), i++;
                else if (u) LayByte((char)u, true);  // a NUL would end the row's text
            } else if (u >= 0xD800 && u <= 0xDBFF && i + 1 < n && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
                LayChar(u, text[i + 1], 2);
                i++;
            } else if ((u >= 0xD800 && u <= 0xDFFF) || u == ConUniTrail) {
                LayChar(0xFFFD, 0, 1);  // U+FFFF, no character, marks a second cell
            } else {
                const int32_t cells = ConCharCells(u);
                LayChar(u, ConUniTrail, cells);
            }
        }
    });
}
