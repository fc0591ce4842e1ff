// The single-threaded console of the fuzz targets (see fuzz_console.h).
#include "fuzz_console.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "con_front.h"

namespace {

bool opened = false;
int client_width = 640, client_height = 400;

}  // namespace

void FuzzConsoleOpen() {
    if (opened) return;
    RtStartup();
    ConSetLineLength(-1);
    ConsoleWindowSetReady(0);
    FrontOpenHere();  // the grid, and the first paint
    FuzzCheck(ConsoleWindowIsReady(), "the first paint did not come");
    opened = true;
}

void FuzzConsoleReset(int width, int height) {
    ConGridReset();     // an empty grid, no scroll-back, the view and selection new
    ConDueRowsReset();  // no rows of the last input wait to be drawn
    ConLineForget();    // nor its caret and answers
    ConSetLineLength(-1);
    ConFrontCaretHide();
    client_width = width, client_height = height;
    FrontSetClient(width, height);
    FrontScreenClear();
    FrontDrawLogClear();
}

void FuzzResize(int width, int height) {
    client_width = width, client_height = height;
    FrontSetClient(width, height);
    ConFrontRedrawAll();  // the system repaints a resized window
}

void FuzzDrawingPass() {
    FrontPump();
    FrontDrawLogClear();  // the log would only grow
}

std::vector<std::string> FuzzScreenRows(int32_t rows) {
    std::vector<std::string> shown((size_t)rows);
    for (int32_t r = 0; r < rows; r++) shown[(size_t)r] = FrontScreenRow(r);
    return shown;
}

std::string FuzzVisibleLine(int32_t row, int32_t width) {
    std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
    const ConRowSlot* slot = ConLineSlot(ConsoleView.Top + row);
    const char* text = slot ? slot->text : "";
    const WCHAR* uni = slot ? slot->uni : nullptr;
    const int32_t n = (int32_t)strnlen(text, ConCols), left = ConsoleView.Left;
    // Cells of the character at c: a UTF-16 one followed by its second
    // cell, or a lead byte followed by a byte, takes two.
    auto cells = [&](int32_t c) {
        if (c + 1 >= n) return 1;
        return (uni[c] ? ConUniSecond(uni[c + 1]) : IsDBCSLeadByte((BYTE)text[c]) && !uni[c + 1]) ? 2 : 1;
    };
    int32_t col = 0, start = 0;
    while (start < left && start < n) start += cells(start);
    std::string shown;
    if (left >= n || width <= 0) return shown;
    if (start > left) shown = " ", col = start;  // a character cut by the left edge
    else col = left;
    while (col < n && (col - left) * ConsoleBuffer.CellWidth < width) {
        const int32_t len = cells(col);
        shown.append(text + col, (size_t)len);
        col += len;
    }
    return shown;
}

void FuzzCheckScreen() {
    int64_t line, top;
    int32_t col, ch, full;
    bool following;
    {
        std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
        line = ConsoleBuffer.Top + ConsoleBuffer.CursorRow, col = ConsoleBuffer.CursorCol;
        ch = ConsoleBuffer.CellHeight;
        top = ConsoleView.Top, full = ConsoleView.FullRows, following = ConsoleView.Following;
        for (int r = 0; r < ConRows; r++) FuzzCheck(ConsoleBuffer.RowText[r][ConCols - 1] == 0, "a row lost its NUL");
        FuzzCheck(ConsoleBuffer.CursorRow >= 0 && ConsoleBuffer.CursorRow < ConRows, "the cursor left the grid");
        FuzzCheck(top >= ConsoleBuffer.Top - ConsoleBuffer.History, "the view shows lines no longer kept");
    }
    FuzzCheck(col >= 0 && col <= ConLastCell + 1, "the cursor left the grid");
    if (client_height > 0 && following)
        FuzzCheck(line >= top && line < top + full, "the cursor row is not in view");
    int32_t visible = 0;
    while (visible < ConRows && visible * ch < client_height) visible++;
    std::vector<std::string> screen = FuzzScreenRows(visible);
    for (int32_t r = 0; r < visible; r++) {
        const std::string line = FuzzVisibleLine(r, client_width);
        if (screen[(size_t)r] != line)
            fprintf(stderr, "row %d of the view (top %lld, left %d): shown \"%s\", its line \"%s\"\n", r,
                    (long long)ConsoleView.Top, ConsoleView.Left, screen[(size_t)r].c_str(), line.c_str());
        FuzzCheck(screen[(size_t)r] == line, "a screen row differs from its line");
    }
}

void FuzzCheck(bool ok, const char* what) {
    if (!ok) {
        fprintf(stderr, "fuzz check failed: %s\n", what);
        abort();
    }
}

int32_t FuzzLiveStrings() {
    EnterCriticalSection(&StringLock);
    int32_t n = StringRegistry.Count;
    LeaveCriticalSection(&StringLock);
    return n;
}
