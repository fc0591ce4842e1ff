// The console as the program uses it, in both builds: the input statement
// fed by a test thread typing into the window. One console for the whole test program (the real window system
// allows one registration of the class per process).
#include <gtest/gtest.h>

#include "console_driver.h"
#include "test_support.h"

namespace {

const std::string kTooMany =
    "\x93\xfc\x97\xcd\x83\x66\x81\x5b\x83\x5e\x82\xcc\x8c\xc2\x90\x94\x82\xaa\x91\xbd\x82\xb7\x82\xac\x82\xdc\x82\xb7";
const std::string kTooFew =
    "\x93\xfc\x97\xcd\x83\x66\x81\x5b\x83\x5e\x82\xcc\x8c\xc2\x90\x94\x82\xaa\x91\xab\x82\xe8\x82\xdc\x82\xb9\x82\xf1";

class ConsoleSession : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ConsoleStart(); }
    static void TearDownTestSuite() { ConsoleEndSession(); }
    void SetUp() override { ASSERT_TRUE(ConsoleWindowIsReady()); }

    // The n rows above the cursor's row, top first.
    static std::vector<std::string> RowsAbove(int n) {
        std::vector<std::string> rows;
        for (int i = n; i >= 1; i--) rows.push_back(ConsoleGridRow(ConsoleCursorRow() - i));
        return rows;
    }
};

struct InputCase {
    const char* name;
    std::vector<int32_t> types;          // TypeString or TypeInt32 per variable
    std::vector<std::string> lines;      // typed, each ended by Enter
    std::vector<std::string> complaints; // the row after each rejected line
    std::vector<std::string> values;     // the variables afterwards
};

const InputCase kInputCases[] = {
    {"EmptyLineFits", {TypeString}, {""}, {}, {""}},
    {"TooManyAsksAgain", {TypeString}, {"a,b", "c"}, {kTooMany}, {"c"}},
    {"TrailingCommaIsTooMany", {TypeString}, {"a,", "d"}, {kTooMany}, {"d"}},
    {"TooFewAsksAgain", {TypeString, TypeString}, {"a", "p,q"}, {kTooFew}, {"p", "q"}},
    {"TrailingCommaGivesEmptySecond", {TypeString, TypeString}, {"a,"}, {}, {"a", ""}},
    {"BlankBeforeNumberGivesZero", {TypeInt32, TypeInt32}, {"1, 2"}, {}, {"1", "0"}},
    {"QuotesDoNotProtectCommas", {TypeString, TypeString}, {"\"a,b\""}, {}, {"\"a", "b\""}},
    {"BlanksAreKept", {TypeString}, {" x "}, {}, {" x "}},
    {"DoubleByteLineByteForByte", {TypeString}, {"\x82\xa0\x93\xfa"}, {}, {"\x82\xa0\x93\xfa"}},
    {"ManyRejectionsThenFit", {TypeString}, {",", "a,b,c", "z"}, {kTooMany, kTooMany}, {"z"}},
};

TEST_F(ConsoleSession, InputStatementSplitsAndAsksAgain) {
    for (const InputCase& c : kInputCases) {
        SCOPED_TRACE(c.name);
        RtString strings[4];
        int32_t numbers[4] = {77, 77, 77, 77};
        for (size_t i = 0; i < c.types.size(); i++) {
            strings[i] = StrFromText("old");
            ValueList.ValueAddress[i] = c.types[i] == TypeString ? (void*)&strings[i] : (void*)&numbers[i];
            ValueList.ValueType[i] = c.types[i];
        }
        ValueList.ValueAddress[c.types.size()] = nullptr;
        ConPrint(StrFromText("\r\n"));  // start at column 0 of a fresh row

        int32_t before = RegistryCount();
        ConsoleTypist typist(c.lines);
        ConInput(StrFromText(" ? "));
        typist.join();
        ASSERT_TRUE(typist.ok());
        EXPECT_EQ(ConLineLength(), -1);
        // The prompt and the strings of the statement are released; the
        // variables hold fresh strings in place of the old ones.
        EXPECT_EQ(RegistryCount(), before);

        // On screen: each line after its prompt, each rejection's message on
        // the next row, and the cursor at the start of the row after the last.
        std::vector<std::string> expected;
        for (size_t i = 0; i < c.lines.size(); i++) {
            expected.push_back(" ? " + c.lines[i]);
            if (i < c.complaints.size()) expected.push_back(c.complaints[i]);
        }
        EXPECT_EQ(RowsAbove((int)expected.size()), expected);
        EXPECT_EQ(ConsoleCursorCol(), 0);

        for (size_t i = 0; i < c.types.size(); i++) {
            if (c.types[i] == TypeString) EXPECT_EQ(Bytes(strings[i]), c.values[i]) << i;
            else EXPECT_EQ(std::to_string(numbers[i]), c.values[i]) << i;
            StrFree(strings[i]);
        }
    }
}

// What a rejected line leaves in the variables before the question is asked
// again: the items it had, and the old values beyond them.
TEST_F(ConsoleSession, RejectedLineLeavesItsItemsStored) {
    RtString first = StrFromText("old1"), second = StrFromText("old2");
    ValueList.ValueAddress[0] = &first;
    ValueList.ValueType[0] = TypeString;
    ValueList.ValueAddress[1] = &second;
    ValueList.ValueType[1] = TypeString;
    ValueList.ValueAddress[2] = nullptr;
    std::vector<std::string> seen;
    ConsoleTypist typist({"a", "b,c,d", "e,f"}, [&](size_t i) {
        if (i > 0) seen.push_back(Bytes(first) + "|" + Bytes(second));
    });
    ConInput(StrFromText("? "));
    typist.join();
    ASSERT_TRUE(typist.ok());
    EXPECT_EQ(seen, (std::vector<std::string>{"a|old2", "b|c"}));
    EXPECT_EQ(Bytes(first), "e");
    EXPECT_EQ(Bytes(second), "f");
    StrFree(first);
    StrFree(second);
}

}  // namespace
