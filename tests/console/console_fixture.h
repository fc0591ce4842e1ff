// Host tests of the console's logic: each test runs a fresh console window
// thread in a simulated process against the recording front end
// (front_double.h: cells of 8 by 16 pixels, a client area of 640 by 400,
// rows 0 to 24 visible) and closes it at the end.
#pragma once
#include <gtest/gtest.h>

#include "console_driver.h"
#include "front_double.h"
#include "test_support.h"

class HostConsole : public ::testing::Test {
protected:
    void SetUp() override {
        ConsoleStart();
        ASSERT_TRUE(ConsoleWindowIsReady());
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
    // What the program does to ask for a line, without waiting for it.
    static void Request() {
        LineMailbox.Prompt = "> ";
        ConSetLineLength(0);
        ConFrontLineRequested();
    }
    static std::string Line() { return std::string(LineMailbox.LineBuffer, (size_t)ConLineLength()); }
    // Rows drawn since the log was cleared, in order, no repeats in a run.
    static std::vector<int> RowsDrawn() {
        std::vector<int> rows;
        for (const FrontDrawnRow& d : FrontDrawLog())
            if (rows.empty() || rows.back() != d.row) rows.push_back(d.row);
        return rows;
    }

    // The view as the window thread left it, read under the lock.
    static ConsoleViewState View() {
        std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
        return ConsoleView;
    }
    // The text of the line the view shows on row r.
    static std::string ViewLine(int32_t r) {
        std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
        const ConRowSlot* slot = ConLineSlot(ConsoleView.Top + r);
        return slot ? slot->text : "";
    }

    bool closed = false;
};
