// The line-framing utility end to end on the stand-in: a test thread answers
// the four questions by typing into the console window; the output file is
// checked byte for byte, and the console's grid and screen for the echo.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "console_driver.h"
#include "linewrap.h"
#include "program_reset.h"
#include "file_read_buffer.h"
#include "rt_file.h"
#include "test_support.h"

namespace {

struct RunResult {
    bool finished = false;       // "osimai" appeared
    bool outputExists = false;
    std::string output;          // the output file's bytes
    std::string inputAfter;      // the input file's bytes after the run
    std::vector<std::string> grid;  // rows 0 to the cursor's row
    std::vector<std::string> chars;  // the same rows' characters, in UTF-8
    std::vector<std::string> screen;
    size_t visibleCols = 0;     // cells the window's client area shows
    int exitCode = -1;
};

bool ReadFile(const std::string& path, std::string* bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream s;
    s << in.rdbuf();
    *bytes = s.str();
    return true;
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

bool WaitFor(const std::function<bool()>& done, int ms = 120000) {
    for (int waited = 0; waited < ms; waited += 5) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

// Starts the program thread and waits for its window's first paint.
void StartProgram() {
    ForgetEarlierRun();
    HostProcessBegin();
    CreateThread(nullptr, 0, LineWrapMain, nullptr, 0, nullptr);
    EXPECT_TRUE(WaitFor([] { return ConsoleWindowIsReady(); }));
}

// Runs the program: answers are typed one per requested line, in order.
RunResult RunProgram(const std::vector<std::string>& answers, const std::string& inPath,
              const std::string& outPath) {
    StartProgram();
    RunResult r;
    {
        ConsoleTypist typist(answers);
        typist.join();
        EXPECT_TRUE(typist.ok()) << "a question was not asked in time";
    }
    r.finished = WaitFor([] {
        int32_t row = ConsoleCursorRow();
        return row > 0 && ConsoleGridRow(row - 1) == "osimai" && ConsoleCursorCol() == 0;
    });
    for (int32_t row = 0; row <= ConsoleCursorRow(); row++) {
        r.grid.push_back(ConsoleGridRow(row));
        r.chars.push_back(ConsoleGridChars(row));
        r.screen.push_back(ConsoleScreenRow(row));
    }
    r.visibleCols = (size_t)(640 / ConsoleBuffer.CellWidth);  // the front end's client area is 640 wide
    r.exitCode = ConsoleClose();
    r.outputExists = ReadFile(outPath, &r.output);
    ReadFile(inPath, &r.inputAfter);
    return r;
}

struct Case {
    const char* name;
    std::string input;
    std::string mae, ato;
    std::string output;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class Items : public ::testing::TestWithParam<Case> {};

TEST_P(Items, OutputAndConsoleShowTheFramedItems) {
    const Case& c = GetParam();
    std::string dir = TestTempDir(std::string("app-") + c.name);
    std::string in = dir + "in.txt", out = dir + "out.txt";
    WriteFile(in, c.input);
    RunResult r = RunProgram({in, out, c.mae, c.ato}, in, out);
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 0);
    ASSERT_TRUE(r.outputExists);
    EXPECT_EQ(r.output, c.output);
    EXPECT_EQ(r.inputAfter, c.input);

    // The console shows, below the four questions, the same lines (each cut
    // to what a row holds), then "osimai".
    std::vector<std::string> lines;
    std::string rest = c.output;
    for (size_t end; (end = rest.find("\r\n")) != std::string::npos; rest.erase(0, end + 2))
        lines.push_back(rest.substr(0, std::min<size_t>(end, 254)));
    ASSERT_EQ(r.grid.size(), 4 + lines.size() + 2);
    EXPECT_EQ(r.grid[0], " Input file name ? " + in);
    EXPECT_EQ(r.grid[3], " ato ? " + c.ato);
    for (size_t i = 0; i < lines.size(); i++) {
        EXPECT_EQ(r.grid[4 + i], lines[i]) << "row " << 4 + i;
        EXPECT_EQ(r.screen[4 + i], lines[i].substr(0, r.visibleCols)) << "row " << 4 + i;
    }
    EXPECT_EQ(r.grid[4 + lines.size()], "osimai");
    EXPECT_EQ(r.grid.back(), "");
}

const std::string kLong = std::string(70000, 'x');
// Items of megabytes cross many of the reader's blocks.
const std::string kMegabytes = std::string(3 << 20, 'm');

INSTANTIATE_TEST_SUITE_P(
    App, Items,
    ::testing::Values(
        Case{"NoBlank", "abc\r\ndef\r\n", "[", "]", "[abc]\r\n[def]\r\n"},
        Case{"ThreeWords", "one two three\r\n", "<", ">", "<one>\r\n"},
        Case{"BlanksAndTabsBefore", "  \t lead word\r\n\tx\r\n", "", "", "lead\r\nx\r\n"},
        Case{"QuotedPhraseCutInside", "\"a b\" c\r\n", "(", ")", "(\"a)\r\n"},
        Case{"EmptyLine", "a\r\n\r\nb\r\n", "[", "]", "[a]\r\n[]\r\n[b]\r\n"},
        Case{"TwoPartsOnOneLine", "ab cd, ef gh\r\n", "", ";", "ab;\r\nef;\r\n"},
        Case{"EmptyMaeAndAto", "word rest\nnext\n", "", "", "word\r\nnext\r\n"},
        Case{"BlanksKeptInMaeAndAto", "x\r\n", "  m ", " a  ", "  m x a  \r\n"},
        Case{"ShiftJis", "\x93\xfa\x96\x7b \x8c\xea\r\n\x82\xa0\x82\xa2\r\n", "\x81\x75", "\x81\x76",
             "\x81\x75\x93\xfa\x96\x7b\x81\x76\r\n\x81\x75\x82\xa0\x82\xa2\x81\x76\r\n"},
        Case{"LastLineWithoutLineEnd", "a b\r\nlast", "", "", "a\r\nlast\r\n"},
        Case{"BlanksOnlyTail", "one\r\n   \t ", "[", "]", "[one]\r\n"},
        Case{"EmptyInputFile", "", "[", "]", ""},
        Case{"LongItemBlankNearItsEnd", kLong + " tail\r\nz\r\n", "<", ">",
             "<" + kLong + ">\r\n<z>\r\n"},
        Case{"LongItemOf40000WithoutBlank", std::string(40000, 'y') + "\r\n", "", "",
             std::string(40000, 'y') + "\r\n"},
        Case{"MegabytesCutAtTheBlankBetweenThem", kMegabytes + " " + kMegabytes + "\r\nz\r\n", "<",
             ">", "<" + kMegabytes + ">\r\n<z>\r\n"},
        Case{"MegabytesWithoutBlank", "a b\r\n" + kMegabytes + "x", "", "",
             "a\r\n" + kMegabytes + "x\r\n"}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

// Inputs in UTF-8 and UTF-16: the output in the input's encoding (items as
// their bytes, mae and ato converted, a BOM where the input had one), the
// console showing the items' characters (what the code page lacks too)
// behind a line naming the encoding.
struct EncodingCase {
    const char* name;
    std::string input;
    std::string output;
    std::string encoding;            // as the console names it; "" for none
    std::vector<std::string> shown;  // the items' characters (UTF-8)
};

void PrintTo(const EncodingCase& c, std::ostream* os) { *os << c.name; }

std::string Utf16(const std::u16string& text, bool big_endian) {
    std::string bytes;
    for (char16_t u : text) {
        char hi = (char)(u >> 8), lo = (char)(u & 0xFF);
        bytes += big_endian ? std::string{hi, lo} : std::string{lo, hi};
    }
    return bytes;
}

class Encodings : public ::testing::TestWithParam<EncodingCase> {};

TEST_P(Encodings, OutputInTheInputsEncodingConsoleShowsTheCharacters) {
    const EncodingCase& c = GetParam();
    std::string dir = TestTempDir(std::string("app-enc-") + c.name);
    std::string in = dir + "in.txt", out = dir + "out.txt";
    WriteFile(in, c.input);
    RunResult r = RunProgram({in, out, "\x81\x75", "\x81\x76"}, in, out);  // 「 and 」
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.output, c.output);
    std::vector<std::string> rows(r.chars.begin() + 4, r.chars.end());
    std::vector<std::string> want;
    if (!c.encoding.empty()) want.push_back("入力「" + in + "」は " + c.encoding + " として読みます");
    for (const std::string& item : c.shown) want.push_back("「" + item + "」");
    want.push_back("osimai");
    want.push_back("");
    EXPECT_EQ(rows, want);
}

const std::string kBom8 = "\xEF\xBB\xBF";
const std::string kNihon = "\x93\xfa\x96\x7b";  // 日本 in Shift-JIS
const std::u16string kLines16 = u"a b,c\r\n\u65e5\u672c\r\n";
const std::u16string kFramed16 = u"\u300ca\u300d\r\n\u300cc\u300d\r\n\u300c\u65e5\u672c\u300d\r\n";
const std::string kNames = "Müller\r\nJosé\r\nSøren\r\n김민준\r\n张伟\r\n😀\r\n";

INSTANTIATE_TEST_SUITE_P(
    App, Encodings,
    ::testing::Values(
        EncodingCase{"Utf8", "日本 語\r\nx€\r\n", "「日本」\r\n「x€」\r\n", "UTF-8", {"日本", "x€"}},
        EncodingCase{"Utf8Names", kNames, "「Müller」\r\n「José」\r\n「Søren」\r\n「김민준」\r\n「张伟」\r\n「😀」\r\n",
                     "UTF-8", {"Müller", "José", "Søren", "김민준", "张伟", "😀"}},
        EncodingCase{"Utf8Bom", kBom8 + "日本\r\n", kBom8 + "「日本」\r\n", "UTF-8 (BOM)", {"日本"}},
        EncodingCase{"Utf8BomInvalidBytesPassThrough", kBom8 + "a\xff\xc3 b\r\n", kBom8 + "「a\xff\xc3」\r\n",
                     "UTF-8 (BOM)", {"a\uFFFD\uFFFD"}},
        EncodingCase{"Utf16Le", "\xFF\xFE" + Utf16(kLines16, false), "\xFF\xFE" + Utf16(kFramed16, false),
                     "UTF-16 LE", {"a", "c", "日本"}},
        EncodingCase{"Utf16Be", "\xFE\xFF" + Utf16(kLines16, true), "\xFE\xFF" + Utf16(kFramed16, true),
                     "UTF-16 BE", {"a", "c", "日本"}},
        EncodingCase{"Utf16OddLastByteAndLoneSurrogate", "\xFF\xFE" + Utf16(u"\xd800x", false) + "y",
                     "\xFF\xFE" + Utf16(u"\u300c\xd800x", false) + "y" + Utf16(u"\u300d\r\n", false),
                     "UTF-16 LE", {"\uFFFDx\uFFFD"}},
        // Not UTF-8: Shift-JIS, ASCII and a UTF-16 text without a BOM stay bytes.
        EncodingCase{"ShiftJisStaysBytes", kNihon + "\r\n", "\x81\x75" + kNihon + "\x81\x76\r\n", "", {"日本"}},
        EncodingCase{"Utf16WithoutBomIsBytes", std::string("a\0\r\0\n\0", 6),
                     "\x81\x75" "a\x81\x76\r\n\x81\x75\r\x81\x76\r\n\x81\x75\x81\x76\r\n\x81\x75\x81\x76\r\n", "",
                     {"a", "\r", "", ""}}),
    [](const ::testing::TestParamInfo<EncodingCase>& info) { return std::string(info.param.name); });

// The command line's arguments answer the questions in order, shown as if
// typed; one that cannot be had as given (a comma, too long for a line, not
// in the code page, with no short name) is told with its number and why,
// and its question asked; a question with no argument left is asked.
TEST(AppAnswers, ArgumentsAnswerTheQuestions) {
    std::string dir = TestTempDir("app-arguments");
    std::string in = dir + "in.txt", out = dir + "out.txt";
    WriteFile(in, "one two\r\n");
    std::u16string in16(in.begin(), in.end()), out16(out.begin(), out.end());
    const std::string noShortName =
        "\x81\x69\x92\x5a\x82\xa2 8.3 \x8c\x60\x8e\xae\x82\xcc\x96\xbc\x91\x4f\x82\xe0\x82\xa0\x82\xe8\x82\xdc\x82\xb9\x82\xf1\x81\x6a";
    struct {
        std::u16string third;
        std::string told;  // after "引数 3"
    } cases[] = {
        {u"\"x,y\"", "\x82\xcd\x83\x52\x83\x93\x83\x7d\x82\xf0\x8a\xdc\x82\xdd\x82\xdc\x82\xb7"},
        {std::u16string(256, u'm'), "\x82\xcd 255 \x83\x6f\x83\x43\x83\x67\x82\xc9\x8e\xfb\x82\xdc\x82\xe8\x82\xdc\x82\xb9\x82\xf1"},
        {u"\u20ac", "\x82\xcd\x82\xb1\x82\xcc\x83\x52\x81\x5b\x83\x68 \x83\x79\x81\x5b\x83\x57\x82\xc5\x8f\x91\x82\xaf\x82\xdc\x82\xb9\x82\xf1"},
    };
    for (const auto& c : cases) {
        HostSetCommandLine(u"linewrap.exe \"" + in16 + u"\" " + out16 + u" " + c.third);
        RunResult r = RunProgram({"<", "["}, in, out);
        HostSetCommandLine(u"linewrap.exe");
        ASSERT_TRUE(r.finished);
        EXPECT_EQ(r.output, "<one[\r\n");
        ASSERT_GE(r.grid.size(), 5u);
        EXPECT_EQ(r.grid[0], " Input file name ? " + in);
        EXPECT_EQ(r.grid[1], " Output file name ? " + out);
        EXPECT_EQ(r.grid[2], "\x88\xf8\x90\x94 3 " + c.told + noShortName);
        EXPECT_EQ(r.grid[3], " mae ? <");
        EXPECT_EQ(r.grid[4], " ato ? [");
    }
}

// More arguments than questions: one line says the rest are not used.
TEST(AppAnswers, ArgumentsPastTheFourthAreToldUnused) {
    std::string dir = TestTempDir("app-extra-arguments");
    std::string in = dir + "in.txt", out = dir + "out.txt";
    WriteFile(in, "one\r\n");
    std::u16string in16(in.begin(), in.end()), out16(out.begin(), out.end());
    HostSetCommandLine(u"linewrap.exe " + in16 + u" " + out16 + u" < > extra");
    RunResult r = RunProgram({}, in, out);
    HostSetCommandLine(u"linewrap.exe");
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.output, "<one>\r\n");
    ASSERT_GE(r.grid.size(), 2u);
    EXPECT_EQ(r.grid[0], "\x88\xf8\x90\x94\x82\xaa\x91\xbd\x82\xb7\x82\xac\x82\xdc\x82\xb7: 5 "
                         "\x94\xd4\x96\xda\x82\xa9\x82\xe7\x82\xcd\x8e\x67\x82\xa2\x82\xdc\x82\xb9\x82\xf1");
    EXPECT_EQ(r.grid[1], " Input file name ? " + in);
}

TEST(AppAnswers, AnswerWithACommaIsRefusedAndAskedAgain) {
    std::string dir = TestTempDir("app-comma");
    std::string in = dir + "in.txt", out = dir + "out.txt";
    WriteFile(in, "item\r\n");
    RunResult r = RunProgram({in, out, "a,b", "[", "]"}, in, out);
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.output, "[item]\r\n");
    ASSERT_GE(r.grid.size(), 6u);
    EXPECT_EQ(r.grid[2], " mae ? a,b");
    EXPECT_EQ(r.grid[3], "\x93\xfc\x97\xcd\x83\x66\x81\x5b\x83\x5e\x82\xcc\x8c\xc2\x90\x94\x82\xaa\x91\xbd\x82\xb7\x82\xac\x82\xdc\x82\xb7");
    EXPECT_EQ(r.grid[4], " mae ? [");
    EXPECT_EQ(r.exitCode, 0);
}

// The console's line about a failed file (Shift-JIS): 入力「name」を開けません
// （出力ファイルはそのまま）: , 出力「name」を作れません: , 出力「name」に書けません: ,
// 入力「name」を読めません: , each followed by the stand-in's text for the code.
std::string InputNotOpened(const std::string& name, const std::string& reason) {
    return "\x93\xfc\x97\xcd\x81\x75" + name +
           "\x81\x76\x82\xf0\x8a\x4a\x82\xaf\x82\xdc\x82\xb9\x82\xf1\x81\x69\x8f\x6f\x97\xcd\x83\x74\x83\x40"
           "\x83\x43\x83\x8b\x82\xcd\x82\xbb\x82\xcc\x82\xdc\x82\xdc\x81\x6a: " + reason;
}
std::string OutputNotCreated(const std::string& name, const std::string& reason) {
    return "\x8f\x6f\x97\xcd\x81\x75" + name + "\x81\x76\x82\xf0\x8d\xec\x82\xea\x82\xdc\x82\xb9\x82\xf1: " + reason;
}
std::string OutputNotWritten(const std::string& name, const std::string& reason) {
    return "\x8f\x6f\x97\xcd\x81\x75" + name + "\x81\x76\x82\xc9\x8f\x91\x82\xaf\x82\xdc\x82\xb9\x82\xf1: " + reason;
}
std::string InputNotRead(const std::string& name, const std::string& reason) {
    return "\x93\xfc\x97\xcd\x81\x75" + name + "\x81\x76\x82\xf0\x93\xc7\x82\xdf\x82\xdc\x82\xb9\x82\xf1: " + reason;
}
const char kNotFound[] = "The system cannot find the file specified.";
const char kNoPath[] = "The system cannot find the path specified.";

// A failed file: one line naming it with the system's reason, shown again
// just before "osimai", the four questions as always, the output untouched when the input
// could not be opened, and exit code 1 once the window is closed.
struct FailureCase {
    const char* name;
    const char* input;      // in.txt before the run; nullptr: none
    const char* outBefore;  // out.txt before the run; nullptr: none
    std::string inName, outName;  // answers; {dir} stands for the test folder
    DWORD readFailure;      // every ReadFile fails with it; 0: none
    std::vector<std::string> rows;  // from the third row on; {in}, {out}: the answers
    const char* outAfter;   // out.txt after the run; nullptr: does not exist
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

std::string Fill(std::string text, const std::string& key, const std::string& value) {
    for (size_t at; (at = text.find(key)) != std::string::npos;) text.replace(at, key.size(), value);
    return text;
}

class Failures : public ::testing::TestWithParam<FailureCase> {};

TEST_P(Failures, AreToldOnceAndEndWithExitCodeOne) {
    const FailureCase& c = GetParam();
    std::string dir = TestTempDir(std::string("app-fail-") + c.name);
    std::filesystem::create_directory(dir + "sub");
    if (c.input) WriteFile(dir + "in.txt", c.input);
    if (c.outBefore) WriteFile(dir + "out.txt", c.outBefore);
    std::string in = Fill(c.inName, "{dir}", dir), out = Fill(c.outName, "{dir}", dir);
    HostFailFileReads(c.readFailure);
    RunResult r = RunProgram({in, out, "[", "]"}, dir + "in.txt", dir + "out.txt");
    HostFailFileReads(0);
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 1);
    std::vector<std::string> rows = {" Input file name ? " + in, " Output file name ? " + out};
    for (const std::string& row : c.rows) rows.push_back(Fill(Fill(row, "{in}", in), "{out}", out));
    rows.push_back("");
    EXPECT_EQ(r.grid, rows);
    // On the screen up to the last visible cell (a double-byte character
    // may stand across the window's edge).
    size_t shown = r.visibleCols - 1;
    for (size_t i = 0; i < r.grid.size() && i < r.screen.size(); i++)
        EXPECT_EQ(r.screen[i].substr(0, shown), r.grid[i].substr(0, shown)) << "row " << i;
    if (c.input) {
        EXPECT_EQ(r.inputAfter, c.input) << "the input changed";
    }
    if (!c.outAfter) {
        EXPECT_FALSE(r.outputExists) << "an output file was made";
    } else {
        EXPECT_EQ(r.output, c.outAfter);
    }
}

INSTANTIATE_TEST_SUITE_P(
    App, Failures,
    ::testing::Values(
        FailureCase{"MissingInputKeepsTheOutput", nullptr, "precious\r\n", "{dir}absent.txt", "{dir}out.txt", 0,
                    {InputNotOpened("{in}", kNotFound), " mae ? [", " ato ? ]", InputNotOpened("{in}", kNotFound), "osimai"}, "precious\r\n"},
        FailureCase{"MissingInputMakesNoOutput", nullptr, nullptr, "{dir}absent.txt", "{dir}out.txt", 0,
                    {InputNotOpened("{in}", kNotFound), " mae ? [", " ato ? ]", InputNotOpened("{in}", kNotFound), "osimai"}, nullptr},
        FailureCase{"EmptyInputName", nullptr, "precious\r\n", "", "{dir}out.txt", 0,
                    {InputNotOpened("", kNoPath), " mae ? [", " ato ? ]", InputNotOpened("", kNoPath), "osimai"}, "precious\r\n"},
        FailureCase{"OutputIsAFolder", "a b\r\nc\r\n", nullptr, "{dir}in.txt", "{dir}sub", 0,
                    {OutputNotCreated("{out}", "Access is denied."), " mae ? [", " ato ? ]", "[a]", "[c]", OutputNotCreated("{out}", "Access is denied."), "osimai"},
                    nullptr},
        FailureCase{"OutputInAMissingFolder", "a\r\n", nullptr, "{dir}in.txt", "{dir}nowhere/out.txt", 0,
                    {OutputNotCreated("{out}", kNoPath), " mae ? [", " ato ? ]", "[a]", OutputNotCreated("{out}", kNoPath), "osimai"}, nullptr},
        FailureCase{"SameNameForInputAndOutput", "one two\r\nthree\r\n", nullptr, "{dir}in.txt", "{dir}in.txt", 0,
                    {OutputNotCreated("{out}", "The process cannot access the file because it is being used by "
                                               "another process."),
                     " mae ? [", " ato ? ]", "[one]", "[three]", OutputNotCreated("{out}", "The process cannot access the file because it is being used by "
                                               "another process."), "osimai"},
                    nullptr},
        // Told at the first failed write only, however many items follow.
        FailureCase{"FullDisk", "a\r\nb\r\nc\r\n", nullptr, "{dir}in.txt", "/dev/full", 0,
                    {" mae ? [", " ato ? ]", "[a]", OutputNotWritten("{out}", "There is not enough space on the disk."),
                     "[b]", "[c]", OutputNotWritten("{out}", "There is not enough space on the disk."), "osimai"},
                    nullptr},
        FailureCase{"FailedRead", "a\r\nb\r\n", "old", "{dir}in.txt", "{dir}out.txt", ERROR_IO_DEVICE,
                    {" mae ? [", " ato ? ]",
                     InputNotRead("{in}", "The request could not be performed because of an I/O device error."),
                     InputNotRead("{in}", "The request could not be performed because of an I/O device error."), "osimai"},
                    ""}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

// An item past what the reader holds: the items before it are written
// whole, one line tells it, the run ends there with exit code 1.
TEST(AppFailures, AnItemTooLargeToHoldEndsTheRun) {
    std::string dir = TestTempDir("app-too-large");
    std::string in = dir + "in.txt", out = dir + "out.txt";
    WriteFile(in, "a b\r\n" + std::string(400, 'x') + "\r\nc\r\n");
    FileRead.ItemLimit = 300;
    RunResult r = RunProgram({in, out, "[", "]"}, in, out);
    FileRead.ItemLimit = 0;
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.output, "[a]\r\n");
    ASSERT_EQ(r.grid.size(), 9u);
    EXPECT_EQ(r.grid[6], r.grid[5]);
    EXPECT_EQ(r.grid[5], "\x93\xfc\x97\xcd\x81\x75" + in +
                             "\x81\x76\x82\xcc\x8d\x80\x96\xda\x82\xaa\x91\xe5\x82\xab\x82\xb7\x82\xac"
                             "\x82\xc4\x93\xc7\x82\xdf\x82\xdc\x82\xb9\x82\xf1: Not enough memory resources are "
                             "available to process this command.");
    EXPECT_EQ(r.grid[7], "osimai");
}

TEST(AppLifetime, ClosingTheWindowAfterAFailureEndsWithOne) {
    std::string dir = TestTempDir("app-fail-close");
    StartProgram();
    {
        ConsoleTypist typist({dir + "absent.txt", dir + "out.txt"});
        typist.join();
    }
    ASSERT_TRUE(ConsoleWaitForRequest());  // " mae ? "
    EXPECT_EQ(ConsoleClose(), 1);
}

TEST(AppLifetime, ClosingTheWindowDuringAQuestionEndsWithZero) {
    StartProgram();
    ASSERT_TRUE(ConsoleWaitForRequest());
    EXPECT_EQ(ConsoleClose(), 0);
}

TEST(AppLifetime, ClosingTheWindowDuringTheItemsKeepsWholeLines) {
    std::string dir = TestTempDir("app-close");
    std::string in = dir + "in.txt", out = dir + "out.txt";
    std::string input;
    for (int i = 0; i < 2000000; i++) input += "item" + std::to_string(i) + " tail\r\n";
    WriteFile(in, input);
    StartProgram();
    {
        ConsoleTypist typist({in, out, "<", ">"});
        typist.join();
    }
    // Close as soon as some lines are out.
    WaitFor([&] {
        std::string sofar;
        return ReadFile(out, &sofar) && sofar.size() > 1000;
    });
    EXPECT_EQ(ConsoleClose(), 0);
    std::string output;
    ASSERT_TRUE(ReadFile(out, &output));
    // Every line but the last is whole and in order; the last is a prefix.
    size_t pos = 0;
    int i = 0;
    for (;; i++) {
        std::string line = "<item" + std::to_string(i) + ">\r\n";
        if (output.compare(pos, line.size(), line) != 0) {
            EXPECT_EQ(line.compare(0, output.size() - pos, output, pos, std::string::npos), 0)
                << "the cut line is not a prefix of line " << i;
            break;
        }
        pos += line.size();
    }
    EXPECT_LT(i, 2000000) << "the run ended before the window was closed";
}

}  // namespace
