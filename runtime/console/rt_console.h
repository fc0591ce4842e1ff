// The console: a text screen emulated in a window on its own thread. The
// grid and its drawing, console output, the window procedure with its line
// editing, the window thread and the console input statement.
#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>

#include "rt_core.h"

enum : int32_t {
    ConRows = 101,      // rows 0 to 100
    ConCols = 255,      // cells per row
    ConLastCell = 253,  // last cell that takes a byte: cell 254 keeps the row's NUL
    ConLineMax = 255,   // bytes of a typed line; LineBuffer also holds its NUL
};

// Exit code of the process when the console window cannot be set up.
#define RT_EXIT_CONSOLE_SETUP 4

// The screen buffer. The grid and the cursor are changed by both threads:
// printing on the program thread, echo and Backspace on the console window
// thread, which alone draws (from a copy taken under the lock). Lock guards
// every access to RowText, RowForeColor, RowBackColor, CursorCol and
// CursorRow on both threads. It is never held while
// a message is sent or a thread waits, and never taken while StringLock is
// held. The other fields are written by the window thread before the window
// is ready and only read afterwards.
struct ConsoleBufferState {
    std::recursive_mutex Lock;
    char* RowText[ConRows];           // 255 bytes per row; all null once released
    COLORREF* RowForeColor[ConRows];  // 255 colours per row
    COLORREF* RowBackColor[ConRows];
    int32_t CursorCol;  // 0..254: cell where the next byte goes
    int32_t CursorRow;  // 0..100
    COLORREF ForeColor;
    COLORREF BackColor;
    LOGFONTA FontSpec;
    HFONT FontHandle;
    int32_t CellWidth;
    int32_t CellHeight;
};
extern ConsoleBufferState ConsoleBuffer;

// The console window. WindowHandle, ScreenWidth and ScreenHeight are written
// by the window thread before the first paint and read by both threads after
// it; WindowReady (0, then 1) is written by the window thread and polled by
// the program thread; ConsoleThreadId is written by the program thread.
// BlankBitmap and BlankDC belong to the window thread, the only one that draws.
struct ConsoleWindowState {
    HWND WindowHandle;
    DWORD ConsoleThreadId;
    alignas(8) double WindowReady;  // only through ConsoleWindowSetReady / ConsoleWindowIsReady
    int32_t ScreenWidth;
    int32_t ScreenHeight;
    HBITMAP BlankBitmap;
    HDC BlankDC;
};
extern ConsoleWindowState ConsoleWindow;

// The line handed from the window thread to the program thread. LineLength
// is the only synchronisation: the program thread stores 0 to request a line
// (only while it is -1); the window thread edits LineBuffer and stores the
// new length (only while it is not -1), and on Enter stores the line's NUL
// and then -1 with release order; the program thread reads LineBuffer after
// an acquire load has seen -1.
struct LineMailboxState {
    char LineBuffer[256];
    const char* Prompt;  // the question's prompt, for as long as its line is requested
    alignas(4) int32_t LineLength;  // -1: no line requested, or the line is complete; atomic access only
};
extern LineMailboxState LineMailbox;

// Atomic access to the two words shared without a lock.
inline int32_t ConLineLength() { return std::atomic_ref<int32_t>(LineMailbox.LineLength).load(std::memory_order_acquire); }
inline void ConSetLineLength(int32_t n) {
    std::atomic_ref<int32_t>(LineMailbox.LineLength).store(n, std::memory_order_release);
}
inline void ConsoleWindowSetReady(double value) {
    std::atomic_ref<double>(ConsoleWindow.WindowReady).store(value, std::memory_order_release);
}
inline bool ConsoleWindowIsReady() {
    return std::atomic_ref<double>(ConsoleWindow.WindowReady).load(std::memory_order_acquire) != 0;
}

// Drawing. ConPrint only lays bytes and asks the window thread for a
// drawing pass (see front/con_draw.cpp); the window thread draws, paced.
//
// Draws rows FirstRow..LastRow (FirstRow -1: every row) into dc, scrolling
// the grid first while the cursor's row lies below the client area. Takes a
// copy of the rows under the console lock and draws from it outside the lock.
void ConRender(HDC dc, int32_t FirstRow, int32_t LastRow);
// One row as a drawing pass copied it: its bytes up to and with its NUL,
// and the colours of those cells.
struct ConRowCopy {
    int32_t row;
    int32_t n;
    char text[ConCols];
    COLORREF fore[ConCols];
    COLORREF back[ConCols];
};
// The grid's side of a pass (con_grid.cpp), no window call: scrolls while
// the cursor's row lies below a client area clientHeight pixels tall, then
// copies rows FirstRow..LastRow (FirstRow -1: every row), as far as they are
// visible, into copies; how many. Takes the console lock.
int32_t ConCopyRows(int32_t clientHeight, int32_t FirstRow, int32_t LastRow, ConRowCopy* copies);
// The block ConRender copies rows into: taken when the window is created,
// given back when it is destroyed (ConRender draws nothing without it).
void ConRenderOpen();
void ConRenderClose();
// Draws one row from its bytes (n of them, NUL-terminated) and the colours
// of its cells at y, and erases the rest of the row to the client's right
// edge. Expects the console font selected into dc.
void ConDrawRow(HDC dc, int32_t y, int32_t right, const char* text, int32_t n, const COLORREF* fore,
                const COLORREF* back);
