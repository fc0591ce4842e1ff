// The line editor, driven on the window thread as the window procedure
// drives it: what goes into the line, what is echoed, the limits of the
// line, paste, drops, type-ahead and the caret's cell.
#include <map>

#include "console_fixture.h"

namespace {

using LineEditing = HostConsole;

struct EditCase {
    const char* name;
    std::string keys;        // after the prompt "> " and the request
    std::string line;        // LineBuffer up to LineLength afterwards
    std::string row;         // grid and screen row 0 afterwards
    int col;                 // cursor column afterwards
};

const EditCase kEditCases[] = {
    {"Typed", "abc", "abc", "> abc", 5},
    {"BackspaceOnEmptyLineKeepsPrompt", "\b\b", "", "> ", 2},
    {"BackspaceRemovesOneByte", "ab\bc", "ac", "> ac", 4},
    {"TabThenBackspaceClearsEveryBlank", "\t\b", "", "> ", 2},
    {"BackspaceOverTabsAfterText", "ab\t\tc\b\b", "ab\t", "> ab    ", 8},
    {"ControlCharactersStoredRaw", "\x01\n\x7f", "\x01\n\x7f", "> \x01\n\x7f", 5},
    {"BackspaceRemovesTheWholeDoubleByteCharacter", "\x93\xfa\x96\x7b\b", "\x93\xfa", "> \x93\xfa", 4},
    // The last 0x81 starts a character of its own although the byte before
    // it could be a lead byte: only a scan from the line's start tells.
    {"TrailThatLooksLikeALead", "\x81\x81\x81\b", "\x81\x81", "> \x81\x81", 4},
    {"TypedNulIsDropped", std::string("a\0b", 3), "ab", "> ab", 4},
};

TEST_F(LineEditing, EditsAndEchoesTheLine) {
    for (const EditCase& c : kEditCases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        Print("> ");
        Request();
        ConsoleType(c.keys);
        EXPECT_EQ(Line(), c.line);
        EXPECT_EQ(ConsoleGridRow(0), c.row);
        EXPECT_EQ(ConsoleScreenRow(0), c.row);
        EXPECT_EQ(ConsoleCursorCol(), c.col);
        EXPECT_EQ(ConsoleCursorRow(), 0);
    }
}

// Editing inside the line: {L} {R} {H} {E} {D} {U} {N} are Left, Right,
// Home, End, Delete, Up and Down (WM_KEYDOWN); the rest is typed. The caret
// and the composition window stand at the caret's cell.
struct CaretCase {
    const char* name;
    std::string keys;  // after the prompt "> " and the request
    std::string line;
    int caret;         // the caret's column afterwards
};

const CaretCase kCaretCases[] = {
    {"InsertInTheMiddle", "ac{L}b", "abc", 4},
    {"HomeThenType", "bc{H}a", "abc", 3},
    {"EndAfterHome", "ab{H}{E}c", "abc", 5},
    {"DeleteAtTheCaret", "abc{H}{D}", "bc", 2},
    {"DeleteAtTheEndDoesNothing", "ab{D}", "ab", 4},
    {"BackspaceInTheMiddle", "abc{L}\b", "ac", 3},
    {"BackspaceAtTheStartDoesNothing", "ab{H}\b", "ab", 2},
    {"LeftAndRightStopAtTheEnds", "ab{L}{L}{L}{R}{R}{R}x", "abx", 5},
    {"LeftOverADoubleByteCharacter", "a\x93\xfa{L}b", "ab\x93\xfa", 4},
    {"DeleteADoubleByteCharacter", "\x93\xfa\x96\x7b{H}{D}", "\x96\x7b", 2},
    {"DoubleByteCharacterInsertedWhole", "ab{L}\x93\xfa", "a\x93\xfa" "b", 5},
    {"EscClearsTheLine", "abc{L}\x1b" "d", "d", 3},
    {"TabsBehindTheCaretMoveOn", "a\tb{H}xyz{E}", "xyza\tb", 9},
    {"UpWithoutHistoryDoesNothing", "ab{U}", "ab", 4},
    // No room for the double-byte character: it goes, trail and all.
    {"NoRoomForACharacterInside", std::string(254, 'k') + "{H}\x93\xfax", "x" + std::string(254, 'k'), 3},
};

void TypeKeys(const std::string& keys) {
    static const std::map<char, ConKey> kKeys = {{'L', ConKeyLeft}, {'R', ConKeyRight}, {'H', ConKeyHome},
                                                 {'E', ConKeyEnd}, {'D', ConKeyDelete}, {'U', ConKeyUp},
                                                 {'N', ConKeyDown}};
    for (size_t i = 0; i < keys.size(); i++) {
        if (keys[i] == '{' && i + 2 < keys.size() && keys[i + 2] == '}') {
            const ConKey key = kKeys.at(keys[i + 1]);
            FrontRun([key] { ConLineKey(key); });
            i += 2;
        } else {
            ConsoleType(keys.substr(i, 1));
        }
    }
}

// A file dropped on the window, as the window procedure hands it over.
void Drop(const std::u16string& path) {
    FrontRun([&path] { ConLineDropFile((const WCHAR*)path.data(), (uint32_t)path.size()); });
}

TEST_F(LineEditing, EditsAtTheCaret) {
    for (const CaretCase& c : kCaretCases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        FrontSetClient(4000, 400);
        Print("> ");
        Request();
        TypeKeys(c.keys);
        EXPECT_EQ(Line(), c.line);
        if (c.line.find('\t') == std::string::npos) {
            EXPECT_EQ(ConsoleGridRow(0), ("> " + c.line).substr(0, 254));
        }
        EXPECT_EQ(ConsoleScreenRow(0), ConsoleGridRow(0));
        EXPECT_EQ(FrontGetCaret().col, c.caret);
        ConsoleType("\r");
        EXPECT_EQ(std::string(LineMailbox.LineBuffer), c.line) << "received";
    }
}

// Up and Down step through the answers given before, newest first, and
// the line shows the recalled answer.
TEST_F(LineEditing, UpAndDownRecallEarlierAnswers) {
    for (const char* answer : {"first", "second", "second"}) {
        Request();
        ConsoleType(std::string(answer) + "\r");
    }
    Print("> ");
    Request();
    TypeKeys("x{U}");
    EXPECT_EQ(Line(), "second");
    TypeKeys("{U}{U}");  // the same answer twice is kept once; the oldest stays
    EXPECT_EQ(Line(), "first");
    EXPECT_EQ(ConsoleGridRow(ConsoleCursorRow()), "> first");
    TypeKeys("{N}!");
    EXPECT_EQ(Line(), "second!");
    EXPECT_EQ(ConsoleGridRow(ConsoleCursorRow()), "> second!");
}

// A dropped path is typed at the caret, whole or not at all.
TEST_F(LineEditing, ADroppedPathIsTypedAtTheCaret) {
    FrontSetClient(4000, 400);
    Print("> ");
    Drop(u"C:\\idle.txt");
    EXPECT_EQ(ConsoleGridRow(0), "> ");  // no line requested: nothing
    Request();
    TypeKeys("ab{L}");
    Drop(u"C:\\\u65e5.txt");
    EXPECT_EQ(Line(), "aC:\\\x93\xfa.txtb");
    EXPECT_EQ(ConsoleGridRow(0), "> aC:\\\x93\xfa.txtb");
    EXPECT_EQ(FrontBeeps(), 0);
    const std::string full = std::string(240, 'k');
    ConsoleType(full);
    Drop(u"C:\\too-long.txt");
    EXPECT_EQ(FrontBeeps(), 1);
    EXPECT_EQ(ConLineLength(), 11 + 240);
}

// A path that cannot be typed as it is, with no short name, is refused with
// a line that says why; the line being typed is echoed again below it.
TEST_F(LineEditing, ADroppedPathThatCannotBeTypedIsToldWhy) {
    const std::string subject = "\x83\x68\x83\x8d\x83\x62\x83\x76\x82\xb5\x82\xbd\x83\x74\x83\x40\x83\x43"
                                "\x83\x8b\x82\xcc\x83\x70\x83\x58\x82\xcd";
    const std::pair<std::u16string, std::string> cases[] = {
        {u"C:\\a,b.txt", "\x83\x52\x83\x93\x83\x7d\x82\xf0\x8a\xdc\x82\xdd\x82\xdc\x82\xb7"},
        {u"C:\\\u20ac", "\x82\xb1\x82\xcc\x83\x52\x81\x5b\x83\x68 \x83\x79"},
        {u"C:\\" + std::u16string(300, u'd'), " 255 \x83\x6f\x83\x43\x83\x67"},
    };
    for (const auto& c : cases) {
        TearDown();
        SetUp();
        Print("> ");
        Request();
        TypeKeys("ab{L}");
        Drop(c.first);
        EXPECT_EQ(Line(), "ab");
        EXPECT_EQ(ConsoleGridRow(0), "> ");
        EXPECT_EQ(ConsoleGridRow(1).substr(0, subject.size() + c.second.size()), subject + c.second);
        EXPECT_EQ(ConsoleGridRow(2), "> ab");
        ConsoleType("c\r");  // the caret stayed where it was
        EXPECT_STREQ(LineMailbox.LineBuffer, "acb");
        EXPECT_EQ(FrontBeeps(), 0);
        }
}

// Keys typed while no line is requested wait, unseen, for the next line.
TEST_F(LineEditing, KeysWhileIdleDrawNothing) {
    Print("> ");
    FrontDrawLogClear();
    ConsoleType("ab\b\r\x16");
    EXPECT_EQ(ConLineLength(), -1);
    EXPECT_EQ(ConsoleGridRow(0), "> ");
    EXPECT_EQ(ConsoleCursorCol(), 2);
    EXPECT_TRUE(FrontDrawLog().empty());
    EXPECT_FALSE(FrontGetCaret().shown);
}

TEST_F(LineEditing, EnterCompletesTheLineAndMovesToTheNextRow) {
    Print("> ");
    Request();
    ConsoleType("hi\r");
    EXPECT_EQ(ConLineLength(), -1);
    EXPECT_STREQ(LineMailbox.LineBuffer, "hi");
    EXPECT_EQ(ConsoleCursorRow(), 1);
    EXPECT_EQ(ConsoleCursorCol(), 0);
    // Further keys wait for the next request.
    ConsoleType("x");
    EXPECT_STREQ(LineMailbox.LineBuffer, "hi");
    EXPECT_EQ(ConsoleGridRow(1), "");
}

TEST_F(LineEditing, EmptyEnterGivesTheEmptyLine) {
    memcpy(LineMailbox.LineBuffer, "stale", 6);
    Request();
    ConsoleType("\r");
    EXPECT_STREQ(LineMailbox.LineBuffer, "");
    EXPECT_EQ(ConsoleCursorRow(), 1);
}

TEST_F(LineEditing, LineHolds255BytesAndRefusesMore) {
    FrontSetClient(4000, 400);
    Request();
    ConsoleType(std::string(260, 'k'));
    EXPECT_EQ(ConLineLength(), 255);
    EXPECT_EQ(FrontBeeps(), 5);
    // The row takes 254 of them; the rest are in the line but not shown.
    EXPECT_EQ(ConsoleGridRow(0), std::string(254, 'k'));
    EXPECT_EQ(ConsoleCursorCol(), 254);
    ConsoleType("\r");
    EXPECT_EQ(std::string(LineMailbox.LineBuffer), std::string(255, 'k'));
}

TEST_F(LineEditing, PasteThenType) {
    FrontSetClipboard("ab");
    Print("> ");
    Request();
    ConsoleType("\x16" "c");
    EXPECT_EQ(Line(), "abc");
    EXPECT_EQ(ConsoleScreenRow(0), "> abc");
}

// A pasted text's line ends act as Enter: each line answers one request,
// and what follows the last line end stays in the next line, unfinished.
TEST_F(LineEditing, APastedTextAnswersLineAfterLine) {
    FrontSetClipboard("ab\r\ncd\ref\ngh");
    Print("> ");
    Request();
    ConsoleType("x\x16");
    const char* lines[] = {"xab", "cd", "ef"};
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(ConLineLength(), -1);
        EXPECT_STREQ(LineMailbox.LineBuffer, lines[i]);
        EXPECT_EQ(ConsoleGridRow(i), std::string("> ") + lines[i]);
        Print("> ");
        Request();
    }
    EXPECT_EQ(Line(), "gh");
    EXPECT_EQ(ConsoleGridRow(3), "> gh");
    EXPECT_EQ(FrontBeeps(), 0);
}

