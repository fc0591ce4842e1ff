// ValParse: every result bit for bit, grouped by form.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "test_support.h"

namespace {

uint64_t BitsOf(double d) {
    uint64_t b;
    memcpy(&b, &d, 8);
    return b;
}

struct Case {
    const char* text;
    double want;
};

void ExpectExact(const Case* cases, size_t n) {
    TestRuntimeStart();
    int32_t base = RegistryCount();
    for (size_t i = 0; i < n; i++) {
        double got = ValParse(cases[i].text);
        EXPECT_EQ(BitsOf(got), BitsOf(cases[i].want))
            << "\"" << cases[i].text << "\" gave " << got << " want " << cases[i].want;
    }
    EXPECT_EQ(RegistryCount(), base) << "the work copy must be released";
}

TEST(ValParse, Decimal) {
    const Case cases[] = {
        {"", 0.0},        {"123", 123.0}, {"-12.5", -12.5}, {" 5", 0.0},  {"5 ", 5.0},
        {"+5", 0.0},      {"12abc", 12.0}, {"1e5", 1.0},    {".5", 0.5},  {"-.5", -0.5},
        {"5.", 5.0},      {"1.2.3", 1.2},  {"\t5", 0.0},    {"0", 0.0},   {"007", 7.0},
        {"2147483648", 2147483648.0},
    };
    ExpectExact(cases, sizeof cases / sizeof *cases);
}

TEST(ValParse, SignOnlyGivesNegativeZero) {
    const Case cases[] = {{"-", -0.0}, {"--5", -0.0}, {"-&H10", -0.0}, {"-x", -0.0}};
    ExpectExact(cases, sizeof cases / sizeof *cases);
}

TEST(ValParse, StepwiseDoubleArithmetic) {
    // One unit in the last place above the nearest double: the sum is built
    // digit by digit, not converted as a whole.
    const Case cases[] = {
        {"1.15", 1.1500000000000001},
        {"3.14159", 3.1415900000000003},
    };
    ExpectExact(cases, sizeof cases / sizeof *cases);
    EXPECT_NE(BitsOf(ValParse("1.15")), BitsOf(1.15));
}

TEST(ValParse, PrefixForms) {
    const Case cases[] = {
        {"&H10", 16.0},
        {"&hff", 255.0},
        {"&HFFFF", 65535.0},
        {"&HFFFFFFFF", 4294967295.0},
        {"&H8000000000000000", -9223372036854775808.0},
        {"&H10000000000000000", 0.0},
        {"&H1G", 1.0},
        {"&O17", 15.0},
        {"&o8", 0.0},
        {"&H", 0.0},
        {"&", 0.0},
        {"&X1", 0.0},
        {"&O1000000000000000000000", -9223372036854775808.0},  // 22nd octal digit odd
        {"&O2000000000000000000000", 0.0},                     // and even
        {"&h\x82\xa0", 0.0},                                   // a Shift-JIS pair is no digit
    };
    ExpectExact(cases, sizeof cases / sizeof *cases);
}

TEST(ValParse, LongDigitStrings) {
    const std::string nines(309, '9');
    const std::string one = "1" + std::string(309, '0');  // 310th digit from the right
    const std::string huge = "1" + std::string(400, '0');
    // A zero adds nothing, also where its place value has grown to infinity.
    const std::string zeros(310, '0');
    const std::string leading = zeros + "1";
    const std::string negative = "-" + leading;
    const std::string huge_fraction = huge + ".5";
    const std::string fraction = "0." + std::string(400, '0') + "1";
    const Case cases[] = {
        {nines.c_str(), HUGE_VAL},  {one.c_str(), HUGE_VAL},     {huge.c_str(), HUGE_VAL},
        {zeros.c_str(), 0.0},       {leading.c_str(), 1.0},      {negative.c_str(), -1.0},
        {huge_fraction.c_str(), HUGE_VAL}, {fraction.c_str(), 0.0},
    };
    ExpectExact(cases, sizeof cases / sizeof *cases);
}

}  // namespace
