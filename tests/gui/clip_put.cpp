// Test helper: puts text on the Windows clipboard as CF_TEXT, as another
// program would before the user presses Ctrl+V in the console.
//   clip_put TEXT      TEXT is UTF-8 on the Unix side, stored in the ANSI
//                      code page, after the escapes \r \n \t \\ \xHH
//   clip_put --empty   empties the clipboard (no text to paste)
#include "gui_helper.h"

#include <cstdio>
#include <cstring>

int main() {
    std::vector<std::wstring> args = WideArgs();
    if (args.size() != 2) {
        fprintf(stderr, "usage: clip_put TEXT | --empty\n");
        return 2;
    }
    bool empty = args[1] == L"--empty";
    std::string text = empty ? std::string() : Unescape(ToAnsi(args[1]));

    // Another program may hold the clipboard for a moment: try for 2 s.
    bool opened = false;
    for (int i = 0; i < 40 && !(opened = OpenClipboard(nullptr)); i++) Sleep(50);
    if (!opened) {
        fprintf(stderr, "clip_put: the clipboard cannot be opened\n");
        return 1;
    }
    EmptyClipboard();
    int rc = 0;
    if (!empty) {
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
        char* p = block ? (char*)GlobalLock(block) : nullptr;
        if (p) {
            memcpy(p, text.c_str(), text.size() + 1);
            GlobalUnlock(block);
            if (!SetClipboardData(CF_TEXT, block)) rc = 1;
        } else rc = 1;
    }
    CloseClipboard();
    if (rc) fprintf(stderr, "clip_put: the text could not be stored\n");
    return rc;
}
