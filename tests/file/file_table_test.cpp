// The file table: the four open modes, reopening, closing, FileEof, and
// numbers outside the table.
#include "file_test_util.h"

namespace {

struct ModeCase {
    const char* name;
    int32_t mode;
    const char* before;  // nullptr: the file does not exist
    bool opens;
    DWORD position;      // after the open
    const char* write;   // written with FilePrint
    const char* after;   // the file afterwards
};

const ModeCase kModes[] = {
    {"mode 0 creates a missing file empty", 0, nullptr, true, 0, "", ""},
    {"mode 0 reads and writes from the start", 0, "hello", true, 0, "J", "Jello"},
    {"mode 1 fails on a missing file", 1, nullptr, false, 0, "x", "<missing>"},
    {"mode 1 does not write", 1, "keep", true, 0, "x", "keep"},
    {"mode 2 empties an existing file", 2, "old content", true, 0, "new", "new"},
    {"mode 2 creates a missing file", 2, nullptr, true, 0, "n", "n"},
    {"mode 3 appends", 3, "old", true, 3, "new", "oldnew"},
    {"mode 3 creates a missing file", 3, nullptr, true, 0, "n", "n"},
    {"an unknown mode opens nothing", 7, nullptr, false, 0, "x", "<missing>"},
    {"a negative mode opens nothing", -1, "keep", false, 0, "x", "keep"},
};

class FileTableTest : public FileTest {};

TEST_F(FileTableTest, Modes) {
    std::string dir = TestTempDir("modes");
    int i = 0;
    for (const ModeCase& c : kModes) {
        SCOPED_TRACE(c.name);
        std::string path = dir + "f" + std::to_string(i++);
        if (c.before) WriteAll(path, c.before);
        Open(path, c.mode, 5);
        EXPECT_EQ(OpenFailed(5), !c.opens);
        if (c.opens) {
            EXPECT_EQ(Position(5), c.position);
            DWORD size = c.before && c.mode != FileModeWrite ? (DWORD)strlen(c.before) : 0;
            EXPECT_EQ(GetFileSize(FileTable.Handles[4], nullptr), size);
            EXPECT_EQ(FileEof(5), c.position >= size ? -1 : 0);
        } else {
            EXPECT_EQ(FileEof(5), -1);
        }
        Print(5, c.write);
        FileClose(5);
        EXPECT_EQ(FileTable.Handles[4], nullptr);
        EXPECT_EQ(ReadAll(path), c.after);
    }
}

TEST_F(FileTableTest, ReopeningANumberReplacesItsHandleAndKeepsTheOldFileOpen) {
    std::string dir = TestTempDir("reopen");
    WriteAll(dir + "a", "a");
    WriteAll(dir + "b", "bb");
    Open(dir + "a", FileModeRead, 1);
    HANDLE first = FileTable.Handles[0];
    Open(dir + "b", FileModeRead, 1);
    HANDLE second = FileTable.Handles[0];
    EXPECT_NE(second, first);
    EXPECT_FALSE(OpenFailed(1));
    EXPECT_EQ(SetFilePointer(FileTable.Handles[0], 0, nullptr, FILE_END), 2u);
    // The first file is still open, unshared: it cannot be opened again.
    Open(dir + "a", FileModeRead, 2);
    EXPECT_TRUE(OpenFailed(2));
    // A failed open replaces a usable handle too.
    Open(dir + "missing", FileModeRead, 1);
    EXPECT_TRUE(OpenFailed(1));
    FileClose(0);
    // b was leaked by the failed open; a by the first reopen. Close them here.
    EXPECT_TRUE(CloseHandle(first));
    EXPECT_TRUE(CloseHandle(second));
}

TEST_F(FileTableTest, CloseLeavesOtherNumbersAndEmptySlotsAlone) {
    std::string dir = TestTempDir("close");
    FileClose(0);  // nothing open: nothing happens
    FileClose(9);  // never opened
    WriteAll(dir + "a", "x");
    Open(dir + "a", FileModeRead, 3);
    Open(dir + "missing", FileModeRead, 4);
    FileClose(9);
    EXPECT_EQ(FileEof(3), 0);
    FileClose(4);  // a failed mark becomes empty
    EXPECT_EQ(FileTable.Handles[3], nullptr);
    EXPECT_EQ(FileEof(3), 0);
    FileClose(3);
    Open(dir + "a", FileModeRead, 3);  // closed for real: opens again
    EXPECT_FALSE(OpenFailed(3));
}

TEST_F(FileTableTest, CloseAllEmptiesEverySlot) {
    std::string dir = TestTempDir("close-all");
    for (int32_t n : {1, 2, 100, 256}) {
        std::string path = dir + std::to_string(n);
        WriteAll(path, "content");
        Open(path, FileModeRead, n);
        EXPECT_EQ(FileEof(n), 0);
    }
    Open(dir + "missing", FileModeRead, 7);
    FileClose(0);
    for (int32_t n = 1; n <= 256; n++) {
        EXPECT_EQ(FileTable.Handles[n - 1], nullptr);
        EXPECT_EQ(FileEof(n), -1) << n;
    }
}

TEST_F(FileTableTest, EofIsStableAndDoesNotMoveThePosition) {
    std::string path = TestTempDir("eof") + "f";
    WriteAll(path, "");
    Open(path, FileModeRead, 1);
    EXPECT_EQ(FileEof(1), -1) << "an empty file is at its end before any read";
    FileClose(1);
    WriteAll(path, "abcd");
    Open(path, FileModeRead, 1);
    for (LONG at : {0, 2, 3, 4, 6}) {
        SetFilePointer(FileTable.Handles[0], at, nullptr, FILE_BEGIN);
        int32_t expected = at >= 4 ? -1 : 0;
        EXPECT_EQ(FileEof(1), expected) << at;
        EXPECT_EQ(FileEof(1), expected) << at;
        EXPECT_EQ(Position(1), (DWORD)at);
    }
}

TEST_F(FileTableTest, NumbersOutsideTheTableTouchNothing) {
    std::string dir = TestTempDir("outside");
    FileTableState saved = FileTable;
    int32_t stored = 12345;
    ValueList.ValueAddress[0] = &stored;
    ValueList.ValueType[0] = TypeInt32;
    ValueList.ValueAddress[1] = nullptr;
    for (int32_t n : {0, -1, 257, INT32_MIN, INT32_MAX}) {
        SCOPED_TRACE(n);
        Open(dir + "new", FileModeReadWrite, n);
        EXPECT_FALSE(Exists(dir + "new"));
        EXPECT_EQ(FileEof(n), -1);
        FileInput(n);
        EXPECT_EQ(stored, 12345);
        Print(n, "text");
        if (n != 0) FileClose(n);
    }
    EXPECT_EQ(memcmp(&saved, &FileTable, sizeof saved), 0);
}

}  // namespace
