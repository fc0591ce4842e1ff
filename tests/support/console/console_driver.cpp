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

std::string ConsoleGridChars(int32_t row) {
    std::u16string units;
    {
        std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
        const char* text = ConsoleBuffer.RowText[row];
        const WCHAR* uni = ConsoleBuffer.RowUni[row];
        const int32_t n = text ? (int32_t)strnlen(text, ConCols) : 0;
        for (int32_t col = 0; col < n;) {
            if (uni[col]) {
                if (uni[col] != ConUniTrail) units.push_back((char16_t)uni[col]);
                col++;
                continue;
            }
            int32_t end = col;
            while (end < n && !uni[end]) end++;
            WCHAR wide[ConCols];
            const int got = MultiByteToWideChar(CP_ACP, 0, text + col, end - col, wide, ConCols);
            units.append((const char16_t*)wide, (size_t)got);
            col = end;
        }
    }
    std::string utf8((size_t)units.size() * 3, 0);
    utf8.resize((size_t)WideCharToMultiByte(CP_UTF8, 0, (const WCHAR*)units.data(), (int)units.size(), utf8.data(),
                                            (int)utf8.size(), nullptr, nullptr));
    return utf8;
}

int32_t ConsoleCursorRow() {
    std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
    return ConsoleBuffer.CursorRow;
}

int32_t ConsoleCursorCol() {
    std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
    return ConsoleBuffer.CursorCol;
}
