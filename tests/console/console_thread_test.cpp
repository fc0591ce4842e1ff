// The two threads together: the hand-over of typed lines to the input
// statement, printing while the window thread paints and echoes, closing
// the window, and a window that cannot be set up.
#include <atomic>

#include "console_fixture.h"

namespace {

using ConsoleThreads = HostConsole;

TEST_F(ConsoleThreads, WindowIsCreatedShownAndPainted) {
    HostWindowInfo info = HostGetWindowInfo(hwnd);
    EXPECT_TRUE(info.visible);
    EXPECT_EQ(info.className, "PROMPT");
    EXPECT_EQ(info.exStyle, (DWORD)(WS_EX_CLIENTEDGE | WS_EX_ACCEPTFILES));
    EXPECT_EQ(info.style, (DWORD)WS_OVERLAPPEDWINDOW);
    EXPECT_EQ(info.x, CW_USEDEFAULT);
    EXPECT_EQ(info.height, CW_USEDEFAULT);
    EXPECT_EQ(info.wc.style, 0x000Bu);
    EXPECT_EQ((void*)info.wc.lpfnWndProc, (void*)ConsoleWndProc);
    EXPECT_EQ(info.wc.hIcon, LoadIconA(nullptr, IDI_APPLICATION));
    EXPECT_EQ(info.wc.hIconSm, LoadIconA(nullptr, IDI_WINLOGO));
    EXPECT_EQ(info.wc.hCursor, LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_TRUE(info.backgroundIsBlackBrush);
    EXPECT_FALSE(info.paintPending);
    EXPECT_EQ(ConsoleBuffer.CellWidth, 8);   // measured from the stand-in's font
    EXPECT_EQ(ConsoleBuffer.CellHeight, 16);
    EXPECT_EQ(ConsoleWindow.ScreenWidth, 1024);
}

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
    HostSetClientSize(hwnd, 640, 96);  // 6 rows: prints scroll often
    std::atomic<bool> done{false};
    std::thread painter([&] {
        while (!done.load()) {
            InvalidateRect(hwnd, nullptr, TRUE);
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
    EXPECT_EQ(HostOpenDCCount(), 0);  // every context given back, the erase bitmap's too

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

struct SetupFailure {
    HostFailure what;
    const char* word;
};

TEST(ConsoleSetup, FailureEndsTheProcessWithAMessage) {
    TestRuntimeStart();
    for (SetupFailure f : {SetupFailure{HostFailFont, "font"}, SetupFailure{HostFailClass, "class"},
                           SetupFailure{HostFailWindow, "window"}}) {
        SCOPED_TRACE(f.word);
        HostProcessBegin();
        HostFailNext(f.what);
        ConSetLineLength(-1);
        ConsoleWindowSetReady(0);
        // The program thread as it waits for the first paint: it must not wait for ever.
        CreateThread(nullptr, 0, [](LPVOID) -> DWORD {
            CreateThread(nullptr, 0, ConsoleThreadMain, nullptr, 0, &ConsoleWindow.ConsoleThreadId);
            do {
                Sleep(20);
            } while (!ConsoleWindowIsReady());
            return 0;
        }, nullptr, 0, nullptr);
        EXPECT_EQ(HostProcessWait(5000), RT_EXIT_CONSOLE_SETUP);
        EXPECT_NE(HostLastMessageBox().find(f.word), std::string::npos) << HostLastMessageBox();
        EXPECT_FALSE(ConsoleWindowIsReady());
        HostProcessEnd();
    }
}

}  // namespace
