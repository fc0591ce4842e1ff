// Helpers for the file tests: whole-file reads and writes outside the
// runtime, and short forms of the runtime's calls.
#pragma once
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "file_read_buffer.h"
#include "rt_file.h"
#include "test_support.h"

// The file's bytes, or "<missing>" when it cannot be opened for reading.
std::string ReadAll(const std::string& path);
void WriteAll(const std::string& path, const std::string& bytes);
bool Exists(const std::string& path);

inline void Open(const std::string& path, int32_t mode, int32_t number) {
    FileOpen(StrFromText(path.c_str()), mode, number);
}
inline void Print(int32_t number, const std::string& bytes) {
    RtString s = StrAlloc((int32_t)bytes.size());
    memcpy(s, bytes.data(), bytes.size());
    FilePrint(number, s);
}
// The reader's position of a file number: the system position of its
// handle, less the bytes read ahead and not yet consumed (none for files
// that are not opened for input only).
inline DWORD Position(int32_t number) {
    return SetFilePointer(FileTable.Handles[number - 1], 0, nullptr, FILE_CURRENT) -
           FileReadUnread(number);
}
// Starts the runtime, closes every file after each test and checks that the
// test left no string behind.
class FileTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestRuntimeStart();
        strings_before = RegistryCount();
    }
    void TearDown() override {
        FileClose(0);
        EXPECT_EQ(RegistryCount(), strings_before) << "a string was not released";
    }
    int32_t strings_before = 0;
};

inline bool OpenFailed(int32_t number) {
    return FileTable.Handles[number - 1] == INVALID_HANDLE_VALUE;
}

// The helper program as a second process (file_share_helper, next to the
// test program). Returns an id for WaitHelper, or -1 if it could not start.
intptr_t StartHelper(const std::vector<std::string>& args);
// Its exit code, or -1 when it cannot be waited for.
int WaitHelper(intptr_t child);
