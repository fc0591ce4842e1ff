// The writer: bytes go out exactly as the string holds them, and the string
// is released on every path.
#include "file_test_util.h"

namespace {

class FilePrintTest : public FileTest {};

TEST_F(FilePrintTest, WritesEveryByteUnchanged) {
    struct Case {
        const char* name;
        std::vector<std::string> pieces;
        std::string file;
    } cases[] = {
        {"the empty string writes nothing", {""}, ""},
        {"NUL bytes go out with the rest", {std::string("a\0b\0", 4)}, std::string("a\0b\0", 4)},
        {"Shift-JIS bytes and line ends unchanged", {"\x82\xa0\x95\x5c\n", "\r"},
         "\x82\xa0\x95\x5c\n\r"},
        {"three pieces make one line", {"<<", "abc def", ">>\r\n"}, "<<abc def>>\r\n"},
    };
    std::string dir = TestTempDir("print");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Open(dir + "out", FileModeWrite, 2);
        DWORD expected_position = 0;
        for (const std::string& piece : c.pieces) {
            Print(2, piece);
            expected_position += (DWORD)piece.size();
            EXPECT_EQ(Position(2), expected_position);
        }
        FileClose(2);
        EXPECT_EQ(ReadAll(dir + "out"), c.file);
    }
}

TEST_F(FilePrintTest, TheApplicationsLineFromJoinedStrings) {
    std::string path = TestTempDir("print-line") + "out";
    Open(path, FileModeWrite, 2);
    TestString mae("["), line("item"), ato("]");
    FilePrint(2, StrCopy(mae.s));
    FilePrint(2, StrCopy(line.s));
    FilePrint(2, StrConcat(StrCopy(ato.s), StrFromText("\r\n")));
    FileClose(0);
    EXPECT_EQ(ReadAll(path), "[item]\r\n");
}

TEST_F(FilePrintTest, NoWritableFileWritesNothing) {
    std::string dir = TestTempDir("print-none");
    WriteAll(dir + "in", "keep");
    Open(dir + "in", FileModeRead, 1);
    Open(dir + "missing", FileModeRead, 2);
    for (int32_t n : {1, 2, 3, 0, 300}) Print(n, "text");  // strings checked by TearDown
    EXPECT_EQ(Position(1), 0u);
    FileClose(0);
    EXPECT_EQ(ReadAll(dir + "in"), "keep");
    EXPECT_FALSE(Exists(dir + "missing"));
}

}  // namespace
