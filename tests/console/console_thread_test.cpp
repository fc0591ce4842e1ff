// The two threads together: the hand-over of typed lines to the input
// statement, printing while the window thread paints and echoes, and
// closing the window.
#include <atomic>

#include "console_fixture.h"

namespace {

using ConsoleThreads = HostConsole;

// The program's side of the statement on this thread, the user's on a test
// thread: every answer arrives whole, echoed before what the program prints
// after it.
TEST_F(ConsoleThreads, LinesAreHandedOverInTurn) {
    const int kRounds = 30;
    std::vector<std::string> lines;
    for (int i = 0; i < kRounds; i++) lines.push_back("line " + std::to_string(i) + std::string(i % 7, 'x'));
    int32_t strings = RegistryCount();
    RtString answer = StrAlloc(0);
    ConsoleTypist typist(lines);
    for (int i = 0; i < kRounds; i++) {
        ValueList.ValueAddress[0] = &answer;
        ValueList.ValueType[0] = TypeString;
        ValueList.ValueAddress[1] = nullptr;
        ConInput(StrFromText("? "));
        ASSERT_EQ(Bytes(answer), lines[i]);
        EXPECT_EQ(ConsoleCursorCol(), 0);  // the echo of Enter came first
        ConPrint(StrCopy(answer));
        ConPrint(StrFromText("\r\n"));
        EXPECT_EQ(ConsoleGridRow(ConsoleCursorRow() - 1), lines[i]);
        EXPECT_EQ(ConsoleGridRow(ConsoleCursorRow() - 2), "? " + lines[i]);
    }
    typist.join();
    EXPECT_TRUE(typist.ok());
    StrFree(answer);
    EXPECT_EQ(RegistryCount(), strings);  // every echo and item string released
}

// Printing from the program thread while the window thread paints and
// echoes typed keys: the console lock keeps the grid whole.
TEST_F(ConsoleThreads, PrintWhilePaintingAndEchoing) {
    FrontSetClient(640, 96);  // 6 rows: prints scroll often
    std::atomic<bool> done{false};
    std::thread painter([&] {
        while (!done.load()) {
            FrontRepaint();
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });
    std::thread typist([&] {
        Request();
        for (int i = 0; i < 300; i++) ConsoleType(i % 50 == 49 ? "\b\x16" : "k");
    });
    for (int i = 0; i < 300; i++) Print(i % 3 ? "print\t" : "p\r\n");
    typist.join();
    done = true;
    painter.join();
    std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
    EXPECT_GE(ConsoleBuffer.CursorRow, 0);
    EXPECT_LE(ConsoleBuffer.CursorRow, 100);
    EXPECT_LE(ConsoleBuffer.CursorCol, 254);
    for (int r = 0; r < ConRows; r++) EXPECT_EQ(ConsoleBuffer.RowText[r][254], 0) << r;
}

TEST_F(ConsoleThreads, ClosingWhileALineIsRequestedEndsWithZero) {
    static RtString answer;
    answer = StrAlloc(0);
    ValueList.ValueAddress[0] = &answer;
    ValueList.ValueType[0] = TypeString;
    ValueList.ValueAddress[1] = nullptr;
    static std::atomic<bool> returned;
    returned = false;
    CreateThread(nullptr, 0, [](LPVOID) -> DWORD {
        ConInput(StrFromText("? "));
        returned = true;
        return 0;
    }, nullptr, 0, nullptr);
    ASSERT_TRUE(ConsoleWaitForRequest());
    ConsoleType("half");
    closed = true;
    EXPECT_EQ(ConsoleClose(), 0);
    EXPECT_FALSE(returned);  // the line was never delivered

    // The grid is gone; a late print does nothing and still releases its text.
    EXPECT_EQ(ConsoleBuffer.RowText[0], nullptr);
    int32_t strings = RegistryCount();
    Print("late\r\n");
    EXPECT_EQ(RegistryCount(), strings);
}

TEST_F(ConsoleThreads, ClosingAfterTheProgramEndedEndsWithZero) {
    Print("osimai\r\n");
    closed = true;
    EXPECT_EQ(ConsoleClose(), 0);
}

}  // namespace