// Keys typed between one line's Enter and the next request go, in order,
// into the next line as if typed then; once the program says the questions
// are over, they are dropped. The type-ahead holds 4096 keys.
TEST_F(LineEditing, KeysTypedAheadGoToTheNextLine) {
    Print("> ");
    Request();
    ConsoleType("a\r");
    TypeKeys("xy{L}z\rw");
    Print("> ");
    Request();
    EXPECT_STREQ(LineMailbox.LineBuffer, "xzy");
    EXPECT_EQ(ConLineLength(), -1);
    Print("> ");
    Request();
    EXPECT_EQ(Line(), "w");
    EXPECT_EQ(ConsoleGridRow(2), "> w");
    ConsoleType("\r" + std::string(ConTypeAheadMax + 1, 'k'));
    EXPECT_EQ(FrontBeeps(), 1);
    FrontRun([] { ConTypeAheadKeep(false); });
    ConsoleType("q");
    Request();
    EXPECT_EQ(Line(), "");
}

// What the program receives after Enter, and the beeps on the way.
struct ReceiveCase {
    const char* name;
    const char* clipboard;
    std::string keys;
    std::string received;
    int beeps;
};

const ReceiveCase kReceiveCases[] = {
    {"LoneLeadAtEnterIsDropped", nullptr, "a\x82\r", "a", 0},
    {"LeadWithoutRoomGoesWithItsTrail", nullptr, std::string(254, 'k') + "\x82\x40x\r", std::string(254, 'k') + "x", 1},
    {"PasteCutAtACharacterBoundary", "\x82\xa0\x82\xa2\x82\xa4", std::string(250, 'k') + "\x16\r",
     std::string(250, 'k') + "\x82\xa0\x82\xa2", 1},
    {"PasteThatJustFits", "01234", std::string(250, 'k') + "\x16\r", std::string(250, 'k') + "01234", 0},
    {"PasteEndingInALoneLead", "ab\x82", "\x16\r", "ab", 1},
    {"PasteCompletesATypedLead", "\xa0z", "\x82\x16\r", "\x82\xa0z", 0},
    {"NulBetweenARefusedLeadAndItsTrail", nullptr, std::string(254, 'k') + "\xed" + std::string(1, '\0') + "\xc5x\r",
     std::string(254, 'k') + "x", 1},
    {"PastedLineEndIsEnter", "ab\r\ncd", "x\x16", "xab", 0},
};

