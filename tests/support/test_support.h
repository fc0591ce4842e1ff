// Helpers shared by the tests of both builds.
#pragma once
#include <cstdint>
#include <string>

#include "rt_core.h"

// True in the win32 build, where the tests run against the real system.
extern const bool kRealWindows;

// Starts the runtime once per test program.
void TestRuntimeStart();

// Number of live strings, read under the lock.
int32_t RegistryCount();

// What the runtime wrote to the debugger output channel since the last clear.
void DebugCaptureClear();
std::string DebugCaptureText();

// A string variable that is released when it goes out of scope.
struct TestString {
    RtString s;
    explicit TestString(const char* text) : s(StrFromText(text)) {}
    TestString(const char* bytes, int32_t n);
    ~TestString() { StrFree(s); }
    std::string str() const { return std::string(s, (size_t)StrLength(s)); }
    TestString(const TestString&) = delete;
    TestString& operator=(const TestString&) = delete;
};

// Bytes of an RtString as a std::string, by its length word.
inline std::string Bytes(const char* s) { return std::string(s, (size_t)StrLength(s)); }

// A temporary folder for file tests, emptied on construction.
std::string TestTempDir(const std::string& name);
