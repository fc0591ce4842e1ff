// The string registry: order after releases, bad releases, and two threads
// making and releasing strings at once.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "test_support.h"

namespace {

const char kUnknownMessage[] =
    "\x96\xa2\x92\x6d\x82\xcc\x95\xb6\x8e\x9a\x97\xf1\x82\xaa\x89\xf0\x95\xfa\x82\xb3"
    "\x82\xea\x82\xe6\x82\xa4\x82\xc6\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42\r\n";

class StringStore : public ::testing::Test {
protected:
    void SetUp() override {
        TestRuntimeStart();
        base = RegistryCount();
        DebugCaptureClear();
    }
    int32_t base = 0;
};

TEST_F(StringStore, FreshStringIsZeroFilledWithLengthAndTerminator) {
    RtString s = StrAlloc(7);
    EXPECT_EQ(StrLength(s), 7);
    for (int i = 0; i <= 7; i++) EXPECT_EQ(s[i], 0) << i;
    RtString e = StrAlloc(0);
    EXPECT_EQ(StrLength(e), 0);
    EXPECT_EQ(e[0], 0);
    EXPECT_EQ(RegistryCount(), base + 2);
    StrFree(s);
    StrFree(e);
    EXPECT_EQ(RegistryCount(), base);
}

TEST_F(StringStore, ReleaseKeepsOrderOfTheOthers) {
    RtString s1 = StrAlloc(1), s2 = StrAlloc(2), s3 = StrAlloc(3);
    StrFree(s2);
    EnterCriticalSection(&StringLock);
    ASSERT_EQ(StringRegistry.Count, base + 2);
    EXPECT_EQ(StringRegistry.Entries[base], s1);
    EXPECT_EQ(StringRegistry.Entries[base + 1], s3);
    LeaveCriticalSection(&StringLock);
    StrFree(s1);
    StrFree(s3);
    EXPECT_EQ(RegistryCount(), base);
    EXPECT_EQ(DebugCaptureText(), "");
}

TEST_F(StringStore, BadReleaseReportsAndChangesNothing) {
    RtString keep = StrAlloc(4);
    RtString gone = StrAlloc(4);
    StrFree(gone);
    int32_t before = RegistryCount();
    StrFree(gone);  // released twice
    EXPECT_EQ(DebugCaptureText(), kUnknownMessage);
    char fixed[] = "not a string";
    StrFree(fixed);  // never made by StrAlloc
    EXPECT_EQ(DebugCaptureText(), std::string(kUnknownMessage) + kUnknownMessage);
    EXPECT_EQ(RegistryCount(), before);
    StrFree(keep);
}

TEST_F(StringStore, ReleasingZeroIsSilent) {
    StrFree(nullptr);
    EXPECT_EQ(DebugCaptureText(), "");
    EXPECT_EQ(RegistryCount(), base);
}

TEST_F(StringStore, TwoThreadsLoseNoEntry) {
    const int kRounds = 3000;
    auto work = [](std::vector<RtString>* kept) {
        for (int i = 0; i < kRounds; i++) {
            RtString s = StrAlloc(i % 17);
            if (i % 3 == 0) kept->push_back(s);
            else StrFree(s);
        }
    };
    std::vector<RtString> a, b;
    std::thread other(work, &b);
    work(&a);
    other.join();
    EXPECT_EQ(RegistryCount(), base + (int32_t)(a.size() + b.size()));
    for (RtString s : a) StrFree(s);
    for (RtString s : b) StrFree(s);
    EXPECT_EQ(RegistryCount(), base);
    EXPECT_EQ(DebugCaptureText(), "");
}

}  // namespace

// The runtime assumes the Japanese ANSI code page; the tests run under it.
TEST(CodePage, IsShiftJis) {
    EXPECT_EQ(GetACP(), 932u);
    EXPECT_TRUE(IsDBCSLeadByte(0x81));
    EXPECT_TRUE(IsDBCSLeadByte(0xE0));
    EXPECT_FALSE(IsDBCSLeadByte('A'));
    EXPECT_FALSE(IsDBCSLeadByte(0xA0));
}
