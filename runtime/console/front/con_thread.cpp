// The console window thread: grid, font, class and window, the message
// loop, and the end of the process when the window has been closed.
#include "rt_console.h"

ConsoleWindowState ConsoleWindow;

namespace {

// "ＭＳ 明朝" in Shift-JIS.
const char kFaceName[] = "\x82\x6c\x82\x72\x20\x96\xbe\x92\xa9";

void AllocateGrid() {
    std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
    for (int row = 0; row < ConRows; row++) {
        ConsoleBuffer.RowText[row] = (char*)RtHeapAlloc(ConCols, true);
        ConsoleBuffer.RowForeColor[row] = (COLORREF*)RtHeapAlloc(ConCols * sizeof(COLORREF), true);
        ConsoleBuffer.RowBackColor[row] = (COLORREF*)RtHeapAlloc(ConCols * sizeof(COLORREF), true);
    }
    ConsoleBuffer.CursorCol = 0;
    ConsoleBuffer.CursorRow = 0;
}

// Under the lock, so that a print still running on the program thread either
// finishes first or finds the grid gone and does nothing.
void ReleaseGrid() {
    std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
    for (int row = 0; row < ConRows; row++) {
        HeapFree(RtHeap, 0, ConsoleBuffer.RowText[row]);
        HeapFree(RtHeap, 0, ConsoleBuffer.RowForeColor[row]);
        HeapFree(RtHeap, 0, ConsoleBuffer.RowBackColor[row]);
        ConsoleBuffer.RowText[row] = nullptr;
        ConsoleBuffer.RowForeColor[row] = nullptr;
        ConsoleBuffer.RowBackColor[row] = nullptr;
    }
}

// Without a window no paint ever comes and the program thread would wait for
// ever: say what failed and end the process.
[[noreturn]] void SetupFailed(const char* what) {
    ReleaseGrid();  // the program thread is still waiting for the window, not printing
    MessageBoxA(nullptr, what, "BASIC PROMPT", MB_OK | MB_ICONERROR);
    ExitProcess(RT_EXIT_CONSOLE_SETUP);
    for (;;) {
    }
}

}  // namespace

const char* ConsoleWindowOpen() {
    AllocateGrid();
    ConDrawReset();
    ConsoleBuffer.ForeColor = RGB(255, 255, 255);
    ConsoleBuffer.BackColor = RGB(0, 0, 0);
    ConsoleWindow.ScreenWidth = GetSystemMetrics(SM_CXSCREEN);
    ConsoleWindow.ScreenHeight = GetSystemMetrics(SM_CYSCREEN);

    LOGFONTA& font = ConsoleBuffer.FontSpec;
    font = LOGFONTA{};
    font.lfHeight = -16;
    font.lfWeight = FW_DONTCARE;
    font.lfCharSet = SHIFTJIS_CHARSET;
    font.lfPitchAndFamily = FIXED_PITCH;
    lstrcpyA(font.lfFaceName, kFaceName);
    ConsoleBuffer.FontHandle = CreateFontIndirectA(&font);
    if (!ConsoleBuffer.FontHandle) return "The console font could not be created.";

    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = ConsoleWndProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
    wc.lpszClassName = "PROMPT";
    wc.hIconSm = LoadIconA(nullptr, IDI_WINLOGO);
    if (!RegisterClassExA(&wc)) return "The console window class could not be registered.";

    // Files dropped on the window are typed at the caret (WM_DROPFILES).
    HWND hwnd = CreateWindowExA(WS_EX_CLIENTEDGE | WS_EX_ACCEPTFILES, "PROMPT", "BASIC PROMPT",
                                WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!hwnd) return "The console window could not be created.";
    ConsoleWindow.WindowHandle = hwnd;
    ConLineForget();  // a new window's line editor has no caret and no history yet
    ShowWindow(hwnd, SW_SHOW);
    return nullptr;
}

DWORD WINAPI ConsoleThreadMain(LPVOID) {
    if (const char* failed = ConsoleWindowOpen()) SetupFailed(failed);

    MSG msg;
    for (;;) {
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) break;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }

    ReleaseGrid();
    RtBeforeExit();  // what the program wrote and the system has not got yet goes out first
    ExitProcess(RtExitCode());  // 0, or what the program set (rt_core.h)
    return 0;
}
