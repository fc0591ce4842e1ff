// The writer: bytes go out exactly as the string holds them, and the string
// is released on every path.
#include "file_test_util.h"
#include "file_write_buffer.h"

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
            FileFlush(2);
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

// The write buffer, with time kept out of it: pieces wait until the block
// is full or the file is flushed or closed, then go out in one write each.
class FileWriteBufferTest : public FilePrintTest {
protected:
    void SetUp() override {
        FilePrintTest::SetUp();
        FileWrite.Delay = 0xFFFFFFFF;
    }
    void TearDown() override {
        FileWrite.Delay = 0;
        FilePrintTest::TearDown();
    }
};

TEST_F(FileWriteBufferTest, PiecesGoOutInBlocks) {
    std::string path = TestTempDir("print-buffer") + "out";
    Open(path, FileModeWrite, 2);
    std::string all;
    for (int i = 0; i < 20000; i++) {
        std::string piece = "item" + std::to_string(i) + " framed\r\n";
        Print(2, piece);
        all += piece;
    }
    // The first piece went out at once, then blocks; the rest waits. (The
    // file is not shared while it is open: its size tells what went out.)
    LARGE_INTEGER out;
    ASSERT_TRUE(GetFileSizeEx(FileTable.Handles[1], &out));
    EXPECT_GT(out.QuadPart, (int64_t)kFileWriteBlock);
    EXPECT_LT((int64_t)all.size() - out.QuadPart, (int64_t)kFileWriteBlock);
    Print(2, std::string(kFileWriteBlock + 1, 'L'));  // as large as the block: out by itself
    FileClose(2);
    EXPECT_EQ(ReadAll(path), all + std::string(kFileWriteBlock + 1, 'L'));
    EXPECT_EQ(FileWrite.Slots[1].Used, 0u);
    EXPECT_EQ(FileWrite.Slots[1].Block, nullptr) << "the buffer is released at the close";
}

TEST_F(FileWriteBufferTest, AFailedFlushIsToldOnceAndNothingIsWrittenAfterIt) {
    Open(kRealWindows ? "Z:\\dev\\full" : "/dev/full", FileModeWrite, 2);
    Print(2, "first");  // the first piece after an open goes out at once
    EXPECT_EQ(FileError(2), (DWORD)ERROR_DISK_FULL);
    Print(2, "more");
    EXPECT_EQ(FileWrite.Slots[1].Used, 0u) << "nothing is collected after a failure";
    FileFlush(2);
    EXPECT_EQ(FileError(2), (DWORD)ERROR_DISK_FULL);
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
