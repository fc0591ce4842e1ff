// String operations: results, and that every argument is released on every
// path (the registry count comes back to where it was).
#include <gtest/gtest.h>

#include "test_support.h"

namespace {

class StringOps : public ::testing::Test {
protected:
    void SetUp() override {
        TestRuntimeStart();
        base = RegistryCount();
        DebugCaptureClear();
    }
    void TearDown() override {
        EXPECT_EQ(RegistryCount(), base) << "a string leaked or was released twice";
        EXPECT_EQ(DebugCaptureText(), "");
    }
    // Runs an operation producing a string, returns its bytes and frees it.
    static std::string Take(RtString r) {
        std::string out = Bytes(r);
        EXPECT_EQ(r[StrLength(r)], 0) << "terminator";
        StrFree(r);
        return out;
    }
    int32_t base = 0;
};

TEST_F(StringOps, Concat) {
    EXPECT_EQ(Take(StrConcat(StrFromText("ab"), StrFromText("cde"))), "abcde");
    EXPECT_EQ(Take(StrConcat(StrAlloc(0), StrAlloc(0))), "");
    RtString withNul = StrAlloc(3);
    withNul[1] = 'x';
    EXPECT_EQ(Take(StrConcat(withNul, StrFromText("y"))), std::string("\0x\0y", 4));
}

TEST_F(StringOps, CompareEquality) {
    struct Case { const char* a; const char* b; bool equal; } cases[] = {
        {"", "", true}, {" ", " ", true}, {"a", " ", false}, {"abc", "abc", true},
        {"abc", "ABC", false}, {"\x82\xa0", "\x82\xa0", true}, {"a", "ab", false},
    };
    for (const Case& c : cases) {
        int32_t r = StrCompare(StrFromText(c.a), StrFromText(c.b));
        EXPECT_EQ(r == 2, c.equal) << c.a << " vs " << c.b << " gave " << r;
        EXPECT_GE(r, 1);
        EXPECT_LE(r, 3);
    }
}

// The linguistic order is only the real system's: letters sort before case.
TEST_F(StringOps, CompareOrderOnTheRealSystem) {
    if (!kRealWindows) GTEST_SKIP() << "the stand-in orders by bytes";
    EXPECT_EQ(StrCompare(StrFromText("a"), StrFromText("b")), 1);
    EXPECT_EQ(StrCompare(StrFromText("b"), StrFromText("a")), 3);
    EXPECT_EQ(StrCompare(StrFromText("a"), StrFromText("B")), 1);  // bytes would say 3
    EXPECT_EQ(StrCompare(StrFromText("B"), StrFromText("a")), 3);
}

TEST_F(StringOps, Left) {
    struct Case { int32_t count; const char* want; } cases[] = {
        {0, ""}, {1, "a"}, {3, "abc"}, {-5, ""}, {4, "abc"}, {INT32_MAX, "abc"},
    };
    for (const Case& c : cases) EXPECT_EQ(Take(StrLeft(StrFromText("abc"), c.count)), c.want) << c.count;
}

TEST_F(StringOps, Mid) {
    struct Case { int32_t start, length; const char* want; } cases[] = {
        {2, 1, "b"}, {3, 5, "c"}, {4, 1, ""}, {0, 1, ""}, {-3, 2, ""}, {2, 0, "bc"},
        {1, 3, "abc"}, {1, -1, "abc"}, {2, INT32_MIN, "bc"}, {INT32_MIN, 1, ""},
        {INT32_MAX, 1, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Take(StrMid(StrFromText("abc"), c.start, c.length)), c.want)
            << c.start << "," << c.length;
}

TEST_F(StringOps, AscNewPeek) {
    EXPECT_EQ(StrAsc(StrAlloc(0)), 0);
    EXPECT_EQ(StrAsc(StrFromText("\x81\x40")), 129);
    EXPECT_EQ(StrAsc(StrFromText("A")), 65);
    RtString n = StrNew(5);
    EXPECT_EQ(Peek(n - 4), 5);
    EXPECT_EQ(Take(n), std::string(5, '\0'));
}

TEST_F(StringOps, CopyAndAssignKeepTheVariable) {
    RtString variable = StrFromText("keep me");
    EXPECT_EQ(Take(StrCopy(variable)), "keep me");
    StrAssign(&variable, StrFromText("next"));
    EXPECT_EQ(Take(variable), "next");
}

}  // namespace
