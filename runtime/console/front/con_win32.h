// The console's Win32 front end: the window, its procedure and message
// loop, GDI drawing of the rows the console's logic hands out, the caret,
// the input method, the clipboard and dropped files. It holds no editing or
// layout logic: messages become calls of the logic (rt_console.h), and the
// logic's requests (con_front.h) become Win32 calls here.
#pragma once
#include "con_front.h"
#include "rt_console.h"

// The window and its drawing resources. WindowHandle is written by the
// window thread before the first paint and read by both threads after it
// (the program thread sends and posts to the window). Every other field
// belongs to the window thread, the only one that draws: the DPI and the
// font made for it (con_dpi.cpp), and the black erase bitmap, at least as
// large as the client area (grown when the client grows).
struct ConsoleFrontState {
    HWND WindowHandle;
    UINT Dpi;
    LOGFONTA FontSpec;
    HFONT FontHandle;
    HBITMAP BlankBitmap;
    HDC BlankDC;
    int32_t BlankWidth, BlankHeight;
    int32_t VertBar[3], HorzBar[3];  // the scroll bars as last set: range, page, position
    int32_t WheelRest;               // wheel movement short of a line, carried over
};
extern ConsoleFrontState ConsoleFront;

LRESULT CALLBACK ConsoleWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
// The grid, font, class and window, made and shown by the calling thread,
// which then owns the window. Null when all went well, else what failed.
const char* ConsoleWindowOpen();

enum : UINT {
    WM_CON_DRAW = WM_APP + 1,        // posted: rows wait to be drawn
    WM_CON_FLUSH = WM_APP + 2,       // sent: draw what waits, now
    WM_CON_TYPE_AHEAD = WM_APP + 3,  // sent: wParam 1 keep type-ahead, 0 drop it
};

// Drawing (con_render.cpp). Draws rows FirstRow..LastRow (FirstRow -1:
// every row) into dc, scrolling the grid first while the cursor's row lies
// below the client area, from a copy taken under the console lock.
void ConRender(HDC dc, int32_t FirstRow, int32_t LastRow);
// The block ConRender copies rows into: taken when the window is created,
// given back when it is destroyed (ConRender draws nothing without it).
void ConRenderOpen();
void ConRenderClose();
// Draws one copied row at y, run by run, and erases the rest of the row to
// the client's right edge. Expects the console font selected into dc.
void ConDrawRow(HDC dc, int32_t y, int32_t right, const ConRowCopy& row);

// Characters past U+FFFF (con_pairs.cpp): the fallback font made for the
// console's font, and given back; a pair drawn in its two cells at x, y,
// with the console font selected into dc.
void ConPairsFont(const LOGFONTA& console);
void ConPairsClose();
void ConDrawPair(HDC dc, int32_t x, int32_t y, const WCHAR* pair);

// The DPI (con_dpi.cpp): of a window (null: the system's); pixels at 96
// DPI scaled to the window's; the font and cell made for a DPI (false when
// the font cannot be made); the first size scaled from 96 DPI; a move to a
// new DPI (WM_DPICHANGED) and the size that keeps rows and columns there
// (WM_GETDPISCALEDSIZE).
UINT ConDpiOf(HWND hWnd);
int32_t ConDpiScale(int32_t pixels);
bool ConDpiMakeFont(UINT dpi);
void ConDpiFirstSize(HWND hWnd);
void ConDpiChanged(HWND hWnd, UINT dpi, const RECT* suggested);
bool ConDpiScaledSize(HWND hWnd, UINT dpi, SIZE* size);

// Pacing (con_draw.cpp), window thread: WM_CON_DRAW and WM_TIMER (paced),
// WM_CON_FLUSH and typed keys (at once), WM_PAINT (every row, after erasing
// the screen).
void ConDrawRequested(HWND hWnd);
void ConDrawReset();  // the window thread before its window exists
void ConDrawTimer(HWND hWnd);
void ConDrawNow(HWND hWnd);
void ConDrawPaint(HDC dc);
