// The program's command-line arguments, and paths from the system's wide
// form into the ANSI code page as the input statement can take them. The
// arguments are split as the system splits them (CommandLineToArgvW: quotes
// group blanks, backslashes before a quote escape it), then converted.
//
// A path is taken exactly or not at all: in the code page with no character
// replaced, in at most the bytes a typed line holds, and with no comma (the
// input statement splits a line at its commas). A path that breaks one of
// these is taken in its short (8.3) form where the volume has one that keeps
// all three (for a file not made yet, its folder's short form and its own
// name); else it is refused, and the caller tells the user why.
#include "rt_core.h"

namespace {

// "は 255 バイトに収まりません", "はこのコード ページで書けません",
// "はコンマを含みます", then "（短い 8.3 形式の名前もありません）".
const char kTooLong[] = "\x82\xcd\x20\x32\x35\x35\x20\x83\x6f\x83\x43\x83\x67\x82\xc9\x8e\xfb\x82\xdc\x82\xe8\x82\xdc"
                        "\x82\xb9\x82\xf1";
const char kNotInCodePage[] = "\x82\xcd\x82\xb1\x82\xcc\x83\x52\x81\x5b\x83\x68\x20\x83\x79\x81\x5b\x83\x57\x82\xc5"
                              "\x8f\x91\x82\xaf\x82\xdc\x82\xb9\x82\xf1";
const char kHasComma[] = "\x82\xcd\x83\x52\x83\x93\x83\x7d\x82\xf0\x8a\xdc\x82\xdd\x82\xdc\x82\xb7";
const char kNoShortName[] = "\x81\x69\x92\x5a\x82\xa2\x20\x38\x2e\x33\x20\x8c\x60\x8e\xae\x82\xcc\x96\xbc\x91\x4f"
                            "\x82\xe0\x82\xa0\x82\xe8\x82\xdc\x82\xb9\x82\xf1\x81\x6a";

// Exact conversion only: no character may be replaced or guessed.
int32_t ExactAnsi(const WCHAR* wide, char* out, int32_t size) {
    BOOL lossy = FALSE;
    int32_t n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, nullptr, 0, nullptr, &lossy);
    if (n <= 0 || lossy) return RtPathNotInCodePage;
    if (n > size) return RtPathTooLong;
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, out, size, nullptr, nullptr);
    for (int32_t i = 0; out[i]; i++) {
        if (out[i] == ',') return RtPathHasComma;  // a trail byte is never a comma
    }
    return RtPathOk;
}

// The short form of a path, or of its folder with its last name as it is
// when the path does not exist yet (an output file to be made). False when
// the system has neither.
bool ShortForm(const WCHAR* wide, WCHAR* brief, DWORD size) {
    DWORD n = GetShortPathNameW(wide, brief, size);
    if (n > 0 && n < size) return true;
    int32_t slash = -1, length = 0;
    for (; wide[length]; length++) {
        if (wide[length] == L'\\' || wide[length] == L'/') slash = length;
    }
    if (slash <= 0 || length >= (int32_t)size) return false;
    WCHAR folder[1024];
    RtlMoveMemory(folder, wide, (size_t)slash * sizeof(WCHAR));
    folder[slash] = 0;
    n = GetShortPathNameW(folder, brief, size);
    if (n == 0 || n + (DWORD)(length - slash) >= size) return false;
    RtlMoveMemory(brief + n, wide + slash, (size_t)(length - slash + 1) * sizeof(WCHAR));
    return true;
}

}  // namespace

int32_t RtPathForInput(const WCHAR* wide, char* out, int32_t size) {
    const int32_t fit = ExactAnsi(wide, out, size);
    if (fit == RtPathOk) return fit;
    WCHAR brief[1024];
    if (ShortForm(wide, brief, 1024) && ExactAnsi(brief, out, size) == RtPathOk) return RtPathOk;
    out[0] = 0;
    return fit;
}

RtString RtPathRefusal(const char* subject, int32_t fit) {
    const char* why = fit == RtPathTooLong ? kTooLong : fit == RtPathHasComma ? kHasComma : kNotInCodePage;
    return StrConcat(StrConcat(StrFromText(subject), StrFromText(why)), StrFromText(kNoShortName));
}

int32_t RtArguments(RtString* out, int32_t* fit, int32_t most, int32_t lineBytes) {
    int argc = 0;
    WCHAR** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return 0;
    int32_t count = 0;
    char text[1024];
    // argv[0] is the program itself.
    for (int i = 1; i < argc && count < most; i++) {
        fit[count] = RtPathForInput(argv[i], text, lineBytes + 1 < (int32_t)sizeof text ? lineBytes + 1 : (int32_t)sizeof text);
        out[count++] = StrFromText(text);
    }
    LocalFree(argv);
    return argc > 1 ? argc - 1 : 0;
}
