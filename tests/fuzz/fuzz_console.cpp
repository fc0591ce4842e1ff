// The single-threaded console of the fuzz targets (see fuzz_console.h).
#include "fuzz_console.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

HWND window = nullptr;

}  // namespace

HWND FuzzConsoleOpen() {
    if (window) return window;
    RtStartup();
    ConSetLineLength(-1);
    ConsoleWindowSetReady(0);
    const char* failed = ConsoleWindowOpen();
    FuzzCheck(failed == nullptr, failed ? failed : "");
    window = ConsoleWindow.WindowHandle;
    FuzzDrawingPass();  // the first paint
    FuzzCheck(ConsoleWindowIsReady(), "the first paint did not come");
    return window;
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
    ConDrawReset();  // no rows of the last input wait to be drawn
    ConLineForget();  // nor its caret and answers
    ConSetLineLength(-1);
    SendMessageA(window, WM_KILLFOCUS, 0, 0);
    HostSetClientSize(window, width, height);
    HostScreenClear(window);
    HostDrawLogClear(window);
}

void FuzzDrawingPass() {
    // What the window thread would do: handle the drawing requests that
    // printing posted, draw what waits at once (no frame pacing here), and
    // repaint when the system asked for it (a resize, or an InvalidateRect).
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    SendMessageA(window, WM_CON_FLUSH, 0, 0);
    if (HostGetWindowInfo(window).paintPending) SendMessageA(window, WM_PAINT, 0, 0);
    HostDrawLogClear(window);  // the log would only grow
}

std::vector<std::string> FuzzScreenRows(int32_t rows) {
    int32_t cw = ConsoleBuffer.CellWidth, ch = ConsoleBuffer.CellHeight;
    std::vector<std::string> shown((size_t)rows);
    for (const HostPiece& p : HostScreenPieces(window)) {
        if (p.y % ch != 0 || p.x % cw != 0 || p.y / ch >= rows) continue;
        std::string& row = shown[(size_t)(p.y / ch)];
        size_t col = (size_t)(p.x / cw);
        if (row.size() < col) row.resize(col, '\0');
        row.replace(col, p.bytes.size(), p.bytes);
    }
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
    RECT client{};
    GetClientRect(window, &client);
    int32_t row, col, ch;
    {
        std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
        row = ConsoleBuffer.CursorRow, col = ConsoleBuffer.CursorCol, ch = ConsoleBuffer.CellHeight;
        for (int r = 0; r < ConRows; r++) FuzzCheck(ConsoleBuffer.RowText[r][ConCols - 1] == 0, "a row lost its NUL");
    }
    FuzzCheck(row >= 0 && row < ConRows && col >= 0 && col <= ConLastCell + 1, "the cursor left the grid");
    if (client.bottom > 0) FuzzCheck(row == 0 || (row + 1) * ch <= client.bottom, "the cursor row is not visible");
    int32_t visible = 0;
    while (visible < ConRows && visible * ch < client.bottom) visible++;
    std::vector<std::string> screen = FuzzScreenRows(visible);
    for (int32_t r = 0; r < visible; r++)
        FuzzCheck(screen[(size_t)r] == FuzzVisibleGridRow(r, client.right), "a screen row differs from its grid row");
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
