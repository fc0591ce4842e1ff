// The error record: per file number the first system error of an open, a
// read or a write. The same tables run on the stand-in and, in the win32
// build, on the real system (Wine), which keeps the stand-in's codes honest.
// A read-only output is missing: the tests run as root, who may write any
// file (under Wine too, which asks the same kernel), so it cannot fail here.
#include "file_test_util.h"

namespace {

class FileErrorTest : public FileTest {};

std::string Sep(const std::string& dir) { return dir.substr(dir.size() - 1); }

struct OpenCase {
    const char* name;
    std::string (*path)(const std::string& dir);  // dir holds a file "f" and a folder "sub"
    int32_t mode;
    DWORD error;
};

const OpenCase kOpens[] = {
    {"an existing file opens", [](const std::string& d) { return d + "f"; }, FileModeRead, 0},
    {"a missing file", [](const std::string& d) { return d + "absent"; }, FileModeRead, ERROR_FILE_NOT_FOUND},
    {"a missing folder", [](const std::string& d) { return d + "nowhere" + Sep(d) + "f"; }, FileModeWrite,
     ERROR_PATH_NOT_FOUND},
    {"a file used as a folder", [](const std::string& d) { return d + "f" + Sep(d) + "g"; }, FileModeWrite,
     ERROR_PATH_NOT_FOUND},
    {"a folder as output", [](const std::string& d) { return d + "sub"; }, FileModeWrite, ERROR_ACCESS_DENIED},
    {"a folder as input", [](const std::string& d) { return d + "sub"; }, FileModeRead, ERROR_ACCESS_DENIED},
    {"an empty name", [](const std::string&) { return std::string(); }, FileModeRead, ERROR_PATH_NOT_FOUND},
    {"an unknown mode", [](const std::string& d) { return d + "f"; }, 7, ERROR_INVALID_PARAMETER},
};

TEST_F(FileErrorTest, OpenFailuresGiveTheSystemsCode) {
    std::string dir = TestTempDir("error-open");
    WriteAll(dir + "f", "keep");
    std::string sub = std::string("error-open").append(Sep(dir)).append("sub");
    TestTempDir(sub);
    for (const OpenCase& c : kOpens) {
        SCOPED_TRACE(c.name);
        Open(c.path(dir), c.mode, 3);
        EXPECT_EQ(FileError(3), c.error);
        EXPECT_EQ(OpenFailed(3), c.error != 0);
        FileClose(3);
        EXPECT_EQ(FileError(3), 0u) << "closing clears the record";
    }
    EXPECT_EQ(ReadAll(dir + "f"), "keep");
}

TEST_F(FileErrorTest, ASecondOpenOfAnOpenFileIsASharingViolation) {
    std::string path = TestTempDir("error-share") + "f";
    WriteAll(path, "input\r\n");
    Open(path, FileModeRead, 1);
    Open(path, FileModeWrite, 2);
    EXPECT_EQ(FileError(1), 0u);
    EXPECT_EQ(FileError(2), (DWORD)ERROR_SHARING_VIOLATION);
    FileClose(0);
    EXPECT_EQ(ReadAll(path), "input\r\n");
}

TEST_F(FileErrorTest, ReadsAndWritesOfOpenFilesOnly) {
    std::string dir = TestTempDir("error-rw");
    WriteAll(dir + "in", "a,b\r\n");
    TestString item("");
    ValueList.ValueAddress[0] = &item.s;
    ValueList.ValueType[0] = TypeString;
    ValueList.ValueAddress[1] = nullptr;

    Open(dir + "in", FileModeRead, 1);   // readable, not writable
    Open(dir + "out", FileModeWrite, 2); // writable, not readable
    FileInput(1);
    Print(2, "x");
    EXPECT_EQ(FileError(1), 0u);
    EXPECT_EQ(FileError(2), 0u);
    Print(1, "x");
    FileInput(2);
    EXPECT_EQ(FileError(1), (DWORD)ERROR_ACCESS_DENIED);
    EXPECT_EQ(FileError(2), (DWORD)ERROR_ACCESS_DENIED);

    // A number with no open file: its failed open stays its record, and a
    // number never opened gains none.
    Open(dir + "absent", FileModeRead, 4);
    Print(4, "x");
    FileInput(4);
    Print(5, "x");
    FileInput(5);
    EXPECT_EQ(FileError(4), (DWORD)ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(FileError(5), 0u);
    EXPECT_EQ(FileError(0), 0u);
    EXPECT_EQ(FileError(257), 0u);

    // Opening again clears a number; only the first error is kept.
    Open(dir + "out2", FileModeWrite, 4);
    EXPECT_EQ(FileError(4), 0u);
    FileErrorNote(4, ERROR_DISK_FULL);
    FileErrorNote(4, ERROR_ACCESS_DENIED);
    EXPECT_EQ(FileError(4), (DWORD)ERROR_DISK_FULL);
    FileClose(0);
    EXPECT_EQ(FileError(1) | FileError(2) | FileError(4), 0u);
}

// A full disk, from the device that is always full.
TEST_F(FileErrorTest, AFullDiskFailsTheWrite) {
    Open(kRealWindows ? "Z:\\dev\\full" : "/dev/full", FileModeWrite, 2);
    ASSERT_EQ(FileError(2), 0u);
    Print(2, "line\r\n");
    EXPECT_EQ(FileError(2), (DWORD)ERROR_DISK_FULL);
}

}  // namespace
