// The console window procedure: drawing resources, painting, and the
// messages handed to the console's logic in its own terms: characters and
// editing keys to the selection, the view and the line editor
// (con_line_edit.cpp, which fills the LineMailbox and echoes what is
// typed), the mouse's cells, the wheel and the scroll bars, dropped files'
// paths, the focus.
#include "con_win32.h"

// Messages of Windows 8.1 and 10 that older headers lack.
#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif
#ifndef WM_GETDPISCALEDSIZE
#define WM_GETDPISCALEDSIZE 0x02E4
#endif

namespace {

// The erase bitmap, black, at least as large as the client area: made with
// the window, and made larger when the client grows past it (a larger
// monitor, a higher DPI).
void FitBlank(HWND hWnd) {
    RECT client;
    GetClientRect(hWnd, &client);
    const int32_t width = client.right > ConsoleFront.BlankWidth ? client.right : ConsoleFront.BlankWidth;
    const int32_t height = client.bottom > ConsoleFront.BlankHeight ? client.bottom : ConsoleFront.BlankHeight;
    if (ConsoleFront.BlankBitmap && width == ConsoleFront.BlankWidth && height == ConsoleFront.BlankHeight) return;
    HDC dc = GetDC(hWnd);
    if (!ConsoleFront.BlankDC) ConsoleFront.BlankDC = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, width, height);
    ReleaseDC(hWnd, dc);
    if (!bitmap) return;  // the old one stays
    SelectObject(ConsoleFront.BlankDC, bitmap);
    if (ConsoleFront.BlankBitmap) DeleteObject(ConsoleFront.BlankBitmap);
    ConsoleFront.BlankBitmap = bitmap;
    ConsoleFront.BlankWidth = width, ConsoleFront.BlankHeight = height;
    HGDIOBJ previousBrush = SelectObject(ConsoleFront.BlankDC, GetStockObject(BLACK_BRUSH));
    PatBlt(ConsoleFront.BlankDC, 0, 0, width, height, PATCOPY);
    SelectObject(ConsoleFront.BlankDC, previousBrush);
}

void OnCreate(HWND hWnd) {
    // WindowHandle is not set yet while the window is being created. The
    // bitmap starts as large as the screen, as it always was.
    ConsoleFront.BlankBitmap = nullptr;
    ConsoleFront.BlankDC = nullptr;
    ConsoleFront.BlankWidth = GetSystemMetrics(SM_CXSCREEN);
    ConsoleFront.BlankHeight = GetSystemMetrics(SM_CYSCREEN);
    FitBlank(hWnd);
    ConRenderOpen();
}

void OnDestroy() {
    // Only this thread draws, so the erase bitmap can go without the lock.
    DeleteDC(ConsoleFront.BlankDC);
    DeleteObject(ConsoleFront.BlankBitmap);
    ConsoleFront.BlankDC = nullptr;
    ConsoleFront.BlankBitmap = nullptr;
    ConRenderClose();
    ConPairsClose();
    PostQuitMessage(0);
}

void OnPaint(HWND hWnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hWnd, &ps);
    ConDrawPaint(dc);
    EndPaint(hWnd, &ps);
    ConsoleWindowSetReady(1);
}

// A file dropped on the window: the first file's path goes to the line
// editor, which types it or says why it cannot.
void OnDropFiles(HDROP drop) {
    WCHAR wide[1024];
    const UINT n = DragQueryFileW(drop, 0, wide, 1024);
    ConLineDropFile(wide, n);
    DragFinish(drop);
}

// The editing keys and the view's, in the console's terms; other keys are
// not its. The view takes its keys (with Shift or Ctrl) first.
void OnKeyDown(WPARAM key) {
    ConKey k;
    switch (key) {
    case VK_LEFT: k = ConKeyLeft; break;
    case VK_RIGHT: k = ConKeyRight; break;
    case VK_HOME: k = ConKeyHome; break;
    case VK_END: k = ConKeyEnd; break;
    case VK_DELETE: k = ConKeyDelete; break;
    case VK_UP: k = ConKeyUp; break;
    case VK_DOWN: k = ConKeyDown; break;
    case VK_PRIOR: k = ConKeyPageUp; break;
    case VK_NEXT: k = ConKeyPageDown; break;
    default: return;
    }
    if (!ConViewKey(k, GetKeyState(VK_SHIFT) < 0, GetKeyState(VK_CONTROL) < 0)) ConLineKey(k);
}

