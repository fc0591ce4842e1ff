// The console window procedure: drawing resources, painting, caret and
// input method placement, dropped files; the keys go to the line editor
// (con_line_edit.cpp), which fills the LineMailbox and echoes what is typed.
#include "con_front.h"
#include "rt_console.h"

LineMailboxState LineMailbox;

namespace {

void OnCreate(HWND hWnd) {
    // WindowHandle is not set yet while the window is being created.
    HDC dc = GetDC(hWnd);
    ConsoleWindow.BlankBitmap = CreateCompatibleBitmap(dc, ConsoleWindow.ScreenWidth, ConsoleWindow.ScreenHeight);
    ConsoleWindow.BlankDC = CreateCompatibleDC(dc);
    SelectObject(ConsoleWindow.BlankDC, ConsoleWindow.BlankBitmap);
    HGDIOBJ previousBrush = SelectObject(ConsoleWindow.BlankDC, GetStockObject(BLACK_BRUSH));
    PatBlt(ConsoleWindow.BlankDC, 0, 0, ConsoleWindow.ScreenWidth, ConsoleWindow.ScreenHeight, PATCOPY);
    SelectObject(ConsoleWindow.BlankDC, previousBrush);

    // The cell is measured from the font, never assumed.
    HGDIOBJ previousFont = SelectObject(ConsoleWindow.BlankDC, ConsoleBuffer.FontHandle);
    SIZE blank = {0, 0};
    GetTextExtentPoint32A(ConsoleWindow.BlankDC, " ", 1, &blank);
    TEXTMETRICA metrics{};
    GetTextMetricsA(ConsoleWindow.BlankDC, &metrics);
    {
        std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
        ConsoleBuffer.CellWidth = blank.cx;
        ConsoleBuffer.CellHeight = metrics.tmHeight;
    }
    SelectObject(ConsoleWindow.BlankDC, previousFont);
    ReleaseDC(hWnd, dc);
    ConRenderOpen();
}

void OnDestroy() {
    // Only this thread draws, so the erase bitmap can go without the lock.
    DeleteDC(ConsoleWindow.BlankDC);
    DeleteObject(ConsoleWindow.BlankBitmap);
    ConsoleWindow.BlankDC = nullptr;
    ConsoleWindow.BlankBitmap = nullptr;
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

void OnSetFocus(HWND hWnd) {
    if (ConLineLength() == -1) return;
    // The program asks for a line: keys typed ahead go in first.
    ConTypeAheadReplay();
    if (ConLineLength() == -1) return;
    int32_t col, row;
    ConLineCaretCell(&col, &row);
    const int32_t x = col * ConsoleBuffer.CellWidth, y = row * ConsoleBuffer.CellHeight;
    const int32_t cellHeight = ConsoleBuffer.CellHeight;
    HIMC imc = ImmGetContext(hWnd);
    if (imc) {
        COMPOSITIONFORM form{};
        form.dwStyle = CFS_POINT;
        form.ptCurrentPos.x = x;
        form.ptCurrentPos.y = y;
        ImmSetCompositionWindow(imc, &form);
        ImmSetCompositionFontA(imc, &ConsoleBuffer.FontSpec);
    }
    ImmReleaseContext(hWnd, imc);
    CreateCaret(hWnd, nullptr, 9, 6);
    // Across the lower part of the cursor's cell, 1 pixel above its bottom.
    SetCaretPos(x, y + cellHeight - 7);
    ShowCaret(hWnd);
}

void OnKillFocus(HWND hWnd) {
    HideCaret(hWnd);
    DestroyCaret();
}

// "ドロップしたファイルのパス", the subject of the line that refuses a drop.
const char kDropped[] = "\x83\x68\x83\x8d\x83\x62\x83\x76\x82\xb5\x82\xbd\x83\x74\x83\x40\x83\x43"
                        "\x83\x8b\x82\xcc\x83\x70\x83\x58";

// A file dropped on the window: while a line is requested, the first file's
// full path is typed at the caret, as the input statement can take it (see
// RtPathForInput: its short form where the code page cannot spell it, where
// it is too long or holds a comma). A path that cannot be had so is refused
// with a line that says why.
void OnDropFiles(HDROP drop) {
    if (ConLineLength() != -1) {
        WCHAR wide[1024];
        char path[ConLineMax + 1];
        UINT n = DragQueryFileW(drop, 0, wide, 1024);
        const int32_t fit = n == 0 ? RtPathNotInCodePage
                            : n >= 1023 ? RtPathTooLong
                                        : RtPathForInput(wide, path, sizeof path);
        if (n == 0) MessageBeep(0);
        else if (fit == RtPathOk) ConLineDrop(path);
        else ConLineAnnounce(RtPathRefusal(kDropped, fit));
    }
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
    case WM_SETFOCUS: OnSetFocus(hWnd); return 0;
    case WM_KILLFOCUS: OnKillFocus(hWnd); return 0;
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
