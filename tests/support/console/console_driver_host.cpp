// Test helpers of the host build: the console inside a simulated process,
// closing it, and reading the recording surface of its window.
#include "console_driver.h"

void ConsoleStartThread();

void ConsoleStart() {
    HostProcessBegin();
    ConsoleStartThread();
}

int ConsoleClose() {
    PostMessageA(ConsoleWindow.WindowHandle, WM_CLOSE, 0, 0);
    int code = HostProcessWait(10000);
    HostProcessEnd();
    return code;
}

std::string ConsoleScreenRow(int32_t row) {
    ConsoleFlush();
    int32_t cw = ConsoleBuffer.CellWidth, ch = ConsoleBuffer.CellHeight;
    std::string shown;
    for (const HostPiece& p : HostScreenPieces(ConsoleWindow.WindowHandle)) {
        if (p.y != row * ch || cw <= 0) continue;
        size_t col = (size_t)(p.x / cw);
        if (shown.size() < col) shown.resize(col, '\0');
        shown.replace(col, p.bytes.size(), p.bytes);
    }
    return shown;
}

void ConsoleEndSession() { ConsoleClose(); }
