// Host tests of the console: each test runs a fresh console window thread in
// a simulated process on the recording stand-in (cells of 8 by 16 pixels,
// a client area of 640 by 400: rows 0 to 24 visible) and closes it at the end.
#pragma once
#include <gtest/gtest.h>

#include "console_driver.h"
#include "test_support.h"

class HostConsole : public ::testing::Test {
protected:
    void SetUp() override {
        ConsoleStart();
        ASSERT_TRUE(ConsoleWindowIsReady());
        hwnd = ConsoleWindow.WindowHandle;
    }
    void TearDown() override {
        if (!closed) {
            EXPECT_EQ(ConsoleClose(), 0);
        }
    }

    static void Print(const std::string& bytes) {
        RtString s = StrAlloc((int32_t)bytes.size());
        memcpy(s, bytes.data(), bytes.size());
        ConPrint(s);
        ConsoleFlush();  // what the print laid is on the screen
    }
    // Has the window painted again and waits for the paint.
    void Repaint() {
        ConsoleWindowSetReady(0);  // before the request: the paint sets it
        InvalidateRect(hwnd, nullptr, TRUE);
        while (!ConsoleWindowIsReady()) Sleep(1);
    }
    // What the program does to ask for a line, without waiting for it.
    void Request() {
        LineMailbox.Prompt = "> ";
        ConSetLineLength(0);
        SendMessageA(hwnd, WM_SETFOCUS, 0, 0);
    }
    // Waits until a repaint the window asked for is done.
    void WaitForRepaint() const {
        for (int i = 0; i < 5000 && HostGetWindowInfo(hwnd).paintPending; i++) Sleep(1);
        SendMessageA(hwnd, WM_USER, 0, 0);  // returns after the paint has finished
    }
    std::string Line() const { return std::string(LineMailbox.LineBuffer, (size_t)ConLineLength()); }
    std::vector<HostDrawCall> Calls(HostDrawCall::Kind kind) const {
        std::vector<HostDrawCall> out;
        for (const HostDrawCall& c : HostDrawLog(hwnd))
            if (c.kind == kind) out.push_back(c);
        return out;
    }
    // Rows touched by drawing calls of one kind, in call order, no repeats in a run.
    std::vector<int> RowsDrawn(HostDrawCall::Kind kind) const {
        std::vector<int> rows;
        for (const HostDrawCall& c : Calls(kind))
            if (rows.empty() || rows.back() != c.y / 16) rows.push_back(c.y / 16);
        return rows;
    }

    HWND hwnd = nullptr;
    bool closed = false;
};
