// StoreItem: narrowing to each type code, and the string store's ownership.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "test_support.h"

namespace {

class ValueListTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestRuntimeStart();
        base = RegistryCount();
    }
    // Stores text into one variable of the given type and returns its bytes.
    template <typename T>
    T Store(int32_t type, const char* text, T initial = T{}) {
        T variable = initial;
        ValueList.ValueAddress[0] = &variable;
        ValueList.ValueType[0] = type;
        ValueList.ValueAddress[1] = nullptr;
        StoreItem(0, text);
        return variable;
    }
    int32_t base = 0;
};

TEST_F(ValueListTest, Int32RoundsHalfToEven) {
    struct Case { const char* text; int32_t want; } cases[] = {
        {"2.5", 2}, {"3.5", 4}, {"-2.5", -2}, {"-3.5", -4}, {"2.4999", 2}, {"0.5", 0},
        {"1.5", 2}, {"abc", 0}, {"-", 0}, {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN}, {"2147483647.5", INT32_MIN}, {"3000000000", INT32_MIN},
        {"-2147483649", INT32_MIN},
    };
    for (const auto& c : cases) EXPECT_EQ(Store<int32_t>(TypeInt32, c.text), c.want) << c.text;
}

TEST_F(ValueListTest, NotANumberAndInfinityGiveTheLowestInt) {
    EXPECT_EQ(RoundToInt32(std::numeric_limits<double>::quiet_NaN()), INT32_MIN);
    EXPECT_EQ(RoundToInt32(INFINITY), INT32_MIN);
    EXPECT_EQ(RoundToInt32(-INFINITY), INT32_MIN);
    EXPECT_EQ(Store<int32_t>(TypeInt32, ("1" + std::string(400, '0')).c_str()), INT32_MIN);
    // Leading zeros, however many, are no infinity: the number after them is stored.
    EXPECT_EQ(Store<int32_t>(TypeInt32, (std::string(310, '0') + "1").c_str()), 1);
}

TEST_F(ValueListTest, SmallIntegersKeepTheLowBits) {
    EXPECT_EQ(Store<int16_t>(TypeInt16, "70000"), 4464);
    EXPECT_EQ(Store<int8_t>(TypeInt8, "300"), 44);
    EXPECT_EQ(Store<uint16_t>(TypeInt16, "-1"), 0xFFFF);
    EXPECT_EQ(Store<uint8_t>(TypeInt8, "-1"), 0xFF);
    EXPECT_EQ(Store<int16_t>(TypeInt16, "3000000000"), 0);
    EXPECT_EQ(Store<int8_t>(TypeInt8, "3000000000"), 0);
    // Only the variable's own bytes are written.
    struct { int8_t v; uint8_t guard[3]; } packed = {0, {0xAA, 0xAA, 0xAA}};
    ValueList.ValueAddress[0] = &packed.v;
    ValueList.ValueType[0] = TypeInt8;
    StoreItem(0, "-1");
    EXPECT_EQ(packed.guard[0], 0xAA);
}

TEST_F(ValueListTest, SingleAndDouble) {
    EXPECT_EQ(Store<float>(TypeSingle, "1.15"), (float)1.1500000000000001);
    EXPECT_EQ(Store<double>(TypeDouble, "1.15"), 1.1500000000000001);
    EXPECT_EQ(Store<float>(TypeSingle, ("1" + std::string(39, '0')).c_str()), INFINITY);
    EXPECT_EQ(Store<float>(TypeSingle, ("-1" + std::string(39, '0')).c_str()), -INFINITY);
    // Just above the largest single still rounds down to it.
    EXPECT_EQ(RoundToSingle((double)FLT_MAX + std::ldexp(1.0, 102)), FLT_MAX);
    EXPECT_EQ(RoundToSingle((double)FLT_MAX + std::ldexp(1.0, 103)), INFINITY);
    EXPECT_TRUE(std::isnan(RoundToSingle(std::nan(""))));
}

TEST_F(ValueListTest, StringReplacesAndReleasesTheOldValue) {
    RtString variable = StrFromText("old");
    ValueList.ValueAddress[0] = &variable;
    ValueList.ValueType[0] = TypeString;
    StoreItem(0, " x ");
    EXPECT_EQ(Bytes(variable), " x ");
    EXPECT_EQ(RegistryCount(), base + 1);  // the old one is gone
    StoreItem(0, "\"q,\x82\xa0\"");
    EXPECT_EQ(Bytes(variable), "\"q,\x82\xa0\"");
    StrFree(variable);
    EXPECT_EQ(RegistryCount(), base);
}

TEST_F(ValueListTest, UnknownCodesStoreNothing) {
    for (int32_t code : {0, 2, 4, 6, 7, 11, -1}) {
        EXPECT_EQ(Store<int32_t>(code, "123", 77), 77) << code;
    }
}

}  // namespace

namespace {
TEST(ValueListCount, CountsEveryItemHandedOver) {
    TestRuntimeStart();
    int32_t a = 0, b = 0;
    ValueList.ValueAddress[0] = &a;
    ValueList.ValueType[0] = TypeInt32;
    ValueList.ValueAddress[1] = &b;
    ValueList.ValueType[1] = 7;  // dropped, but counted
    ValueList.ValueAddress[2] = nullptr;
    ValueList.StoreCount = 0;
    StoreItem(0, "1");
    StoreItem(1, "2");
    EXPECT_EQ(ValueList.StoreCount, 2);
    EXPECT_EQ(a, 1);
}
}  // namespace
