// Fuzzes ValParse with any bytes (read up to the first NUL, as callers pass
// it). For every input: no NaN, no string left behind. For a decimal input
// with at most 40 digits the result is compared with a plain reading of the
// same digits (strtod): the conversion adds each digit's product or quotient
// in doubles, so with n digits it may be off by at most about 2n roundings
// of 2^-53 each; the check allows (2n + 8) of them. Integers of at most 15
// significant digits involve no rounding at all and must be exact.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_console.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool started = (RtStartup(), true);
    (void)started;
    std::string text((const char*)data, size);
    text.resize(strlen(text.c_str()));

    int32_t strings = FuzzLiveStrings();
    double got = ValParse(text.c_str());
    FuzzCheck(!std::isnan(got), "NaN");
    FuzzCheck(FuzzLiveStrings() == strings, "a string left behind");
    if (text[0] == '&') return 0;

    // The same grammar, read plainly: [-]digits[.digits], the rest ignored.
    size_t p = text[0] == '-' ? 1 : 0;
    std::string digits, fraction;
    while (p < text.size() && text[p] >= '0' && text[p] <= '9') digits += text[p++];
    if (p < text.size() && text[p] == '.')
        for (p++; p < text.size() && text[p] >= '0' && text[p] <= '9'; p++) fraction += text[p];
    size_t n = digits.size() + fraction.size();
    size_t significant = digits.size() - std::min(digits.size(), digits.find_first_not_of('0'));
    // A digit beyond the 309th place meets an infinite place value.
    if (significant >= 310) FuzzCheck(std::isinf(got), "a number beyond 10^309 is finite");
    if (n > 40) return 0;
    double plain = strtod(("0" + digits + "." + fraction + "0").c_str(), nullptr);
    if (text[0] == '-') plain = -plain;
    FuzzCheck(std::signbit(got) == std::signbit(plain), "the sign differs from a plain reading");
    bool fractionZero = fraction.find_first_not_of('0') == std::string::npos;
    if (significant <= 15 && fractionZero) {
        FuzzCheck(got == plain, "a short integer is not exact");
    } else {
        double allowed = (double)(2 * n + 8) * std::ldexp(std::fabs(plain), -53);
        FuzzCheck(std::fabs(got - plain) <= allowed, "further from a plain reading than the roundings allow");
    }
    return 0;
}
