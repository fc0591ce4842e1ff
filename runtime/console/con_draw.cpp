// The drawing scheduler. Printing only lays bytes into the grid and marks
// the rows it touched; the console window thread draws them, paced.
//
// - ConPrint marks rows under the console lock and calls ConRequestDraw,
//   which posts one WM_CON_DRAW unless a request is already on its way
//   (RequestPending), so a burst of prints costs one message.
// - On WM_CON_DRAW the window thread draws at once when the last pass ended
//   at least one frame ago (a typed key's echo, a prompt after a quiet
//   moment); otherwise a timer puts the pass off until the frame is due.
//   Measuring from the end of a pass leaves the program thread a frame of
//   the processor between passes, however long a pass takes.
// - A pass takes the marks, then ConRender copies those rows under the lock
//   and draws the copy with the lock released.
// - WM_CON_FLUSH (sent by the input statement before it waits for a line)
//   and typed keys draw at once; WM_PAINT draws every row.
#include "con_front.h"
#include "rt_console.h"

namespace {

constexpr DWORD kFrameMs = 16;  // about 60 passes a second
constexpr UINT_PTR kTimerId = 1;

// Marks are read and written under ConsoleBuffer.Lock by either thread;
// RequestPending and Passes by either thread, atomically; LastPassEnd and
// TimerArmed by the window thread only.
struct ConsoleDrawState {
    int32_t MarkFirst = ConRows, MarkLast = -1;  // MarkFirst > MarkLast: no row
    bool MarkAll = false;
    std::atomic<bool> RequestPending{false};
    std::atomic<uint32_t> Passes{0};
    DWORD LastPassEnd = 0;
    bool TimerArmed = false;
};
ConsoleDrawState ConsoleDraw;

void Pass(HWND hWnd) {
    if (ConsoleDraw.TimerArmed) {
        KillTimer(hWnd, kTimerId);
        ConsoleDraw.TimerArmed = false;
    }
    // Cleared before the marks are taken: a print after this point asks
    // again, so nothing it lays is left undrawn.
    ConsoleDraw.RequestPending.store(false, std::memory_order_seq_cst);
    int32_t first, last;
    {
        std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
        if (ConsoleDraw.MarkAll) {
            first = -1, last = 0;
        } else if (ConsoleDraw.MarkFirst <= ConsoleDraw.MarkLast) {
            first = ConsoleDraw.MarkFirst, last = ConsoleDraw.MarkLast;
        } else {
            return;
        }
        ConUnmarkRows();
    }
    HDC dc = GetDC(hWnd);
    ConRender(dc, first, last);
    ReleaseDC(hWnd, dc);
    ConsoleDraw.Passes.fetch_add(1, std::memory_order_relaxed);
    ConsoleDraw.LastPassEnd = GetTickCount();
}

}  // namespace

void ConDrawReset() {
    std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
    ConUnmarkRows();
    ConsoleDraw.RequestPending.store(false);
    ConsoleDraw.Passes.store(0);
    ConsoleDraw.LastPassEnd = 0;
    ConsoleDraw.TimerArmed = false;
}

void ConMarkRows(int32_t First, int32_t Last) {
    if (First == -1) {
        ConsoleDraw.MarkAll = true;
        return;
    }
    if (First < ConsoleDraw.MarkFirst) ConsoleDraw.MarkFirst = First;
    if (Last > ConsoleDraw.MarkLast) ConsoleDraw.MarkLast = Last;
}

void ConUnmarkRows() {
    ConsoleDraw.MarkAll = false;
    ConsoleDraw.MarkFirst = ConRows;
    ConsoleDraw.MarkLast = -1;
}

void ConRequestDraw() {
    if (!ConsoleDraw.RequestPending.exchange(true, std::memory_order_seq_cst)) ConFrontDrawSoon();
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
    BitBlt(dc, 0, 0, ConsoleWindow.ScreenWidth, ConsoleWindow.ScreenHeight, ConsoleWindow.BlankDC, 0, 0, SRCCOPY);
    ConRender(dc, -1, 0);
}

uint32_t ConDrawPassCount() { return ConsoleDraw.Passes.load(std::memory_order_relaxed); }
