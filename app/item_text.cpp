// Conversions between the console's code page and the input's encoding.
// Items pass to the output as the bytes they are; only the typed texts are
// converted, once per run, to the output's encoding; an item of a UTF-8 or
// UTF-16 input goes to the console as UTF-16 (only as much of it as a row
// can show), the characters it has, whatever the code page lacks. Conversions go through UTF-16 in one buffer kept for the run,
// so an item costs no heap call beyond its own string.
#include "item_text.h"

#include <cstring>

#include "rt_console.h"
#include "rt_file.h"

namespace {

// Program thread only.
struct ItemTextState {
    WCHAR* Wide;     // heap block of Capacity units, or nullptr
    uint32_t Capacity;
};
ItemTextState ItemText;

WCHAR* WideBuffer(uint32_t units) {
    if (units > ItemText.Capacity) {
        uint32_t capacity = units < 256 ? 256 : units;
        if (ItemText.Wide) HeapFree(RtHeap, 0, ItemText.Wide);
        ItemText.Wide = (WCHAR*)RtHeapAlloc(capacity * (uint32_t)sizeof(WCHAR), false);
        ItemText.Capacity = capacity;
    }
    return ItemText.Wide;
}

bool IsUtf16(int32_t encoding) { return encoding == FileEncodingUtf16Le || encoding == FileEncodingUtf16Be; }

// UTF-16 units as bytes in the encoding's byte order.
RtString UnitsToBytes(const WCHAR* units, int32_t n, bool big_endian) {
    RtString s = StrAlloc(n * 2);
    for (int32_t i = 0; i < n; i++) {
        const unsigned char lo = (unsigned char)units[i], hi = (unsigned char)(units[i] >> 8);
        s[2 * i] = (char)(big_endian ? hi : lo);
        s[2 * i + 1] = (char)(big_endian ? lo : hi);
    }
    return s;
}

// Wide text in UTF-8.
RtString WideToUtf8(const WCHAR* wide, int32_t n) {
    if (n == 0) return StrAlloc(0);
    int32_t bytes = WideCharToMultiByte(CP_UTF8, 0, wide, n, nullptr, 0, nullptr, nullptr);
    RtString s = StrAlloc(bytes);
    WideCharToMultiByte(CP_UTF8, 0, wide, n, s, bytes, nullptr, nullptr);
    return s;
}

}  // namespace

RtString TextToEncoding(const char* ansi, int32_t length, int32_t encoding) {
    if (encoding == FileEncodingAnsi || length == 0) {
        RtString s = StrAlloc(length);
        memcpy(s, ansi, (size_t)length);
        return s;
    }
    WCHAR* wide = WideBuffer((uint32_t)length);
    int32_t n = MultiByteToWideChar(CP_ACP, 0, ansi, length, wide, length);
    if (IsUtf16(encoding)) return UnitsToBytes(wide, n, encoding == FileEncodingUtf16Be);
    return WideToUtf8(wide, n);
}

void ItemToConsole(const char* bytes, int32_t length, int32_t encoding) {
    if (encoding == FileEncodingAnsi) {
        RtString s = StrAlloc(length);
        memcpy(s, bytes, (size_t)length);
        ConPrint(s);
        return;
    }
    // A console row shows at most 254 cells, and every character takes at
    // least one: the first 256 characters are all it can show of an item.
    // A UTF-8 prefix of 1,024 bytes holds them; a sequence it cuts in two
    // lies behind them.
    const int32_t kShown = 256;
    int32_t n;
    WCHAR* wide;
    if (IsUtf16(encoding)) {
        if (length > 2 * kShown) length = 2 * kShown;
        n = length / 2;
        wide = WideBuffer((uint32_t)n + 1);
        const bool big = encoding == FileEncodingUtf16Be;
        for (int32_t i = 0; i < n; i++) {
            const unsigned char a = (unsigned char)bytes[2 * i], b = (unsigned char)bytes[2 * i + 1];
            wide[i] = (WCHAR)(big ? a << 8 | b : b << 8 | a);
        }
        if (length % 2) wide[n++] = 0xFFFD;  // the file's odd last byte
    } else {
        if (length > 4 * kShown) length = 4 * kShown;
        wide = WideBuffer((uint32_t)length);
        n = length ? MultiByteToWideChar(CP_UTF8, 0, bytes, length, wide, length) : 0;
    }
    ConPrintWide(wide, n);
}

int32_t FirstBlank(const char* bytes, int32_t length, int32_t encoding) {
    if (!IsUtf16(encoding)) {
        const void* blank = memchr(bytes, ' ', (size_t)length);
        return blank ? (int32_t)((const char*)blank - bytes) : -1;
    }
    const int32_t at = encoding == FileEncodingUtf16Be ? 1 : 0;  // the byte that holds 0x20
    for (int32_t i = 0; i + 1 < length; i += 2) {
        if (bytes[i + at] == ' ' && bytes[i + 1 - at] == 0) return i;
    }
    return -1;
}

RtString ByteOrderMark(int32_t encoding) {
    switch (encoding) {
    case FileEncodingUtf8Bom: return StrFromText("\xEF\xBB\xBF");
    case FileEncodingUtf16Le: return StrFromText("\xFF\xFE");
    case FileEncodingUtf16Be: return StrFromText("\xFE\xFF");
    default: return StrAlloc(0);
    }
}

const char* EncodingName(int32_t encoding) {
    switch (encoding) {
    case FileEncodingUtf8: return "UTF-8";
    case FileEncodingUtf8Bom: return "UTF-8 (BOM)";
    case FileEncodingUtf16Le: return "UTF-16 LE";
    case FileEncodingUtf16Be: return "UTF-16 BE";
    default: return "ANSI";
    }
}

void ItemTextRelease() {
    if (ItemText.Wide) HeapFree(RtHeap, 0, ItemText.Wide);
    ItemText = ItemTextState{};
}
