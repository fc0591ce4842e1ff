// Console output and drawing on the recording surface: how bytes are laid,
// the limits of a row and of the grid, which rows one print redraws,
// scrolling, and double-byte characters.
#include "console_fixture.h"

namespace {

using ConsoleOutput = HostConsole;

struct LayCase {
    const char* name;
    std::string before;     // printed first, from column 0 of row 0
    std::string text;       // the print under test
    std::vector<std::string> rows;  // rows 0.. afterwards (grid and screen)
    int row, col;           // the cursor afterwards
};

const LayCase kLayCases[] = {
    {"TabAtColumn0", "", "\tx", {"        x"}, 0, 9},
    {"TabAtColumn5", "abcde", "\tx", {"abcde   x"}, 0, 9},
    {"TabAtColumn8", "abcdefgh", "\t", {"abcdefgh        "}, 0, 16},
    {"CrLfStartsNextRow", "", "xy\r\nz", {"xy", "z"}, 1, 1},
    {"CrLfKeepsRestOfOldRow", "abc\r\n", "", {"abc", ""}, 1, 0},
    {"LoneCrIsACell", "", "a\rb\r", {"a\rb\r"}, 0, 4},
    {"LoneLfIsACell", "", "a\nb", {"a\nb"}, 0, 3},
    {"LfCrIsTwoCells", "", "\n\r", {"\n\r"}, 0, 2},
    {"BackspaceIsACell", "", "a\bb", {"a\bb"}, 0, 3},
    {"NulEndsText", "", std::string("ab\0cd", 5), {"ab"}, 0, 2},
    {"DoubleByteTakesTwoCells", "", "\x82\xa0z", {"\x82\xa0z"}, 0, 3},
    {"EmptyTextLaysNothing", "ab", "", {"ab"}, 0, 2},
};

TEST_F(ConsoleOutput, LaysBytesAtTheCursor) {
    for (const LayCase& c : kLayCases) {
        SCOPED_TRACE(c.name);
        TearDown();  // a fresh console per case
        SetUp();
        Print(c.before);
        int32_t strings = RegistryCount();
        Print(c.text);
        EXPECT_EQ(RegistryCount(), strings);  // the text was released
        for (size_t r = 0; r < c.rows.size(); r++) {
            EXPECT_EQ(ConsoleGridRow((int)r), c.rows[r]) << "grid row " << r;
            EXPECT_EQ(ConsoleScreenRow((int)r), c.rows[r]) << "screen row " << r;
        }
        EXPECT_EQ(ConsoleCursorRow(), c.row);
        EXPECT_EQ(ConsoleCursorCol(), c.col);
    }
}

TEST_F(ConsoleOutput, CellsTakeTheCurrentColoursButTabBlanksDoNot) {
    ConsoleBuffer.ForeColor = RGB(1, 2, 3);
    ConsoleBuffer.BackColor = RGB(4, 5, 6);
    Print("a\t\x82\xa0");
    auto pieces = HostScreenPieces(hwnd);
    // Cells of the same colours are drawn together: a, 7 blanks, the pair.
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[0].bytes, "a");
    EXPECT_EQ(pieces[0].fore, RGB(1, 2, 3));
    EXPECT_EQ(pieces[0].back, RGB(4, 5, 6));
    EXPECT_TRUE(pieces[0].opaque);
    EXPECT_EQ(pieces[1].bytes, "       ");
    EXPECT_EQ(pieces[1].fore, 0u);  // the blanks' cells kept the colours they had
    EXPECT_EQ(pieces[2].bytes, "\x82\xa0");
    EXPECT_EQ(pieces[2].x, 8 * 8);
    EXPECT_EQ(pieces[2].fore, RGB(1, 2, 3));
}

TEST_F(ConsoleOutput, DefaultColoursAreWhiteOnBlack) {
    Print("w");
    auto pieces = HostScreenPieces(hwnd);
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0].fore, 0x00FFFFFFu);
    EXPECT_EQ(pieces[0].back, 0u);
    EXPECT_EQ(pieces[0].height, 16);
}

TEST_F(ConsoleOutput, RowKeepsItsNulAndCursorStopsAt254) {
    HostSetClientSize(hwnd, 4000, 400);  // wide enough to see every cell
    Print(std::string(300, 'a'));
    EXPECT_EQ(ConsoleGridRow(0), std::string(254, 'a'));
    EXPECT_EQ(ConsoleBuffer.RowText[0][254], 0);
    EXPECT_EQ(ConsoleCursorCol(), 254);
    Print("\tb");
    EXPECT_EQ(ConsoleGridRow(0), std::string(254, 'a'));
    EXPECT_EQ(ConsoleCursorCol(), 254);
    EXPECT_EQ(ConsoleScreenRow(0), std::string(254, 'a'));
    Print("\r\nc");  // a line break still works
    EXPECT_EQ(ConsoleGridRow(1), "c");
}

TEST_F(ConsoleOutput, TabNearTheRowEndStopsAt254) {
    Print(std::string(250, 'x') + "\t");
    EXPECT_EQ(ConsoleGridRow(0), std::string(250, 'x') + "    ");
    EXPECT_EQ(ConsoleCursorCol(), 254);
}

