// The console window thread: the grid (con_grid.cpp), font, class and
// window, the message loop, and the end of the process when the window has
// been closed.
#include "con_win32.h"

ConsoleFrontState ConsoleFront;

namespace {

// Without a window no paint ever comes and the program thread would wait for
// ever: say what failed and end the process.
[[noreturn]] void SetupFailed(const char* what) {
    ConGridRelease();  // the program thread is still waiting for the window, not printing
    MessageBoxA(nullptr, what, "BASIC PROMPT", MB_OK | MB_ICONERROR);
    ExitProcess(RT_EXIT_CONSOLE_SETUP);
    for (;;) {
    }
}

}  // namespace

const char* ConsoleWindowOpen() {
    ConGridOpen();
    ConDrawReset();
    for (int32_t i = 0; i < 3; i++) ConsoleFront.VertBar[i] = ConsoleFront.HorzBar[i] = -1;
    ConsoleFront.WheelRest = 0;
    ConsoleFront.Dpi = 0;
    ConsoleFront.FontHandle = nullptr;
    if (!ConDpiMakeFont(ConDpiOf(nullptr))) return "The console font could not be created.";

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
    ConsoleFront.WindowHandle = hwnd;
    ConDpiFirstSize(hwnd);  // the font, the cell and the size for the window's own DPI
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

    ConGridRelease();
    RtBeforeExit();  // what the program wrote and the system has not got yet goes out first
    ExitProcess(RtExitCode());  // 0, or what the program set (rt_core.h)
    return 0;
}
