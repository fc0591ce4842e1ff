// The console input statement: prompt, the line requested from the window
// thread through the LineMailbox, and its comma-separated items stored
// through the value list.
#include "rt_console.h"

namespace {

// "入力データの個数が多すぎます" and "入力データの個数が足りません", CR LF.
const char kTooMany[] =
    "\x93\xfc\x97\xcd\x83\x66\x81\x5b\x83\x5e\x82\xcc\x8c\xc2\x90\x94\x82\xaa\x91\xbd\x82\xb7\x82\xac"
    "\x82\xdc\x82\xb7\r\n";
const char kTooFew[] =
    "\x93\xfc\x97\xcd\x83\x66\x81\x5b\x83\x5e\x82\xcc\x8c\xc2\x90\x94\x82\xaa\x91\xab\x82\xe8\x82\xdc"
    "\x82\xb9\x82\xf1\r\n";

// Prompts, requests a line and waits until the window thread completes it.
void ReadLine(RtString prompt) {
    ConPrint(StrCopy(prompt));
    // Everything printed so far is on the screen before the line is typed.
    SendMessageA(ConsoleWindow.WindowHandle, WM_CON_FLUSH, 0, 0);
    ConSetLineLength(0);
    // The window shows its caret only while a line is requested, hence after the store.
    SendMessageA(ConsoleWindow.WindowHandle, WM_SETFOCUS, 0, 0);
    while (ConLineLength() != -1) Sleep(10);
    // Returns only once the window thread is back in its loop, the echo of
    // Enter included, so nothing printed from here on overtakes it.
    SendMessageA(ConsoleWindow.WindowHandle, WM_KILLFOCUS, 0, 0);
}

}  // namespace

void ConInput(RtString prompt) {
    RtString item = StrAlloc(0);
    for (;;) {
        ReadLine(prompt);
        const char* line = LineMailbox.LineBuffer;
        StrFree(item);
        item = StrNew(lstrlenA(line) + 1);
        int32_t read = 0, k = 0;
        const char* complaint = nullptr;
        for (;;) {
            int32_t write = 0;
            while (line[read] != ',' && line[read] != 0) item[write++] = line[read++];
            item[write] = 0;
            StoreItem(k, item);
            k++;
            bool more = line[read] == ',';
            // The list ends at its first zero address, and at the latest
            // after its 32 entries.
            bool listEnds = k >= 32 || !ValueList.ValueAddress[k];
            if (listEnds && more) {
                complaint = kTooMany;
                break;
            }
            if (!more) {
                if (!listEnds) complaint = kTooFew;
                break;
            }
            read++;  // past the comma
        }
        if (!complaint) break;
        ConPrint(StrFromText(complaint));
    }
    StrFree(prompt);
    StrFree(item);
}