TEST_F(ConsoleOutput, LineBreaksPastRow100ScrollWithinOneCall) {
    HostSetClientSize(hwnd, 640, 2000);  // taller than the grid: the redraw never scrolls
    std::string text;
    for (int i = 0; i < 105; i++) text += std::to_string(i) + "\r\n";
    Print(text + "end");
    EXPECT_EQ(ConsoleCursorRow(), 100);
    EXPECT_EQ(ConsoleGridRow(100), "end");
    EXPECT_EQ(ConsoleGridRow(99), "104");
    EXPECT_EQ(ConsoleGridRow(0), "5");
    EXPECT_EQ(ConsoleScreenRow(0), "5");
    EXPECT_EQ(ConsoleScreenRow(100), "end");
    // Rows below row 100 are never drawn, however tall the window.
    for (const HostDrawCall& c : HostDrawLog(hwnd)) EXPECT_LE(c.y, 100 * 16);
}

TEST_F(ConsoleOutput, OnePrintRedrawsFromTheCursorRowBeforeToAfter) {
    Print("r0\r\nr1\r\nr2\r\nr3");
    HostDrawLogClear(hwnd);
    Print("x\r\ny\r\n");
    EXPECT_EQ(RowsDrawn(HostDrawCall::Text), (std::vector<int>{3, 4}));
    // Each row drawn is erased right of its text, across the client width;
    // the empty row 5 has no text and is erased whole.
    auto erased = Calls(HostDrawCall::Erase);
    ASSERT_EQ(erased.size(), 3u);
    EXPECT_EQ(erased[0].x, 3 * 8);
    EXPECT_EQ(erased[0].y, 3 * 16);
    EXPECT_EQ(erased[0].width, 640);
    EXPECT_EQ(erased[0].height, 16);
    EXPECT_EQ(erased[2].x, 0);
    EXPECT_EQ(erased[2].y, 5 * 16);
    // Each row's cells of the same colours drawn by one call.
    EXPECT_EQ(Calls(HostDrawCall::Text).size(), 2u);
    EXPECT_EQ(HostOpenDCCount(), 1);  // only the erase bitmap's memory context
}

TEST_F(ConsoleOutput, RenderDrawsOnlyTheRequestedRows) {
    Print("a\r\nb\r\nc\r\nd\r\ne");
    HostDrawLogClear(hwnd);
    HDC dc = GetDC(hwnd);
    ConRender(dc, 3, 3);
    ReleaseDC(hwnd, dc);
    EXPECT_EQ(RowsDrawn(HostDrawCall::Text), std::vector<int>{3});
    EXPECT_EQ(RowsDrawn(HostDrawCall::Erase), std::vector<int>{3});
}

TEST_F(ConsoleOutput, CellsAfterANulAreNotDrawn) {
    Print("abcdef");
    ConsoleBuffer.RowText[0][2] = 0;  // as a Backspace leaves it
    HostScreenClear(hwnd);
    Repaint();
    EXPECT_EQ(ConsoleScreenRow(0), "ab");
}

TEST_F(ConsoleOutput, DoubleByteDrawnOnceAndLoneLeadAlone) {
    // Pairs join the run; a lead byte without a trail, or with a byte that
    // is no trail byte, is drawn by a call of its own.
    Print("\x82\xa0\x82\xa2" "a\x82\x20" "b\x82");
    std::vector<std::string> texts;
    std::vector<int> xs;
    for (const HostDrawCall& c : Calls(HostDrawCall::Text)) {
        texts.push_back(c.bytes);
        xs.push_back(c.x);
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"\x82\xa0\x82\xa2" "a", "\x82\x20", "b", "\x82"}));
    EXPECT_EQ(xs, (std::vector<int>{0, 40, 56, 64}));
}

TEST_F(ConsoleOutput, DoubleByteTakesTheColoursOfItsLeadCell) {
    ConsoleBuffer.ForeColor = RGB(9, 9, 9);
    Print("\x82");
    ConsoleBuffer.ForeColor = RGB(7, 7, 7);
    Print("\xa0");
    auto pieces = HostScreenPieces(hwnd);
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0].bytes, "\x82\xa0");
    EXPECT_EQ(pieces[0].fore, RGB(9, 9, 9));
}

TEST_F(ConsoleOutput, ARowScrolledInComesBlank) {
    HostSetClientSize(hwnd, 640, 2000);
    std::string text(200, 'x');  // row 0, the first to scroll away
    for (int i = 0; i < 101; i++) text += "\r\n";
    Print(text);
    EXPECT_EQ(ConsoleCursorRow(), 100);
    EXPECT_EQ(ConsoleGridRow(100), "");
    EXPECT_EQ(ConsoleBuffer.RowForeColor[100][199], 0u);
}

struct ScrollCase {
    const char* name;
    int height;            // client height in pixels
    int lines;             // "L<i>" CR LF printed for i = 0..lines-1, then "end"
    int cursorRow;         // afterwards
    std::string topGrid;   // grid row 0 afterwards
    bool drawn;            // anything drawn by the print
};

