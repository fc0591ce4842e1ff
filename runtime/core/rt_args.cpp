// The program's command-line arguments, and paths from the system's wide
// form into the ANSI code page. The arguments are split as the system
// splits them (CommandLineToArgvW: quotes group blanks, backslashes before
// a quote escape it), then converted; a path the code page cannot spell is
// taken in its short (8.3) form where the volume has one.
#include "rt_core.h"

namespace {

// Exact conversion only: no character may be replaced or guessed.
bool ExactAnsi(const WCHAR* wide, char* out, int32_t size) {
    BOOL lossy = FALSE;
    int32_t n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, out, size, nullptr, &lossy);
    return n > 0 && !lossy;
}

}  // namespace

bool RtWideToAnsi(const WCHAR* wide, char* out, int32_t size) {
    if (ExactAnsi(wide, out, size)) return true;
    WCHAR brief[1024];
    DWORD n = GetShortPathNameW(wide, brief, 1024);
    return n > 0 && n < 1024 && ExactAnsi(brief, out, size);
}

int32_t RtArguments(RtString* out, int32_t most) {
    int argc = 0;
    WCHAR** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return 0;
    int32_t count = 0;
    char text[1024];
    // argv[0] is the program itself.
    for (int i = 1; i < argc && count < most; i++) {
        if (!RtWideToAnsi(argv[i], text, sizeof text)) text[0] = '?', text[1] = 0;
        out[count++] = StrFromText(text);
    }
    LocalFree(argv);
    return count;
}
