// Console output and what a drawing pass hands the front end: how bytes are
// laid, the limits of a row and of the grid, which rows one print redraws,
// the runs of a row, scrolling, and double-byte characters.
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

// The runs row was last drawn with.
std::vector<ConRun> LastRuns(int32_t row) {
    std::vector<ConRun> runs;
    for (const FrontDrawnRow& d : FrontDrawLog())
        if (d.row == row) runs = d.runs;
    return runs;
}

TEST_F(ConsoleOutput, CellsTakeTheCurrentColoursButTabBlanksDoNot) {
    ConsoleBuffer.ForeColor = 0x030201;
    ConsoleBuffer.BackColor = 0x060504;
    Print("a\t\x82\xa0");
    // Cells of the same colours are drawn together: a, 7 blanks, the pair.
    std::vector<ConRun> runs = LastRuns(0);
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0].Length, 1);
    EXPECT_EQ(runs[0].Fore, 0x030201u);
    EXPECT_EQ(runs[0].Back, 0x060504u);
    EXPECT_EQ(runs[1].Length, 7);
    EXPECT_EQ(runs[1].Fore, 0u);  // the blanks' cells kept the colours they had
    EXPECT_EQ(runs[2].Col, 8);
    EXPECT_EQ(runs[2].Length, 2);
    EXPECT_EQ(runs[2].Fore, 0x030201u);
    EXPECT_EQ(FrontScreenCell(0, 9).fore, 0x030201u);
}

TEST_F(ConsoleOutput, DefaultColoursAreWhiteOnBlack) {
    Print("w");
    EXPECT_EQ(FrontScreenCell(0, 0).fore, 0x00FFFFFFu);
    EXPECT_EQ(FrontScreenCell(0, 0).back, 0u);
}

TEST_F(ConsoleOutput, RowKeepsItsNulAndCursorStopsAt254) {
    FrontSetClient(4000, 400);  // wide enough to see every cell
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
    FrontSetClient(640, 2000);  // taller than the grid: the redraw never scrolls
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
    for (const FrontDrawnRow& d : FrontDrawLog()) EXPECT_LE(d.row, 100);
}

TEST_F(ConsoleOutput, OnePrintRedrawsFromTheCursorRowBeforeToAfter) {
    Print("r0\r\nr1\r\nr2\r\nr3");
    FrontDrawLogClear();
    Print("x\r\ny\r\n");
    EXPECT_EQ(RowsDrawn(), (std::vector<int>{3, 4, 5}));
    // Each row's cells of the same colours in one run; the empty row 5 in none.
    EXPECT_EQ(LastRuns(3).size(), 1u);
    EXPECT_EQ(LastRuns(5).size(), 0u);
}

TEST_F(ConsoleOutput, APassCopiesOnlyTheRowsAskedForAndVisible) {
    Print("a\r\nb\r\nc\r\nd\r\ne");
    static ConRowCopy copies[ConRows];
    FrontRun([] { ASSERT_EQ(ConCopyRows(640, 400, 3, 3, copies, nullptr), 1); });
    EXPECT_EQ(copies[0].row, 3);
    EXPECT_STREQ(copies[0].text, "d");
    FrontRun([] { EXPECT_EQ(ConCopyRows(640, 40, -1, 0, copies, nullptr), 3); });  // rows 0 to 2 in 40 pixels
}

TEST_F(ConsoleOutput, CellsAfterANulAreNotDrawn) {
    Print("abcdef");
    ConsoleBuffer.RowText[0][2] = 0;  // as a Backspace leaves it
    FrontScreenClear();
    FrontRepaint();
    EXPECT_EQ(ConsoleScreenRow(0), "ab");
}

TEST_F(ConsoleOutput, DoubleByteDrawnOnceAndLoneLeadAlone) {
    // Pairs join the run; a lead byte without a trail, or with a byte that
    // is no trail byte, is drawn by a call of its own.
    Print("\x82\xa0\x82\xa2" "a\x82\x20" "b\x82");
    std::vector<std::string> runs;
    for (const ConRun& r : LastRuns(0))
        runs.push_back(std::to_string(r.Col) + (r.Joined ? "+" : ":") + std::to_string(r.Length));
    EXPECT_EQ(runs, (std::vector<std::string>{"0+5", "5:2", "7+1", "8:1"}));
}

TEST_F(ConsoleOutput, DoubleByteTakesTheColoursOfItsLeadCell) {
    ConsoleBuffer.ForeColor = 0x090909;
    Print("\x82");
    ConsoleBuffer.ForeColor = 0x070707;
    Print("\xa0");
    std::vector<ConRun> runs = LastRuns(0);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].Length, 2);
    EXPECT_EQ(runs[0].Fore, 0x090909u);
}

