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
    {
        std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
        for (int row = 0; row < ConRows; row++) {
            memset(ConsoleBuffer.RowText[row], 0, ConCols);
            memset(ConsoleBuffer.RowForeColor[row], 0, ConCols * sizeof(COLORREF));
            memset(ConsoleBuffer.RowBackColor[row], 0, ConCols * sizeof(COLORREF));
        }
        ConsoleBuffer.CursorCol = 0;
        ConsoleBuffer.CursorRow = 0;
    }
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

std::string FuzzVisibleGridRow(int32_t row, int32_t width) {
    std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
    const char* text = ConsoleBuffer.RowText[row];
    int32_t n = (int32_t)strnlen(text, ConCols), col = 0;
    while (col < n && col * ConsoleBuffer.CellWidth < width)
        col += (IsDBCSLeadByte((BYTE)text[col]) && col + 1 < n) ? 2 : 1;
    return std::string(text, (size_t)col);
}

void FuzzCheckScreen() {
    int32_t row, col, ch;
    {
        std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
        row = ConsoleBuffer.CursorRow, col = ConsoleBuffer.CursorCol, ch = ConsoleBuffer.CellHeight;
        for (int r = 0; r < ConRows; r++) FuzzCheck(ConsoleBuffer.RowText[r][ConCols - 1] == 0, "a row lost its NUL");
    }
    FuzzCheck(row >= 0 && row < ConRows && col >= 0 && col <= ConLastCell + 1, "the cursor left the grid");
    if (client_height > 0) FuzzCheck(row == 0 || (row + 1) * ch <= client_height, "the cursor row is not visible");
    int32_t visible = 0;
    while (visible < ConRows && visible * ch < client_height) visible++;
    std::vector<std::string> screen = FuzzScreenRows(visible);
    for (int32_t r = 0; r < visible; r++)
        FuzzCheck(screen[(size_t)r] == FuzzVisibleGridRow(r, client_width), "a screen row differs from its grid row");
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
