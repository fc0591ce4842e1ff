// Test helpers shared by both builds: starting the console thread, typing
// into the window from a test thread, reading the grid.
#include "console_driver.h"

#include <chrono>

#include "test_support.h"

void ConsoleStartThread() {
    TestRuntimeStart();
    ConSetLineLength(-1);
    ConsoleWindowSetReady(0);
    CreateThread(nullptr, 0, ConsoleThreadMain, nullptr, 0, &ConsoleWindow.ConsoleThreadId);
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!ConsoleWindowIsReady() && std::chrono::steady_clock::now() < until) Sleep(2);
}

bool ConsoleWaitForRequest(unsigned timeout_ms) {
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (ConLineLength() == -1) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

ConsoleTypist::ConsoleTypist(std::vector<std::string> lines, std::function<void(size_t)> before_line)
    : lines_(std::move(lines)), before_line_(std::move(before_line)) {
    thread_ = std::thread([this] {
        for (size_t i = 0; i < lines_.size(); i++) {
            if (!ConsoleWaitForRequest()) {
                ok_ = false;
                return;
            }
            if (before_line_) before_line_(i);
            ConsoleType(lines_[i] + "\r");
        }
    });
}

std::string ConsoleGridRow(int32_t row) {
    std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
    const char* text = ConsoleBuffer.RowText[row];
    return text ? std::string(text, strnlen(text, ConCols)) : std::string();
}

int32_t ConsoleCursorRow() {
    std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
    return ConsoleBuffer.CursorRow;
}

int32_t ConsoleCursorCol() {
    std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
    return ConsoleBuffer.CursorCol;
}