TEST_F(ConsoleOutput, ARowScrolledInComesBlank) {
    FrontSetClient(640, 2000);
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
    int top;               // the view's top line afterwards
    bool drawn;            // anything drawn by the print
};

const ScrollCase kScrollCases[] = {
    {"FitsWithoutScroll", 80, 4, 0, true},
    {"OneRowBelowScrollsOne", 80, 5, 1, true},
    {"ShorterThanACellShowsOnlyTheCursorRow", 10, 3, 3, true},
    {"HeightZeroKeepsTheViewAndDrawsNothing", 0, 3, 0, false},
};

TEST_F(ConsoleOutput, TheViewFollowsTheCursorRow) {
    for (const ScrollCase& c : kScrollCases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        FrontSetClient(640, c.height);
        FrontDrawLogClear();
        std::string text;
        for (int i = 0; i < c.lines; i++) text += "L" + std::to_string(i) + "\r\n";
        Print(text + "end");
        EXPECT_EQ(View().Top, c.top);
        EXPECT_EQ(ConsoleGridRow(0), "L0");  // the grid itself scrolls only past row 100
        EXPECT_EQ(!FrontDrawLog().empty(), c.drawn);
        if (c.drawn) {
            EXPECT_EQ(FrontScreenRow(0), ViewLine(0));
            EXPECT_EQ(FrontScreenRow(c.lines - c.top), "end");
        }
    }
}

TEST_F(ConsoleOutput, MinimisedWindowLosesNoRowsAndRestoresThem) {
    FrontSetClient(640, 0);
    Print("a\r\nb\r\nc\r\nd\r\ne\r\nf");
    EXPECT_EQ(ConsoleGridRow(0), "a");
    FrontSetClient(640, 64);  // restored, 4 rows high
    FrontRepaint();
    for (int r = 0; r < 4; r++) EXPECT_EQ(FrontScreenRow(r), std::string(1, (char)('c' + r))) << r;
    FrontSetClient(640, 160);  // grown: the rows above come back
    FrontRepaint();
    for (int r = 0; r < 6; r++) EXPECT_EQ(FrontScreenRow(r), std::string(1, (char)('a' + r))) << r;
}

TEST_F(ConsoleOutput, ScrollRedrawsEveryVisibleRow) {
    FrontSetClient(640, 80);  // rows 0 to 4
    Print("a\r\nb\r\nc\r\nd\r\ne");
    FrontDrawLogClear();
    Print("\r\nf");
    EXPECT_EQ(RowsDrawn(), (std::vector<int>{0, 1, 2, 3, 4}));
    for (int r = 0; r < 5; r++) EXPECT_EQ(FrontScreenRow(r), std::string(1, (char)('b' + r))) << r;
}

TEST_F(ConsoleOutput, PaintDrawsEveryVisibleRow) {
    Print("one\r\ntwo");
    FrontDrawLogClear();
    FrontRepaint();
    std::vector<int> all;
    for (int r = 0; r < 25; r++) all.push_back(r);
    EXPECT_EQ(RowsDrawn(), all);
}

TEST_F(ConsoleOutput, PrintSoonAfterAPassIsDrawnByTheNextFrame) {
    Print("first");  // drawn now: a pass has just ended
    RtString s = StrFromText(" second");
    ConPrint(s);     // too soon for another pass: put off, not lost
    bool shown = false;
    for (int i = 0; i < 2000 && !shown; i++) {
        shown = FrontScreenRow(0) == "first second";
        if (!shown) Sleep(1);
    }
    EXPECT_TRUE(shown);
}

TEST_F(ConsoleOutput, BurstOfPrintsCostsFewPassesAndLeavesTheScreenRight) {
    FrontSetClient(640, 80);  // rows 0 to 4: nearly every print scrolls
    const uint64_t before = FrontGetCounts().passes;
    const int prints = 10000;
    for (int i = 0; i < prints; i++) {
        std::string text = "item " + std::to_string(i) + std::string((size_t)(i % 7), '.') + "\r\n";
        ConPrint(StrFromText(text.c_str()));
    }
    ConsoleFlush();
    EXPECT_LT(FrontGetCounts().passes - before, (uint64_t)prints / 10);
    for (int r = 0; r < 5; r++) EXPECT_EQ(FrontScreenRow(r), ViewLine(r)) << "row " << r;
    EXPECT_EQ(FrontScreenRow(3), "item 9999...");
}

}  // namespace
