// The drawing scheduler's front-end half: when a pass runs, and the pass
// itself. Which rows are due, and the coalescing of requests, is the
// console's logic (con_due_rows.cpp).
//
// - A request (WM_CON_DRAW, posted through ConFrontDrawSoon) is drawn at
//   once when the last pass ended at least one frame ago (a typed key's
//   echo, a prompt after a quiet moment); otherwise a timer puts the pass
//   off until the frame is due. Measuring from the end of a pass leaves the
//   program thread a frame of the processor between passes, however long a
//   pass takes.
// - A pass takes the due rows, then ConRender copies those rows under the
//   lock and draws the copy with the lock released.
// - WM_CON_FLUSH (sent by the input statement before it waits for a line)
//   and typed keys draw at once; WM_PAINT draws every row.
#include "con_win32.h"

namespace {

constexpr DWORD kFrameMs = 16;  // about 60 passes a second
constexpr UINT_PTR kTimerId = 1;

// Window thread only.
struct ConsoleDrawState {
    DWORD LastPassEnd = 0;
    bool TimerArmed = false;
};
ConsoleDrawState ConsoleDraw;

void Pass(HWND hWnd) {
    if (ConsoleDraw.TimerArmed) {
        KillTimer(hWnd, kTimerId);
        ConsoleDraw.TimerArmed = false;
    }
    int32_t first, last;
    if (!ConTakeDueRows(&first, &last)) return;
    HDC dc = GetDC(hWnd);
    ConRender(dc, first, last);
    ReleaseDC(hWnd, dc);
    ConsoleDraw.LastPassEnd = GetTickCount();
}

}  // namespace

void ConDrawReset() {
    ConDueRowsReset();
    ConsoleDraw.LastPassEnd = 0;
    ConsoleDraw.TimerArmed = false;
}

void ConDrawRequested(HWND hWnd) {
    DWORD since = GetTickCount() - ConsoleDraw.LastPassEnd;
    if (since >= kFrameMs) {
        Pass(hWnd);
    } else if (!ConsoleDraw.TimerArmed) {
        SetTimer(hWnd, kTimerId, kFrameMs - since, nullptr);
        ConsoleDraw.TimerArmed = true;
    }
}

void ConDrawTimer(HWND hWnd) { Pass(hWnd); }

void ConDrawNow(HWND hWnd) { Pass(hWnd); }

void ConDrawPaint(HDC dc) {
    BitBlt(dc, 0, 0, ConsoleFront.BlankWidth, ConsoleFront.BlankHeight, ConsoleFront.BlankDC, 0, 0, SRCCOPY);
    ConRender(dc, -1, 0);
}