// Lays the bytes of text at the cursor and asks for the touched rows to be
// drawn; consumes text. Never draws and never waits.
void ConPrint(RtString text);
void ConPrintText(const char* text);  // the same for a borrowed text, up to its NUL
// The console input statement: prompt, wait for a typed line, store its
// comma-separated items through the value list; consumes prompt.
void ConInput(RtString prompt);
// Answers given before their questions (the program's arguments): each
// ConInput takes the next one as if it had been typed, prompt and echo
// included; an answer the question refuses is told, and the question is
// then asked. Borrows the strings; program thread only.
// fits[i] is RtPathOk or why answer i could not be had (then it is
// refused with a line saying so, and the question is asked); fits may be
// null.
void ConSetAnswers(const RtString* answers, const int32_t* fits, int32_t count);
// Type-ahead: keys typed while no line is requested are kept for the next
// question (the default), or, from ConKeepTypeAhead(false) on, dropped, as
// are any still waiting. Program thread.
void ConKeepTypeAhead(bool keep);
LRESULT CALLBACK ConsoleWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
// The line editor (con_line_edit.cpp), window thread: a typed character
// (a byte, as WM_CHAR gives it), an editing key (a ConKey), a dropped path
// typed at the caret, and the cell the caret stands in. It reaches the
// window only through the front end (con_front.h).
void ConLineChar(uint32_t c);
void ConLineKey(uint32_t key);  // a ConKey (con_front.h)
void ConLineDrop(const char* text);
// A line told while a line is being typed: the echo goes, the text and the
// prompt are printed, and the line as it was is echoed again after them.
void ConLineAnnounce(RtString text);
// Text put in at the caret as a paste puts it (no line end in it).
void ConLineInsertText(const char* text, int32_t length);
void ConLineCaretCell(int32_t* col, int32_t* row);
void ConLineForget();  // a fuzz target between inputs: no caret, no history
// The grid, font, class and window, made and shown by the calling thread,
// which then owns the window. Null when all went well, else what failed.
// The window thread does this before its message loop; single-threaded
// drivers (the fuzz targets) call it directly.
const char* ConsoleWindowOpen();
// Body of the console window thread; ends the process.
DWORD WINAPI ConsoleThreadMain(LPVOID parameter);

// Moves the grid up one row: row 0 is released, row 100 is fresh and
// CursorRow decreases by one; every row then needs drawing. Caller holds
// ConsoleBuffer.Lock.
void ConScrollUp();

// The drawing scheduler: which rows are due (con_due_rows.cpp) and when and
// how a pass draws them (front/con_draw.cpp).
enum : UINT {
    WM_CON_DRAW = WM_APP + 1,   // posted: rows wait to be drawn
    WM_CON_FLUSH = WM_APP + 2,  // sent: draw what waits, now
    WM_CON_TYPE_AHEAD = WM_APP + 3,  // sent: wParam 1 keep type-ahead, 0 drop it
};

// Type-ahead (con_type_ahead.cpp), window thread. An entry is a typed
// character (WM_CHAR), a key (WM_KEYDOWN, ConAheadKey | its code) or a byte
// of pasted text (ConAheadText | the byte).
enum : uint32_t { ConAheadKey = 0x100, ConAheadText = 0x200, ConTypeAheadMax = 4096 };
void ConTypeAheadKeep(bool keep);
// Keeps an entry typed while no line is requested; dropped when not keeping.
void ConTypeAheadPut(uint32_t entry);
// Pasted text after its first line end: waits before every other entry,
// its line ends made Enter; false when it was cut for want of room.
bool ConTypeAheadPutText(const char* text, int32_t length);
// While a line is requested: the waiting entries, in order, as if typed now.
void ConTypeAheadReplay();
// Marks rows First..Last (First -1: every row) as waiting to be drawn, and
// forgets every mark once every row has been drawn. Caller holds
// ConsoleBuffer.Lock.
void ConMarkRows(int32_t First, int32_t Last);
void ConUnmarkRows();
// A pass begins (con_due_rows.cpp): the request is cleared, then the due
// rows taken (First -1: every row) and unmarked; false when none is due.
bool ConTakeDueRows(int32_t* First, int32_t* Last);
void ConDueRowsReset();  // no row due, no request on its way
// Makes sure a drawing pass will follow: posts WM_CON_DRAW unless one is
// already on its way. Any thread; never called with the console lock held.
void ConRequestDraw();
// Window thread: WM_CON_DRAW and WM_TIMER (paced), WM_CON_FLUSH and typed
// keys (at once), WM_PAINT (every row, after erasing the screen).
void ConDrawRequested(HWND hWnd);
void ConDrawReset();  // the window thread before its window exists; a fuzz target between inputs
void ConDrawTimer(HWND hWnd);
void ConDrawNow(HWND hWnd);
void ConDrawPaint(HDC dc);
// Passes drawn so far (window thread writes, anyone may read).
uint32_t ConDrawPassCount();
