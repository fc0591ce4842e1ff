// Test helper: prints what the Windows clipboard holds as text, as another
// program would paste it: the CF_TEXT bytes and the CF_UNICODETEXT code
// units, each in hex up to (not with) its NUL, on lines "text=" and
// "unicode=" (a line "none" for a format not there).
#include "gui_helper.h"

#include <cstdio>

int main() {
    bool opened = false;
    for (int i = 0; i < 40 && !(opened = OpenClipboard(nullptr)); i++) Sleep(50);
    if (!opened) {
        fprintf(stderr, "clip_get: the clipboard cannot be opened\n");
        return 1;
    }
    HANDLE text = GetClipboardData(CF_TEXT);
    const unsigned char* t = text ? (const unsigned char*)GlobalLock(text) : nullptr;
    printf("text=");
    if (t) {
        for (; *t; t++) printf("%02x", *t);
        GlobalUnlock(text);
    } else printf("none");
    printf("\nunicode=");
    HANDLE wide = GetClipboardData(CF_UNICODETEXT);
    const WCHAR* w = wide ? (const WCHAR*)GlobalLock(wide) : nullptr;
    if (w) {
        for (; *w; w++) printf("%02x%02x", *w & 0xFF, *w >> 8);  // little-endian bytes
        GlobalUnlock(wide);
    } else printf("none");
    printf("\n");
    CloseClipboard();
    return 0;
}
