// Fuzzes console output: prints of any bytes (tabs, CR LF, lone CR, lead
// bytes at row ends, NULs, thousands of rows at once) with the client area
// changed between them. After every print or resize and the drawing pass
// that follows it, the grid and the screen must agree (FuzzCheckScreen) and
// no string may be left behind. Every drawing pass draws each visible cell,
// so the window is kept small (up to 15 rows, 10 at the start) to keep the
// executions many. The input is a list of operations, each chosen by its
// first byte:
//   k % 8 == 0  resize: width (up to 1020 pixels) and height (up to 255)
//               from the next two bytes; height 0 is a minimised window
//   k % 8 == 1  long print: a count byte c and a length byte L, then L bytes
//               printed (c + 1) * 8 times in one text, up to 16 KB (8,192
//               line breaks: the grid of 101 rows scrolls through many times,
//               and the scroll-back fills)
//   k % 8 == 4  the view scrolled: a signed byte of lines, or (odd) of columns
//   k % 8 == 5  the mouse: an action byte, a column and a row byte (the cell
//               may lie outside the client: a drag there scrolls)
//   k % 8 == 6  a right-click: with a selection shown, the copy must hold
//               exactly the selected cells, as a model of the selection
//               kept here says (whole characters, line order or a box,
//               each row's trailing blanks dropped, rows joined by CR LF)
//   k % 8 == 7  UTF-16 print: a length byte L, then 2L bytes of units (any:
//               pairs, lone surrogates, wide and narrow characters, ASCII),
//               after which every row's cells must be whole characters
//   otherwise   print: a length byte L, then L bytes
#include <algorithm>
#include <string>

#include "fuzz_console.h"

