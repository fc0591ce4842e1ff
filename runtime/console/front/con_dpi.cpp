// The window's DPI and what scales with it: the font and its cell, the
// caret, the window's first size, and a move to a monitor of another DPI.
//
// The program is per-monitor DPI aware (its manifest), so the system does
// not stretch its bitmap: the console draws at the window's DPI itself. The
// font is 16 pixels at 96 DPI and MulDiv(16, dpi, 96) at another; the cell
// is measured from the font, as at 96. GetDpiForWindow and
// AdjustWindowRectExForDpi exist from Windows 10 on: they are looked up at
// run time, and without them the system's DPI (the screen's LOGPIXELSY)
// stands for every window. WM_DPICHANGED makes the font and cell anew and
// takes the rectangle the system suggests; WM_GETDPISCALEDSIZE asks for the
// size that keeps the window's rows and columns at the new DPI.
#include "con_win32.h"

namespace {

// "ＭＳ 明朝" in Shift-JIS.
const char kFaceName[] = "\x82\x6c\x82\x72\x20\x96\xbe\x92\xa9";

typedef UINT(WINAPI* DpiForWindowFn)(HWND);
typedef BOOL(WINAPI* AdjustForDpiFn)(LPRECT, DWORD, BOOL, DWORD, UINT);

// A function of user32 that older systems lack, or null. (Through the
// generic function type, which any function pointer may be cast to.)
template <typename Fn> Fn User32(const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("user32.dll"), name)));
}

// A font of the console's face for dpi, and its cell, measured.
HFONT MakeFont(UINT dpi, LOGFONTA* logfont, int32_t* cellWidth, int32_t* cellHeight) {
    *logfont = LOGFONTA{};
    logfont->lfHeight = -MulDiv(16, (int)dpi, 96);
    logfont->lfWeight = FW_DONTCARE;
    logfont->lfCharSet = SHIFTJIS_CHARSET;
    logfont->lfPitchAndFamily = FIXED_PITCH;
    lstrcpyA(logfont->lfFaceName, kFaceName);
    HFONT font = CreateFontIndirectA(logfont);
    if (!font) return nullptr;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ previous = SelectObject(dc, font);
    SIZE blank = {0, 0};
    GetTextExtentPoint32A(dc, " ", 1, &blank);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, previous);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    *cellWidth = blank.cx, *cellHeight = metrics.tmHeight;
    return font;
}

// The window's outer size for a client area of width by height at dpi.
SIZE OuterSize(HWND hWnd, int32_t width, int32_t height, UINT dpi) {
    RECT r = {0, 0, width, height};
    const DWORD style = (DWORD)GetWindowLongA(hWnd, GWL_STYLE), exStyle = (DWORD)GetWindowLongA(hWnd, GWL_EXSTYLE);
    if (auto adjust = User32<AdjustForDpiFn>("AdjustWindowRectExForDpi")) adjust(&r, style, FALSE, exStyle, dpi);
    else AdjustWindowRectEx(&r, style, FALSE, exStyle);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

}  // namespace

UINT ConDpiOf(HWND hWnd) {
    if (hWnd)
        if (auto forWindow = User32<DpiForWindowFn>("GetDpiForWindow"))
            if (UINT dpi = forWindow(hWnd)) return dpi;
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? (UINT)dpi : 96;
}

int32_t ConDpiScale(int32_t pixels) { return MulDiv(pixels, (int)ConsoleFront.Dpi, 96); }

bool ConDpiMakeFont(UINT dpi) {
    LOGFONTA logfont;
    int32_t cw, ch;
    HFONT font = MakeFont(dpi, &logfont, &cw, &ch);
    if (!font) return false;
    if (ConsoleFront.FontHandle) DeleteObject(ConsoleFront.FontHandle);
    ConsoleFront.FontHandle = font;
    ConsoleFront.FontSpec = logfont;
    ConsoleFront.Dpi = dpi;
    ConPairsFont(logfont);
    {
        std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
        ConsoleBuffer.CellWidth = cw;
        ConsoleBuffer.CellHeight = ch;
    }
    ConViewCellChanged();
    return true;
}

void ConDpiFirstSize(HWND hWnd) {
    const UINT dpi = ConDpiOf(hWnd);
    if (dpi != ConsoleFront.Dpi) ConDpiMakeFont(dpi);
    if (dpi == 96) return;  // the system's default size, as it always was
    RECT client;
    GetClientRect(hWnd, &client);
    const int32_t width = MulDiv(client.right, (int)dpi, 96), height = MulDiv(client.bottom, (int)dpi, 96);
    SIZE outer = OuterSize(hWnd, width, height, dpi);
    SetWindowPos(hWnd, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // The frame the system drew may differ from the one computed: once more
    // by what the client came out short or long (the screen may stop it).
    GetClientRect(hWnd, &client);
    if (client.right == width && client.bottom == height) return;
    outer.cx += width - client.right, outer.cy += height - client.bottom;
    SetWindowPos(hWnd, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ConDpiChanged(HWND hWnd, UINT dpi, const RECT* suggested) {
    if (dpi != ConsoleFront.Dpi) ConDpiMakeFont(dpi);
    SetWindowPos(hWnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(hWnd, nullptr, FALSE);
    ConLinePlaceCaret();  // the caret's size and place follow the new cell
}

bool ConDpiScaledSize(HWND hWnd, UINT dpi, SIZE* size) {
    LOGFONTA logfont;
    int32_t cw, ch;
    HFONT font = MakeFont(dpi, &logfont, &cw, &ch);
    if (!font) return false;
    DeleteObject(font);
    RECT client;
    GetClientRect(hWnd, &client);
    const int32_t oldCw = ConsoleBuffer.CellWidth, oldCh = ConsoleBuffer.CellHeight;
    if (oldCw <= 0 || oldCh <= 0) return false;
    // As many columns and rows, and the same part of a cell left over.
    *size = OuterSize(hWnd, MulDiv(client.right, cw, oldCw), MulDiv(client.bottom, ch, oldCh), dpi);
    return true;
}
