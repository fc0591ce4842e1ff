// The console window procedure: drawing resources, painting, and the
// messages handed to the console's logic in its own terms: characters and
// editing keys to the line editor (con_line_edit.cpp), which fills the
// LineMailbox and echoes what is typed, dropped files' paths, the focus.
#include "con_win32.h"

namespace {

void OnCreate(HWND hWnd) {
    // WindowHandle is not set yet while the window is being created.
    HDC dc = GetDC(hWnd);
    ConsoleFront.BlankBitmap = CreateCompatibleBitmap(dc, ConsoleFront.ScreenWidth, ConsoleFront.ScreenHeight);
    ConsoleFront.BlankDC = CreateCompatibleDC(dc);
    SelectObject(ConsoleFront.BlankDC, ConsoleFront.BlankBitmap);
    HGDIOBJ previousBrush = SelectObject(ConsoleFront.BlankDC, GetStockObject(BLACK_BRUSH));
    PatBlt(ConsoleFront.BlankDC, 0, 0, ConsoleFront.ScreenWidth, ConsoleFront.ScreenHeight, PATCOPY);
    SelectObject(ConsoleFront.BlankDC, previousBrush);

    // The cell is measured from the font, never assumed.
    HGDIOBJ previousFont = SelectObject(ConsoleFront.BlankDC, ConsoleFront.FontHandle);
    SIZE blank = {0, 0};
    GetTextExtentPoint32A(ConsoleFront.BlankDC, " ", 1, &blank);
    TEXTMETRICA metrics{};
    GetTextMetricsA(ConsoleFront.BlankDC, &metrics);
    {
        std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
        ConsoleBuffer.CellWidth = blank.cx;
        ConsoleBuffer.CellHeight = metrics.tmHeight;
    }
    SelectObject(ConsoleFront.BlankDC, previousFont);
    ReleaseDC(hWnd, dc);
    ConRenderOpen();
}

void OnDestroy() {
    // Only this thread draws, so the erase bitmap can go without the lock.
    DeleteDC(ConsoleFront.BlankDC);
    DeleteObject(ConsoleFront.BlankBitmap);
    ConsoleFront.BlankDC = nullptr;
    ConsoleFront.BlankBitmap = nullptr;
    ConRenderClose();
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

// The editing keys, in the line editor's terms; other keys are not its.
void OnKeyDown(WPARAM key) {
    switch (key) {
    case VK_LEFT: ConLineKey(ConKeyLeft); break;
    case VK_RIGHT: ConLineKey(ConKeyRight); break;
    case VK_HOME: ConLineKey(ConKeyHome); break;
    case VK_END: ConLineKey(ConKeyEnd); break;
    case VK_DELETE: ConLineKey(ConKeyDelete); break;
    case VK_UP: ConLineKey(ConKeyUp); break;
    case VK_DOWN: ConLineKey(ConKeyDown); break;
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
    case WM_DROPFILES: OnDropFiles((HDROP)wParam); return 0;
    case WM_CON_DRAW: ConDrawRequested(hWnd); return 0;
    case WM_TIMER: ConDrawTimer(hWnd); return 0;
    case WM_CON_FLUSH: ConDrawNow(hWnd); return 0;
    case WM_CON_TYPE_AHEAD: ConTypeAheadKeep(wParam != 0); return 0;
    case WM_CHAR: ConLineChar((uint32_t)(wParam & 0xFF)); return 0;
    default: return DefWindowProcA(hWnd, message, wParam, lParam);
    }
}
