// The scroll-back, the view over it, and selecting and copying: driven as
// the window procedure drives them (keys, the mouse's cells), checked on
// the recording front end (what the view shows, the clipboard, the caret).
#include "console_fixture.h"

namespace {

using ConsoleView_ = HostConsole;

// Prints "L0" .. "L<n-1>", each on a row of its own.
void PrintLines(int n, int from = 0) {
    std::string text;
    for (int i = from; i < from + n; i++) text += "L" + std::to_string(i) + "\r\n";
    ConPrint(StrFromText(text.c_str()));
    ConsoleFlush();
}

void Mouse(uint32_t action, int col, int row, bool shift = false, bool alt = false) {
    FrontRun([=] { ConMouse(action, col, row, shift, alt); });
    ConsoleFlush();
}

bool ViewKey(ConKey key, bool shift, bool ctrl) {
    bool taken = false;
    FrontRun([&] { taken = ConViewKey(key, shift, ctrl); });
    ConsoleFlush();
    return taken;
}

TEST_F(ConsoleView_, TheScrollBackKeepsItsBoundOfRows) {
    PrintLines(ConHistoryRows + 300);  // the grid scrolled 9,200 times
    EXPECT_EQ(ConsoleBuffer.History, ConHistoryRows);
    const ConViewInfo bar = FrontViewInfo();
    EXPECT_EQ(bar.Lines, ConHistoryRows + ConRows);  // the oldest kept line to the cursor's
    EXPECT_EQ(bar.Page, 25);
    EXPECT_EQ(bar.Top, bar.Lines - 25);
    EXPECT_EQ(FrontScreenRow(23), "L9299");
    ViewKey(ConKeyHome, false, true);  // Ctrl+Home: the oldest line kept
    EXPECT_EQ(FrontScreenRow(0), "L200");
    EXPECT_EQ(FrontViewInfo().Top, 0);
}

struct NavCase {
    const char* name;
    ConKey key;
    bool shift, ctrl;
    bool taken;
    int64_t up;  // lines the view is above its bottom place afterwards
};

const NavCase kNavCases[] = {
    {"ShiftPageUpGoesAPage", ConKeyPageUp, true, false, true, 25},
    {"CtrlUpGoesALine", ConKeyUp, false, true, true, 1},
    {"CtrlHomeGoesToTheTop", ConKeyHome, false, true, true, 100 - 24},
    {"PageUpAloneIsNotTheViews", ConKeyPageUp, false, false, false, 0},
    {"UpAloneIsTheEditors", ConKeyUp, false, false, false, 0},
};

TEST_F(ConsoleView_, KeysMoveTheViewAndOutputLeavesItWhereTheUserLooks) {
    for (const NavCase& c : kNavCases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        PrintLines(100);
        const int64_t bottom = View().Top;
        EXPECT_EQ(ViewKey(c.key, c.shift, c.ctrl), c.taken);
        EXPECT_EQ(bottom - View().Top, c.up);
        EXPECT_EQ(View().Following, c.up == 0);
        const int64_t top = View().Top;
        PrintLines(10, 100);
        EXPECT_EQ(View().Top, c.up == 0 ? top + 10 : top);  // following, or left where it is
    }
    ViewKey(ConKeyPageDown, true, false);  // back down to the bottom: following again
    EXPECT_TRUE(View().Following);
}

TEST_F(ConsoleView_, ATypedKeyBringsTheViewBackAndTheCaretShowsOnlyInView) {
    PrintLines(100);
    Print("> ");
    Request();
    EXPECT_TRUE(FrontGetCaret().shown);
    ViewKey(ConKeyPageUp, true, false);
    EXPECT_FALSE(FrontGetCaret().shown);  // the cursor's row is out of view
    ConsoleType("x");
    EXPECT_TRUE(View().Following);
    EXPECT_EQ(FrontScreenRow(24), "> x");
    EXPECT_TRUE(FrontGetCaret().shown);
    EXPECT_EQ(FrontGetCaret().row, 24);
    EXPECT_EQ(FrontGetCaret().col, 3);
}

// After Enter on an empty line a window one row tall still shows the
// caret at the cursor's cell.
TEST_F(ConsoleView_, AResizePlacesTheCaretAgain) {
    Print("> ");
    Request();
    ConsoleType("\r");
    Print("> ");
    Request();
    FrontSetClient(640, 16);
    FrontRepaint();
    EXPECT_TRUE(FrontGetCaret().shown);
    EXPECT_EQ(FrontGetCaret().row, 0);
    EXPECT_EQ(FrontScreenRow(0), "> ");
}

TEST_F(ConsoleView_, TheViewFollowsTheCaretSideways) {
    FrontSetClient(80, 400);  // 10 cells
    Print("> ");
    Request();
    ConsoleType("abcdefghijkl");
    EXPECT_EQ(FrontGetCaret().col, 9);  // the caret after "l", at the right edge
    EXPECT_EQ(FrontViewInfo().Left, 14 - 9);
    ConsoleType("\r");
    EXPECT_EQ(FrontViewInfo().Left, 0);  // the cursor back at column 0
}

struct CopyCase {
    const char* name;
    std::vector<std::array<int, 4>> mouse;  // action, col, row, 1 shift / 2 alt
    std::string copied;                     // after a right-click
};

// Rows 0 to 2: "ab cd  ", "\x93\xfa\x96\x7b x", "efg".
const CopyCase kCopyCases[] = {
    {"DragAcrossRowsDropsTrailingBlanks", {{ConMouseDown, 3, 0, 0}, {ConMouseDrag, 1, 2, 0}}, "cd\r\n\x93\xfa\x96\x7b x\r\nef"},
    {"DraggedBackwards", {{ConMouseDown, 1, 2, 0}, {ConMouseDrag, 3, 0, 0}}, "cd\r\n\x93\xfa\x96\x7b x\r\nef"},
    {"HalfACharacterTakesTheWhole", {{ConMouseDown, 1, 1, 0}, {ConMouseDrag, 2, 1, 0}}, "\x93\xfa\x96\x7b"},
    {"BoxWithAlt", {{ConMouseDown, 1, 0, 2}, {ConMouseDrag, 2, 2, 0}}, "b\r\n\x93\xfa\x96\x7b\r\nfg"},
    {"DoubleClickAWord", {{ConMouseDouble, 4, 0, 0}}, "cd"},
    {"ShiftClickExtends", {{ConMouseDown, 0, 0, 0}, {ConMouseDrag, 1, 0, 0}, {ConMouseUp, 1, 0, 0},
                           {ConMouseDown, 0, 2, 1}}, "ab cd\r\n\x93\xfa\x96\x7b x\r\ne"},
};

TEST_F(ConsoleView_, SelectionsCopyWholeCharactersRowByRow) {
    for (const CopyCase& c : kCopyCases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        Print("ab cd  \r\n\x93\xfa\x96\x7b x\r\nefg\r\n");
        for (const auto& m : c.mouse) Mouse((uint32_t)m[0], m[1], m[2], m[3] == 1, m[3] == 2);
        EXPECT_TRUE(ConSelectionShown());
        Mouse(ConMouseRight, 0, 0);
        int32_t puts = 0;
        EXPECT_EQ(FrontClipboard(&puts), c.copied);
        EXPECT_EQ(puts, 1);
        EXPECT_FALSE(ConSelectionShown());  // a copy clears it
    }
}

TEST_F(ConsoleView_, SelectedCellsShowInvertedAndKeysCopyOrClear) {
    Print("abc\r\n");
    Print("> ");
    Request();
    ConsoleType("typed");
    Mouse(ConMouseDown, 0, 0);
    Mouse(ConMouseDrag, 1, 0);
    EXPECT_EQ(FrontScreenCell(0, 0).fore, 0u);  // black on white
    EXPECT_EQ(FrontScreenCell(0, 0).back, 0x00FFFFFFu);
    EXPECT_EQ(FrontScreenCell(0, 2).fore, 0x00FFFFFFu);
    // Enter copies the selection and does not give the line.
    FrontRun([] { EXPECT_TRUE(ConSelectChar(13)); });
    EXPECT_EQ(FrontClipboard(), "ab");
    EXPECT_EQ(Line(), "typed");
    FrontRun([] { EXPECT_TRUE(ConSelectChar(1)); });  // Ctrl+A: everything
    FrontRun([] { EXPECT_TRUE(ConSelectChar(3)); });  // Ctrl+C
    EXPECT_EQ(FrontClipboard(), "abc\r\n> typed");
    FrontRun([] { EXPECT_TRUE(ConSelectChar(1)); });
    FrontRun([] { EXPECT_TRUE(ConSelectChar(27)); });  // Esc clears
    EXPECT_FALSE(ConSelectionShown());
    FrontRun([] { EXPECT_FALSE(ConSelectChar(13)); });  // Enter is the editor's again
    // A right-click with nothing selected pastes, as Ctrl+V does.
    Print("> ");
    Request();
    FrontSetClipboard("pasted");
    Mouse(ConMouseRight, 0, 0);
    EXPECT_EQ(Line(), "pasted");
}

// Output goes on while text is selected, and the selection moves with its row.
TEST_F(ConsoleView_, OutputNeverWaitsForASelection) {
    Print("keep\r\n");
    Mouse(ConMouseDouble, 1, 0);
    PrintLines(300);
    EXPECT_TRUE(ConSelectionShown());
    Mouse(ConMouseRight, 0, 0);
    EXPECT_EQ(FrontClipboard(), "keep");
}

}  // namespace
