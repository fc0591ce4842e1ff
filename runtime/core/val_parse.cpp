// ValParse: the numeric text conversion of the input statements. Decimal with
// an optional minus and fraction, or "&H"/"&O" integers. The arithmetic is
// done step by step in doubles in a fixed order, so results are exactly
// reproducible (and sometimes differ from a library conversion: 1.15 gives
// 1.1500000000000001). A digit 0 adds nothing and is skipped, so that a zero
// never meets a place value that has grown to infinity (which would give
// NaN): many leading zeros still read as the number after them. Build with
// SSE doubles: x87 extended precision would round differently.
#include "rt_core.h"

static double ParsePrefixed(const char* text) {
    double result = 0;
    RtString copy = StrNew(lstrlenA(text));
    lstrcpyA(copy, text);
    CharUpperA(copy);
    int base = copy[1] == 'O' ? 8 : copy[1] == 'H' ? 16 : 0;
    if (base) {
        int32_t count = 0;
        for (unsigned char* p = (unsigned char*)copy + 2;; ++p, ++count) {
            int digit;
            if (*p >= '0' && *p <= '9') digit = *p - '0';
            else if (base == 16 && *p >= 'A' && *p <= 'F') digit = *p - 'A' + 10;
            else break;
            if (digit >= base) break;
            *p = (unsigned char)digit;
        }
        uint64_t place = 1;
        for (int32_t i = count - 1; i >= 0; --i) {
            uint64_t digit = (unsigned char)copy[2 + i];
            result = result + (double)(int64_t)(place * digit);
            place = place * (uint64_t)base;
        }
    }
    StrFree(copy);
    return result;
}

double ValParse(const char* text) {
    if (text[0] == '&') return ParsePrefixed(text);
    double result = 0;
    const char* p = text;
    bool negative = false;
    if (*p == '-') {
        negative = true;
        ++p;
    }
    int32_t n = 0;
    while (p[n] >= '0' && p[n] <= '9') ++n;
    double place = 1.0;
    for (int32_t i = n - 1; i >= 0; --i) {
        if (p[i] != '0') result = result + (double)(p[i] - '0') * place;
        place = place * 10.0;
    }
    if (p[n] == '.') {
        place = 10.0;
        for (const char* q = p + n + 1; *q >= '0' && *q <= '9'; ++q) {
            if (*q != '0') result = result + (double)(*q - '0') / place;
            place = place * 10.0;
        }
    }
    if (negative) result = result * -1.0;
    return result;
}