// The mouse's cell on the client; outside it while a drag goes on.
void OnMouse(uint32_t action, LPARAM at, WPARAM keys) {
    const int32_t x = (int16_t)LOWORD(at), y = (int16_t)HIWORD(at);
    const int32_t cw = ConsoleBuffer.CellWidth, ch = ConsoleBuffer.CellHeight;
    const int32_t col = x >= 0 ? x / cw : -1, row = y >= 0 ? y / ch : -1;
    ConMouse(action, col, row, (keys & MK_SHIFT) != 0, GetKeyState(VK_MENU) < 0);
}

// The wheel: the system's lines per notch (a page when it says so), what
// falls short of a line kept for the next turn.
void OnWheel(WPARAM wParam) {
    UINT lines = 3;
    SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    ConsoleFront.WheelRest += (int16_t)HIWORD(wParam);
    const int32_t notches = ConsoleFront.WheelRest / WHEEL_DELTA;
    ConsoleFront.WheelRest -= notches * WHEEL_DELTA;
    if (notches == 0 || lines == 0) return;
    const int32_t step = lines == WHEEL_PAGESCROLL ? ConsoleView.FullRows : (int32_t)lines;
    ConViewScroll(-notches * step);
}

// The scroll bars: a line, a page, the thumb, the ends.
void OnScroll(HWND hWnd, int bar, WPARAM wParam) {
    const bool vert = bar == SB_VERT;
    const int32_t page = vert ? ConsoleView.FullRows : ConsoleView.FullCols;
    auto by = [vert](int32_t n) { vert ? ConViewScroll(n) : ConViewScrollColumns(n); };
    auto to = [vert](int32_t n) { vert ? ConViewScrollTo(n) : ConViewScrollColumnTo(n); };
    switch (LOWORD(wParam)) {
    case SB_LINEUP: by(-1); break;
    case SB_LINEDOWN: by(1); break;
    case SB_PAGEUP: by(-page); break;
    case SB_PAGEDOWN: by(page); break;
    case SB_TOP: to(0); break;
    case SB_BOTTOM: to(INT32_MAX / 2); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        SCROLLINFO si{};
        si.cbSize = sizeof si;
        si.fMask = SIF_TRACKPOS;
        GetScrollInfo(hWnd, bar, &si);  // 32 bits, where the message has 16
        to(si.nTrackPos);
        break;
    }
    default: break;
    }
}

}  // namespace

LRESULT CALLBACK ConsoleWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: OnCreate(hWnd); return 0;
    case WM_DESTROY: OnDestroy(); return 0;
    case WM_SETFOCUS: ConLineShowCaret(); return 0;
    case WM_KILLFOCUS: ConFrontCaretHide(); return 0;
    case WM_PAINT: OnPaint(hWnd); return 0;
    case WM_KEYDOWN: OnKeyDown(wParam); return 0;
    case WM_SIZE:
        FitBlank(hWnd);
        InvalidateRect(hWnd, nullptr, FALSE);
        return 0;
    case WM_DPICHANGED: ConDpiChanged(hWnd, HIWORD(wParam), (const RECT*)lParam); return 0;
    case WM_GETDPISCALEDSIZE: return ConDpiScaledSize(hWnd, (UINT)wParam, (SIZE*)lParam);
    case WM_LBUTTONDOWN:
        SetCapture(hWnd);
        OnMouse(ConMouseDown, lParam, wParam);
        return 0;
    case WM_MOUSEMOVE:
        if (wParam & MK_LBUTTON) OnMouse(ConMouseDrag, lParam, wParam);
        return 0;
    case WM_LBUTTONUP:
        ReleaseCapture();
        OnMouse(ConMouseUp, lParam, wParam);
        return 0;
    case WM_LBUTTONDBLCLK: OnMouse(ConMouseDouble, lParam, wParam); return 0;
    case WM_RBUTTONDOWN: OnMouse(ConMouseRight, lParam, wParam); return 0;
    case WM_MOUSEWHEEL: OnWheel(wParam); return 0;
    case WM_VSCROLL: OnScroll(hWnd, SB_VERT, wParam); return 0;
    case WM_HSCROLL: OnScroll(hWnd, SB_HORZ, wParam); return 0;
    case WM_DROPFILES: OnDropFiles((HDROP)wParam); return 0;
    case WM_CON_DRAW: ConDrawRequested(hWnd); return 0;
    case WM_TIMER: ConDrawTimer(hWnd); return 0;
    case WM_CON_FLUSH: ConDrawNow(hWnd); return 0;
    case WM_CON_TYPE_AHEAD: ConTypeAheadKeep(wParam != 0); return 0;
    case WM_CHAR:
        if (!ConSelectChar((uint32_t)(wParam & 0xFF))) ConLineChar((uint32_t)(wParam & 0xFF));
        return 0;
    default: return DefWindowProcA(hWnd, message, wParam, lParam);
    }
}
