// Host stand-in: MultiByteToWideChar and WideCharToMultiByte for the two
// code pages the runtime uses. UTF-8 is decoded and encoded here (invalid
// bytes give U+FFFD one by one, surrogates encode as three bytes each);
// code page 932 goes through glibc's iconv CP932, one character at a time so
// that a character without a mapping can take the default character.
#include "platform.h"

#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <string>

namespace {

// Code points of src (the code page's bytes).
std::u16string Decode(UINT cp, const unsigned char* s, size_t n) {
    std::u16string out;
    if (cp == CP_UTF8) {
        for (size_t i = 0; i < n;) {
            uint32_t c = s[i], len = c < 0x80 ? 1 : c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3
                                              : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
            uint32_t cp32 = len == 2 ? c & 0x1F : len == 3 ? c & 0x0F : c & 0x07;
            size_t k = 1;
            for (; len > 1 && k < len && i + k < n && (s[i + k] & 0xC0) == 0x80; k++)
                cp32 = cp32 << 6 | (s[i + k] & 0x3F);
            bool ok = len == 1 || (len > 1 && k == len && cp32 >= (len == 3 ? 0x800u : len == 4 ? 0x10000u : 0x80u) &&
                                   cp32 <= 0x10FFFF && (cp32 < 0xD800 || cp32 > 0xDFFF));
            if (len == 1) cp32 = c;
            if (!ok) {
                out += u'\xFFFD';
                i += 1;
                continue;
            }
            if (cp32 >= 0x10000) {
                out += (char16_t)(0xD800 + ((cp32 - 0x10000) >> 10));
                out += (char16_t)(0xDC00 + ((cp32 - 0x10000) & 0x3FF));
            } else {
                out += (char16_t)cp32;
            }
            i += len;
        }
        return out;
    }
    iconv_t cd = iconv_open("UTF-16LE", "CP932");
    for (size_t i = 0; i < n;) {
        size_t len = IsDBCSLeadByte(s[i]) && i + 1 < n ? 2 : 1;
        char16_t unit[2] = {u'\xFFFD', 0};
        char* in = (char*)s + i;
        char* to = (char*)unit;
        size_t inleft = len, outleft = sizeof unit;
        size_t r = iconv(cd, &in, &inleft, &to, &outleft);
        if (r == (size_t)-1 && s[i] < 0x80) unit[0] = s[i];
        out.append(unit, (sizeof unit - outleft) / 2 ? (sizeof unit - outleft) / 2 : 1);
        i += len;
    }
    iconv_close(cd);
    return out;
}

// The code page's bytes for src.
std::string Encode(UINT cp, const char16_t* s, size_t n, char def, BOOL* used) {
    std::string out;
    if (cp == CP_UTF8) {
        for (size_t i = 0; i < n; i++) {
            uint32_t c = s[i];
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF)
                c = 0x10000 + ((c - 0xD800) << 10) + (s[++i] - 0xDC00);
            if (c < 0x80) out += (char)c;
            else if (c < 0x800) out += {(char)(0xC0 | c >> 6), (char)(0x80 | (c & 0x3F))};
            else if (c < 0x10000)
                out += {(char)(0xE0 | c >> 12), (char)(0x80 | (c >> 6 & 0x3F)), (char)(0x80 | (c & 0x3F))};
            else
                out += {(char)(0xF0 | c >> 18), (char)(0x80 | (c >> 12 & 0x3F)), (char)(0x80 | (c >> 6 & 0x3F)),
                        (char)(0x80 | (c & 0x3F))};
        }
        return out;
    }
    iconv_t cd = iconv_open("CP932", "UTF-16LE");
    for (size_t i = 0; i < n; i++) {
        size_t len = s[i] >= 0xD800 && s[i] <= 0xDBFF && i + 1 < n && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF ? 2 : 1;
        char bytes[8];
        char* in = (char*)(s + i);
        char* to = bytes;
        size_t inleft = len * 2, outleft = sizeof bytes;
        if (iconv(cd, &in, &inleft, &to, &outleft) == (size_t)-1 || inleft) {
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            out += def;
            if (used) *used = TRUE;
        } else {
            out.append(bytes, sizeof bytes - outleft);
        }
        i += len - 1;
    }
    iconv_close(cd);
    return out;
}

}  // namespace

int WINAPI MultiByteToWideChar(UINT cp, DWORD, LPCSTR src, int srclen, LPWSTR dst, int dstlen) {
    if (!src || (cp != CP_ACP && cp != CP_UTF8)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t n = srclen < 0 ? strlen(src) + 1 : (size_t)srclen;
    std::u16string wide = Decode(cp, (const unsigned char*)src, n);
    if (dstlen == 0) return (int)wide.size();
    if (wide.size() > (size_t)dstlen) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    memcpy(dst, wide.data(), wide.size() * 2);
    return (int)wide.size();
}

int WINAPI WideCharToMultiByte(UINT cp, DWORD, LPCWSTR src, int srclen, LPSTR dst, int dstlen,
                               LPCSTR defchar, LPBOOL used_default) {
    if (!src || (cp != CP_ACP && cp != CP_UTF8)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t n = srclen;
    if (srclen < 0)
        for (n = 1; src[n - 1]; n++) {}
    if (used_default) *used_default = FALSE;
    std::string bytes = Encode(cp, src, n, defchar ? *defchar : '?', used_default);
    if (dstlen == 0) return (int)bytes.size();
    if (bytes.size() > (size_t)dstlen) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    memcpy(dst, bytes.data(), bytes.size());
    return (int)bytes.size();
}