namespace {

// The selection as the mouse made it, kept here from the cells the view
// showed under the mouse.
struct Selection {
    bool shown = false, dragging = false, box = false;
    int64_t anchorLine = 0, endLine = 0;
    int32_t anchorCol = 0, endCol = 0;
};

std::string LineText(int64_t line) {
    const ConRowSlot* slot = ConLineSlot(line);
    return slot ? std::string(slot->text, strnlen(slot->text, ConCols)) : std::string();
}
std::u16string LineUnits(int64_t line) {
    const ConRowSlot* slot = ConLineSlot(line);
    return slot ? std::u16string((const char16_t*)slot->uni, strnlen(slot->text, ConCols)) : std::u16string();
}

// Every row's UTF-16 cells: only where its text holds the placeholder and
// before its NUL, a second cell after a first, a high unit before a low.
void CheckCells() {
    for (int r = 0; r < ConRows; r++) {
        const char* text = ConsoleBuffer.RowText[r];
        const WCHAR* uni = ConsoleBuffer.RowUni[r];
        for (int32_t c = 0; c < ConCols; c++) {
            if (!uni[c]) continue;
            FuzzCheck(text[c] == ConUniByte, "a UTF-16 cell without its placeholder byte");
            const bool second = ConUniSecond(uni[c]), high = uni[c] >= 0xD800 && uni[c] <= 0xDBFF;
            FuzzCheck(!second || (c > 0 && uni[c - 1] && !ConUniSecond(uni[c - 1])), "half of a character alone");
            FuzzCheck(!high || (c + 1 < ConCols && uni[c + 1] >= 0xDC00 && uni[c + 1] <= 0xDFFF), "a pair split");
            FuzzCheck(uni[c] != ConUniTrail || ConCharCells(uni[c - 1]) == 2, "a narrow character in two cells");
        }
    }
}

// The cell under the mouse, inside the lines kept and a row's cells.
void Cell(int32_t col, int32_t row, int64_t* line, int32_t* column) {
    const int64_t oldest = ConsoleBuffer.Top - ConsoleBuffer.History;
    const int64_t last = ConsoleBuffer.Top + ConsoleBuffer.CursorRow;
    *line = std::clamp<int64_t>(ConsoleView.Top + row, oldest, last);
    *column = std::clamp<int32_t>(ConsoleView.Left + col, 0, ConLastCell);
}

void Mouse(Selection& sel, uint32_t action, int32_t col, int32_t row, bool shift, bool alt) {
    ConMouse(action, col, row, shift, alt);  // a drag scrolls first; the cell is then read
    int64_t line;
    int32_t column;
    Cell(col, row, &line, &column);
    if (action == ConMouseUp) {
        sel.dragging = false;
    } else if (action == ConMouseDouble) {
        const std::string t = LineText(line);
        auto blank = [&](int32_t c) { return c >= (int32_t)t.size() || t[(size_t)c] == ' '; };
        int32_t from = column, to = column;
        while (from > 0 && blank(from - 1) == blank(column)) from--;
        while (to < ConLastCell && to + 1 < (blank(column) ? ConCols : (int32_t)t.size()) && blank(to + 1) == blank(column))
            to++;
        sel = Selection{true, false, false, line, line, from, to};
    } else if (action == ConMouseDown && !(shift && sel.shown)) {
        sel = Selection{false, true, alt, line, line, column, column};
    } else if (action == ConMouseDown || (action == ConMouseDrag && sel.dragging)) {
        sel.dragging = true;
        sel.endLine = line, sel.endCol = column;
        sel.shown = true;
    }
}

// What a copy of the selection holds, in UTF-16.
std::u16string Expected(const Selection& sel) {
    const bool swap = sel.endLine < sel.anchorLine || (sel.endLine == sel.anchorLine && sel.endCol < sel.anchorCol);
    const int64_t l1 = swap ? sel.endLine : sel.anchorLine, l2 = swap ? sel.anchorLine : sel.endLine;
    const int32_t c1 = swap ? sel.endCol : sel.anchorCol, c2 = swap ? sel.anchorCol : sel.endCol;
    std::u16string out;
    for (int64_t line = std::max(l1, ConsoleBuffer.Top - ConsoleBuffer.History); line <= l2; line++) {
        const std::string t = LineText(line);
        const std::u16string u = LineUnits(line);
        int32_t a = sel.box ? std::min(c1, c2) : line == l1 ? c1 : 0;
        int32_t b = sel.box ? std::max(c1, c2) : line == l2 ? c2 : ConCols - 1;
        for (int32_t s = 0, n = (int32_t)t.size(); s < n && s <= b;) {
            const bool two = s + 1 < n && (u[(size_t)s] ? ConUniSecond(u[(size_t)s + 1])
                                                        : IsDBCSLeadByte((BYTE)t[(size_t)s]) && !u[(size_t)s + 1]);
            const int32_t len = two ? 2 : 1;
            if (a > s && a < s + len) a = s;
            if (b >= s && b < s + len) b = s + len - 1;
            s += len;
        }
        b = std::min<int32_t>(b, (int32_t)t.size() - 1);
        while (b >= a && t[(size_t)b] == ' ') b--;
        // Code-page cells decoded a stretch at a time; a wide character's
        // second cell gives nothing.
        for (int32_t c = a; c <= b;) {
            if (u[(size_t)c]) {
                if (u[(size_t)c] != ConUniTrail) out += u[(size_t)c];
                c++;
                continue;
            }
            int32_t end = c;
            while (end <= b && !u[(size_t)end]) end++;
            WCHAR wide[ConCols];
            const int got = MultiByteToWideChar(CP_ACP, 0, t.data() + c, end - c, wide, ConCols);
            out.append((const char16_t*)wide, (size_t)got);
            c = end;
        }
        if (line < l2) out += u"\r\n";
    }
    return out;
}

void Print(const std::string& bytes) {
    RtString s = StrAlloc((int32_t)bytes.size());
    memcpy(s, bytes.data(), bytes.size());
    ConPrint(s);  // a NUL inside ends the text, as it does for every caller
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzConsoleOpen();
    FuzzConsoleReset(640, 160);
    int32_t strings = FuzzLiveStrings();
    FuzzReader in{data, size};
    Selection sel;
    while (in.More()) {
        uint8_t k = in.Byte();
        if (k % 8 == 4) {
            std::string n = in.Take(1);
            const int32_t by = n.empty() ? -1 : (int8_t)n[0];
            if (k & 8) ConViewScrollColumns(by);
            else ConViewScroll(by);
        } else if (k % 8 == 5) {
            std::string m = in.Take(3);
            m.resize(3, 0);
            const uint8_t a = (uint8_t)m[0];
            Mouse(sel, a % 4, (uint8_t)m[1] % 40 - 4, (uint8_t)m[2] % 24 - 4, a & 16, a & 32);
        } else if (k % 8 == 6) {
            if (sel.shown) {
                const std::u16string expected = Expected(sel);
                int32_t before = 0, after = 0;
                FrontClipboard(&before);
                ConMouse(ConMouseRight, 0, 0, false, false);
                FrontClipboard(&after);
                FuzzCheck(FrontClipboardWide() == expected && after == before + 1, "the copy is not the selected cells");
                FuzzCheck(!ConSelectionShown(), "a copy left the selection shown");
                sel = Selection{};
            }
        } else if (k % 8 == 0) {
            std::string wh = in.Take(2);
            int width = wh.size() > 0 ? (uint8_t)wh[0] * 4 : 640;
            int height = wh.size() > 1 ? (uint8_t)wh[1] : 160;
            FuzzResize(width, height);
        } else if (k % 8 == 1) {
            std::string cl = in.Take(2);
            size_t count = cl.empty() ? 8 : ((uint8_t)cl[0] + 1) * 8u;
            std::string piece = in.Take(cl.size() > 1 ? (uint8_t)cl[1] : 0);
            std::string text;
            for (size_t i = 0; i < count && text.size() < 16384; i++) text += piece;
            Print(text);
        } else if (k % 8 == 7) {
            std::string len = in.Take(1);
            const std::string bytes = in.Take(len.empty() ? 0 : 2 * (size_t)(uint8_t)len[0]);
            std::u16string units;
            for (size_t i = 0; i + 1 < bytes.size(); i += 2)
                units += (char16_t)((uint8_t)bytes[i] | (uint8_t)bytes[i + 1] << 8);
            ConPrintWide((const WCHAR*)units.data(), (int32_t)units.size());
            std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
            CheckCells();
        } else {
            std::string len = in.Take(1);
            Print(in.Take(len.empty() ? 0 : (uint8_t)len[0]));
        }
        FuzzDrawingPass();
        FuzzCheckScreen();
        FuzzCheck(ConSelectionShown() == sel.shown, "the selection is shown where none was made, or not shown");
    }
    FuzzCheck(FuzzLiveStrings() == strings, "a string left behind");
    return 0;
}
