// Test helper: a minimal stand-alone window of the console's class and title
// that shows typed bytes, Ctrl+V pastes and completed lines, and writes each
// completed line to stub_lines.txt. It lets the GUI test machinery (display,
// Wine prefix, typing, clipboard, closing, screenshots) be checked apart
// from the console itself. Ends with exit code 0 when its window is closed.
// With the argument --other it opens a window of class "OTHER", titled
// "OTHER WINDOW", that takes the focus away from the console.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

static struct {
    HFONT font;          // window thread only (the program has one thread)
    std::string screen;  // every byte shown so far
    std::string line;    // the line being typed
} Stub;

static void Keep(char c) {
    Stub.line += c;
    Stub.screen += c;
}

static LRESULT CALLBACK StubProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CHAR:
        if (wp == 13) {
            FILE* f = fopen("stub_lines.txt", "ab");
            if (f) {
                fprintf(f, "%s\r\n", Stub.line.c_str());
                fclose(f);
            }
            Stub.line.clear();
            Stub.screen += '|';
        } else if (wp == 22) {
            if (OpenClipboard(w)) {
                HANDLE data = GetClipboardData(CF_TEXT);
                const char* p = data ? (const char*)GlobalLock(data) : nullptr;
                if (p) {
                    for (; *p; p++) Keep(*p);
                    GlobalUnlock(data);
                }
                CloseClipboard();
            }
        } else {
            Keep((char)(wp & 0xFF));
        }
        InvalidateRect(w, nullptr, TRUE);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(w, &ps);
        SelectObject(dc, Stub.font);
        SetTextColor(dc, RGB(255, 255, 255));
        SetBkColor(dc, RGB(0, 0, 0));
        TextOutA(dc, 0, 0, Stub.screen.c_str(), (int)Stub.screen.size());
        EndPaint(w, &ps);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(w, msg, wp, lp);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    bool other = strcmp(commandLine, "--other") == 0;
    LOGFONTA logfont;
    memset(&logfont, 0, sizeof logfont);
    logfont.lfHeight = -16;
    logfont.lfCharSet = SHIFTJIS_CHARSET;
    logfont.lfPitchAndFamily = FIXED_PITCH;
    strcpy(logfont.lfFaceName, "\x82\x6c\x82\x72\x20\x96\xbe\x92\xa9");
    Stub.font = CreateFontIndirectA(&logfont);

    WNDCLASSEXA wc;
    memset(&wc, 0, sizeof wc);
    wc.cbSize = sizeof wc;
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = StubProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
    wc.lpszClassName = other ? "OTHER" : "PROMPT";
    RegisterClassExA(&wc);
    HWND w = CreateWindowExA(WS_EX_CLIENTEDGE, wc.lpszClassName, other ? "OTHER WINDOW" : "BASIC PROMPT",
                             WS_OVERLAPPEDWINDOW,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr,
                             nullptr, instance, nullptr);
    if (!w) return 2;
    ShowWindow(w, SW_SHOW);
    MSG m;
    while (GetMessageA(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
    return 0;
}
