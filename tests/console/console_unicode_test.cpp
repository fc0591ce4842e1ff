// Cells that hold UTF-16 characters: how ConPrintWide lays them (widths,
// pairs, what does not decode, the row's end), how they are cut into runs,
// kept whole by the left edge and by a selection, and copied as their
// exact UTF-16 next to code-page text.
#include "console_fixture.h"

namespace {

class ConsoleUnicode : public HostConsole {
protected:
    static void PrintWide(const std::u16string& text) {
        ConPrintWide((const WCHAR*)text.data(), (int32_t)text.size());
        ConsoleFlush();
    }
};

void Mouse(uint32_t action, int col, int row) {
    FrontRun([=] { ConMouse(action, col, row, false, false); });
}

struct WideCase {
    const char* name;
    std::u16string text;
    std::u16string cells;  // row 0 as drawn, a unit per cell (U+FFFF: a wide character's second)
    int col;               // the cursor afterwards
};

const WideCase kWideCases[] = {
    {"AccentedLatinOneCellEach", u"Müller", u"M\u00fcller", 6},
    {"HangulAndHanTwoCells", u"김张x", u"김\uFFFF张\uFFFFx", 5},
    {"PairTwoCells", u"a\U0001F600b", u"a\xD83D\xDE00" u"b", 4},
    {"LoneSurrogatesReplaced", u"\xDE00x\xD83D", u"\uFFFDx\uFFFD", 3},
    {"AsciiAsBytesTabAndNul", std::u16string(u"a\t\0b", 4), u"a       b", 9},
    {"HalfwidthKanaNarrowFullwidthWide", u"\uFF71\uFF21", u"\uFF71\uFF21\uFFFF", 3},
};

TEST_F(ConsoleUnicode, CharactersTakeTheirCells) {
    for (const WideCase& c : kWideCases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        PrintWide(c.text);
        EXPECT_EQ(FrontScreenUnits(0), c.cells);
        EXPECT_EQ(ConsoleCursorCol(), c.col);
    }
}

TEST_F(ConsoleUnicode, WidthTable) {
    const std::pair<uint32_t, int32_t> cases[] = {
        {0x7E, 1},   {0x10FF, 1}, {0x1100, 2}, {0x115F, 2}, {0x1160, 1}, {0x2E7F, 1}, {0x2E80, 2},
        {0x303F, 1}, {0x3041, 2}, {0x9FFF, 2}, {0xAC00, 2}, {0xD7A3, 2}, {0xD7A4, 1}, {0xFF00, 2},
        {0xFF60, 2}, {0xFF61, 1}, {0xFFE6, 2}, {0xFFE7, 1}, {0x1F600, 2}, {0x10FFFF, 2},
    };
    for (const auto& [c, cells] : cases) EXPECT_EQ(ConCharCells(c), cells) << std::hex << c;
}

TEST_F(ConsoleUnicode, AWideCharacterIsNeverSplitAtTheRowsEnd) {
    PrintWide(std::u16string(253, u'a') + u"김x");
    EXPECT_EQ(ConsoleGridRow(0), std::string(253, 'a'));
    EXPECT_EQ(ConsoleCursorCol(), 254);  // the row is full: nothing after it takes its place
    PrintWide(u"\r\n\U0001F600");
    EXPECT_EQ(FrontScreenUnits(1), u"\U0001F600");
}

TEST_F(ConsoleUnicode, ABytePrintedOverHalfACharacterBlanksTheOtherHalf) {
    PrintWide(u"김\U0001F600");
    {
        std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
        ConsoleBuffer.CursorCol = 1;
    }
    Print("x");
    {
        std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
        ConsoleBuffer.CursorCol = 2;
    }
    Print("y");
    FrontRepaint();
    EXPECT_EQ(FrontScreenUnits(0), u" xy ");
}

TEST_F(ConsoleUnicode, RunsSeparateUnicodeFromCodePageCells) {
    Print("a\x82\xa0");
    PrintWide(u"é김\U0001F600");
    Print("b");
    std::vector<std::string> runs;
    for (const FrontDrawnRow& d : FrontDrawLog())
        if (d.row == 0) {
            runs.clear();
            for (const ConRun& r : d.runs)
                runs.push_back(std::to_string(r.Col) + (r.Unicode ? "u" : r.Joined ? "+" : ":") +
                               std::to_string(r.Length));
        }
    EXPECT_EQ(runs, (std::vector<std::string>{"0+3", "3u5", "8+1"}));
}

TEST_F(ConsoleUnicode, TheLeftEdgeBlanksACutCharacter) {
    PrintWide(u"김a\r\n" + std::u16string(30, u'b'));
    FrontSetClient(80, 16);  // 10 columns, 1 row
    FrontRepaint();
    FrontRun([] {
        ConViewScroll(-1);  // up to row 0, no longer following the cursor
        ConViewScrollColumnTo(1);
    });
    FrontRepaint();
    EXPECT_EQ(FrontScreenUnits(0), u" a");
}

TEST_F(ConsoleUnicode, CopyGivesTheCellsExactUtf16) {
    Print("\x93\xfa ");  // 日 in Shift-JIS
    PrintWide(u"김\U0001F600é  \r\n");
    PrintWide(u"x张");
    // From the second cell of 김 to the first of 张: whole characters.
    Mouse(ConMouseDown, 4, 0);
    Mouse(ConMouseDrag, 1, 1);
    Mouse(ConMouseRight, 0, 0);
    EXPECT_EQ(FrontClipboardWide(), u"김\U0001F600é\r\nx张");
}

TEST_F(ConsoleUnicode, ARingSlotTakenAgainKeepsNoUtf16) {
    PrintWide(u"김é");
    std::string breaks;
    for (int i = 0; i < ConKeptRows; i++) breaks += "\r\n";
    Print(breaks);  // line 0's slot is now the grid's last row
    std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
    ASSERT_EQ(ConsoleBuffer.RowUni[ConRows - 1], ConsoleBuffer.Ring[0].uni);
    for (int32_t c = 0; c < ConCols; c++) EXPECT_EQ(ConsoleBuffer.RowUni[ConRows - 1][c], 0) << c;
}

}  // namespace