const ScrollCase kScrollCases[] = {
    {"FitsWithoutScroll", 80, 4, 4, "L0", true},
    {"OneRowBelowScrollsOne", 80, 5, 4, "L1", true},
    {"ShorterThanACellKeepsOnlyTheCursorRow", 10, 3, 0, "end", true},
    {"HeightZeroKeepsTheGridAndDrawsNothing", 0, 3, 3, "L0", false},
};

TEST_F(ConsoleOutput, ScrollsUntilTheCursorRowIsInside) {
    for (const ScrollCase& c : kScrollCases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        HostSetClientSize(hwnd, 640, c.height);
        HostDrawLogClear(hwnd);
        std::string text;
        for (int i = 0; i < c.lines; i++) text += "L" + std::to_string(i) + "\r\n";
        Print(text + "end");
        EXPECT_EQ(ConsoleCursorRow(), c.cursorRow);
        EXPECT_EQ(ConsoleGridRow(0), c.topGrid);
        EXPECT_EQ(ConsoleGridRow(c.cursorRow), "end");
        EXPECT_EQ(!Calls(HostDrawCall::Text).empty(), c.drawn);
        if (c.drawn) {
            // After a scroll every visible row is drawn again.
            EXPECT_EQ(ConsoleScreenRow(0), c.topGrid);
            EXPECT_EQ(ConsoleScreenRow(c.cursorRow), "end");
        }
    }
}

TEST_F(ConsoleOutput, MinimisedWindowLosesNoRowsAndRestoresThem) {
    HostSetClientSize(hwnd, 640, 0);
    Print("a\r\nb\r\nc\r\nd\r\ne\r\nf");
    EXPECT_EQ(ConsoleGridRow(0), "a");
    HostSetClientSize(hwnd, 640, 64);  // restored, 4 rows high
    Repaint();
    EXPECT_EQ(ConsoleCursorRow(), 3);
    for (int r = 0; r < 4; r++) EXPECT_EQ(ConsoleScreenRow(r), std::string(1, (char)('c' + r))) << r;
}

TEST_F(ConsoleOutput, ScrollRedrawsEveryVisibleRow) {
    HostSetClientSize(hwnd, 640, 80);  // rows 0 to 4
    Print("a\r\nb\r\nc\r\nd\r\ne");
    HostDrawLogClear(hwnd);
    Print("\r\nf");
    EXPECT_EQ(RowsDrawn(HostDrawCall::Erase), (std::vector<int>{0, 1, 2, 3, 4}));
    for (int r = 0; r < 5; r++) EXPECT_EQ(ConsoleScreenRow(r), std::string(1, (char)('b' + r))) << r;
}

TEST_F(ConsoleOutput, PaintErasesTheWholeScreenAndDrawsEveryRow) {
    Print("one\r\ntwo");
    HostDrawLogClear(hwnd);
    Repaint();
    auto erased = Calls(HostDrawCall::Erase);
    ASSERT_FALSE(erased.empty());
    EXPECT_EQ(erased[0].x, 0);
    EXPECT_EQ(erased[0].width, 1024);   // the screen size, from the system metrics
    EXPECT_EQ(erased[0].height, 768);
    EXPECT_EQ(RowsDrawn(HostDrawCall::Text), (std::vector<int>{0, 1}));
    EXPECT_EQ(erased.size(), 1u + 25u);  // the screen, then each of the 25 visible rows
}

}  // namespace

namespace {

// The screen row as drawn so far, without asking for a pass.
std::string DrawnRow(HWND hwnd, int row) {
    std::string shown;
    for (const HostPiece& p : HostScreenPieces(hwnd))
        if (p.y == row * 16) shown.replace(std::min(shown.size(), (size_t)p.x / 8), p.bytes.size(), p.bytes);
    return shown;
}

TEST_F(ConsoleOutput, PrintSoonAfterAPassIsDrawnByTheNextFrame) {
    Print("first");  // drawn now: a pass has just ended
    RtString s = StrFromText(" second");
    ConPrint(s);     // too soon for another pass: put off, not lost
    bool shown = false;
    for (int i = 0; i < 2000 && !shown; i++) {
        shown = DrawnRow(hwnd, 0) == "first second";
        if (!shown) Sleep(1);
    }
    EXPECT_TRUE(shown);
}

TEST_F(ConsoleOutput, BurstOfPrintsCostsFewPassesAndLeavesTheScreenRight) {
    HostSetClientSize(hwnd, 640, 80);  // rows 0 to 4: nearly every print scrolls
    const uint32_t before = ConDrawPassCount();
    const int prints = 10000;
    for (int i = 0; i < prints; i++) {
        std::string text = "item " + std::to_string(i) + std::string((size_t)(i % 7), '.') + "\r\n";
        ConPrint(StrFromText(text.c_str()));
    }
    ConsoleFlush();
    EXPECT_LT(ConDrawPassCount() - before, (uint32_t)prints / 10);
    for (int r = 0; r < 5; r++) EXPECT_EQ(DrawnRow(hwnd, r), ConsoleGridRow(r)) << "row " << r;
    EXPECT_EQ(ConsoleGridRow(3), "item 9999...");
}

}  // namespace
