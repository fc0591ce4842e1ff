// Joining, comparing, cutting and the small helpers around them. Every
// operation releases the strings it was given, on every path.
#include "rt_core.h"

int32_t Peek(const void* address) {
    int32_t value;
    RtlMoveMemory(&value, address, 4);
    return value;
}

RtString StrNew(int32_t n) { return StrAlloc(n); }

RtString StrConcat(RtString left, RtString right) {
    int32_t ll = StrLength(left), rl = StrLength(right);
    RtString r = StrAlloc(ll + rl);
    RtlMoveMemory(r, left, (size_t)ll);
    RtlMoveMemory(r + ll, right, (size_t)rl);
    StrFree(left);
    StrFree(right);
    return r;
}

int32_t StrCompare(RtString left, RtString right) {
    int32_t result = CompareStringA(LOCALE_SYSTEM_DEFAULT, 0, left, StrLength(left), right,
                                    StrLength(right));
    StrFree(left);
    StrFree(right);
    return result;
}

RtString StrLeft(RtString source, int32_t count) {
    // Counts outside 0..length are clamped so nothing beyond the source is read.
    int32_t length = StrLength(source);
    if (count < 0) count = 0;
    if (count > length) count = length;
    RtString r = StrNew(count);
    RtlMoveMemory(r, source, (size_t)count);
    StrFree(source);
    return r;
}

RtString StrMid(RtString source, int32_t start, int32_t length) {
    RtString r = StrAlloc(0);
    int64_t s = (int64_t)start - 1;  // 64 bits: start may be INT32_MIN
    int32_t total = StrLength(source);
    if (s >= 0 && s < total) {
        // A negative length is clamped to 0, which means "the whole rest".
        if (length <= 0 || length > total - s) length = (int32_t)(total - s);
        StrFree(r);
        r = StrNew(length);
        RtlMoveMemory(r, source + s, (size_t)length);
    }
    StrFree(source);
    return r;
}

int32_t StrAsc(RtString s) {
    int32_t code = (unsigned char)s[0];
    StrFree(s);
    return code;
}

RtString StrFromText(const char* text) {
    int32_t n = lstrlenA(text);
    RtString r = StrAlloc(n);
    lstrcpyA(r, text);
    return r;
}

RtString StrCopy(const char* variable) {
    int32_t n = StrLength(variable);
    RtString r = StrAlloc(n);
    RtlMoveMemory(r, variable, (size_t)n);
    return r;
}

void StrAssign(RtString* variable, RtString value) {
    StrFree(*variable);
    *variable = value;
}

void StrCut(RtString s, int32_t n) {
    if (n < 0 || n >= StrLength(s)) return;
    RtlMoveMemory(s - 4, &n, 4);
    s[n] = 0;
}