TEST_F(LineEditing, ReceivesWholeCharacters) {
    for (const ReceiveCase& c : kReceiveCases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        FrontSetClient(4000, 400);
        FrontSetClipboard(c.clipboard);
        Request();
        ConsoleType(c.keys);
        EXPECT_EQ(ConLineLength(), -1);
        EXPECT_EQ(std::string(LineMailbox.LineBuffer), c.received);
        EXPECT_EQ(FrontBeeps(), c.beeps);
        EXPECT_EQ(ConsoleGridRow(0), c.received.substr(0, 254));
    }
}

TEST_F(LineEditing, PasteIsCutToWhatTheLineHolds) {
    FrontSetClient(4000, 400);
    FrontSetClipboard("0123456789");
    Request();
    ConsoleType(std::string(250, 'k') + "\x16");
    EXPECT_EQ(Line(), std::string(250, 'k') + "01234");
    EXPECT_EQ(FrontBeeps(), 1);
    ConsoleType("\x16" "x");  // full: nothing more goes in
    EXPECT_EQ(ConLineLength(), 255);
    ConsoleType("\r");
    EXPECT_EQ(std::string(LineMailbox.LineBuffer), std::string(250, 'k') + "01234");
}

TEST_F(LineEditing, PasteWithoutTextChangesNothing) {
    for (const char* clip : {(const char*)nullptr, ""}) {
        SCOPED_TRACE(clip ? "empty text" : "no text");
        TearDown();
        SetUp();
        FrontSetClipboard(clip);
        Print("> ");
        Request();
        ConsoleType("a");
        FrontDrawLogClear();
        FrontCaret caret = FrontGetCaret();
        ConsoleType("\x16");
        EXPECT_EQ(Line(), "a");
        EXPECT_EQ(ConsoleGridRow(0), "> a");
        EXPECT_EQ(FrontGetCaret().shown, caret.shown);
        EXPECT_EQ(FrontGetCaret().col, caret.col);
        if (!clip) {
            EXPECT_TRUE(FrontDrawLog().empty());
            EXPECT_EQ(FrontGetCaret().shows, caret.shows);
        }
    }
}

TEST_F(LineEditing, CaretFollowsTheCursorWhileALineIsRequested) {
    FrontRun(ConLineShowCaret);  // focus while idle: no caret
    EXPECT_FALSE(FrontGetCaret().shown);

    Print("abc");
    Request();
    FrontCaret caret = FrontGetCaret();
    EXPECT_TRUE(caret.shown);
    EXPECT_EQ(caret.col, 3);
    EXPECT_EQ(caret.row, 0);

    ConsoleType("de");
    EXPECT_EQ(FrontGetCaret().col, 5);

    FrontRun(ConFrontCaretHide);  // switching away and back
    EXPECT_FALSE(FrontGetCaret().shown);
    FrontRun(ConLineShowCaret);
    EXPECT_TRUE(FrontGetCaret().shown);
    EXPECT_EQ(FrontGetCaret().col, 5);

    ConsoleType("\r");  // the line is complete: the caret does not come back
    EXPECT_FALSE(FrontGetCaret().shown);
}

}  // namespace
