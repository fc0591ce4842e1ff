// Unshared opens: while a file is open nobody else may open it, neither this
// process under another number nor another process.
#include "file_test_util.h"

namespace {

class FileShareTest : public FileTest {};

TEST_F(FileShareTest, ASecondOpenInThisProcessFails) {
    std::string dir = TestTempDir("share-self");
    WriteAll(dir + "f", "a,b\r\n");
    for (int32_t first : {FileModeReadWrite, FileModeRead, FileModeWrite, FileModeAppend}) {
        for (int32_t second : {FileModeReadWrite, FileModeRead, FileModeWrite, FileModeAppend}) {
            SCOPED_TRACE(std::to_string(first) + " then " + std::to_string(second));
            WriteAll(dir + "f", "a,b\r\n");
            Open(dir + "f", first, 1);
            ASSERT_FALSE(OpenFailed(1));
            Open(dir + "f", second, 2);
            EXPECT_TRUE(OpenFailed(2));
            FileClose(0);
            EXPECT_EQ(ReadAll(dir + "f"), first == FileModeWrite ? "" : "a,b\r\n");
        }
    }
}

// The application given one name for input and output.
TEST_F(FileShareTest, SameNameForInputAndOutputKeepsTheInput) {
    std::string path = TestTempDir("share-same") + "f";
    WriteAll(path, "one,two\r\n");
    Open(path, FileModeRead, 1);
    Open(path, FileModeWrite, 2);
    EXPECT_FALSE(OpenFailed(1));
    EXPECT_TRUE(OpenFailed(2));
    RtString item = StrAlloc(0);
    ValueList.ValueAddress[0] = &item;
    ValueList.ValueType[0] = TypeString;
    ValueList.ValueAddress[1] = nullptr;
    std::vector<std::string> items;
    while (FileEof(1) == 0) {
        FileInput(1);
        items.push_back(Bytes(item));
        Print(2, Bytes(item) + "\r\n");
    }
    StrFree(item);
    EXPECT_EQ(items, (std::vector<std::string>{"one", "two"}));
    FileClose(0);
    EXPECT_EQ(ReadAll(path), "one,two\r\n");
}

TEST_F(FileShareTest, AnotherProcessCannotOpenAFileHeldHere) {
    std::string path = TestTempDir("share-child-try") + "f";
    WriteAll(path, "x");
    Open(path, FileModeRead, 1);
    EXPECT_EQ(WaitHelper(StartHelper({"try", path})), 1) << "the child opened a held file";
    FileClose(1);
    EXPECT_EQ(WaitHelper(StartHelper({"try", path})), 0) << "the child could not open it";
}

TEST_F(FileShareTest, ThisProcessCannotOpenAFileHeldByAnother) {
    std::string dir = TestTempDir("share-child-hold");
    std::string path = dir + "f", ready = dir + "ready", release = dir + "release";
    WriteAll(path, "held");
    intptr_t child = StartHelper({"hold", path, ready, release});
    ASSERT_NE(child, -1);
    for (int i = 0; i < 2000 && !Exists(ready); i++) Sleep(10);
    EXPECT_TRUE(Exists(ready)) << "the child did not report";
    Open(path, FileModeWrite, 2);
    EXPECT_TRUE(OpenFailed(2));
    Open(path, FileModeRead, 1);
    EXPECT_TRUE(OpenFailed(1));
    WriteAll(release, "");
    EXPECT_EQ(WaitHelper(child), 0);
    EXPECT_EQ(ReadAll(path), "held");
    Open(path, FileModeRead, 1);
    EXPECT_FALSE(OpenFailed(1));
}

}  // namespace
