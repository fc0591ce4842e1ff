// The console's model: a text screen emulated in a window on its own
// thread. The grid and its scroll, console output, what a drawing pass
// shows, the line editor, type-ahead and the console input statement, all
// plain logic with no window call; the window is reached only through the
// front end (con_front.h), which is the Win32 window in the product
// (front/con_win32.h) and a recording double in the host tests.
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
// is ready and only read afterwards (CellWidth and CellHeight: the front
// end measures its font and stores them under the lock).
struct ConsoleBufferState {
    std::recursive_mutex Lock;
    char* RowText[ConRows];           // 255 bytes per row; all null once released
    COLORREF* RowForeColor[ConRows];  // 255 colours per row
    COLORREF* RowBackColor[ConRows];
    int32_t CursorCol;  // 0..254: cell where the next byte goes
    int32_t CursorRow;  // 0..100
    COLORREF ForeColor;
    COLORREF BackColor;
    int32_t CellWidth;
    int32_t CellHeight;
};
extern ConsoleBufferState ConsoleBuffer;

// The console window thread's start. WindowReady (0, then 1 after the first
// paint) is written by the window thread and polled by the program thread;
// ConsoleThreadId is written by the program thread.
struct ConsoleWindowState {
    DWORD ConsoleThreadId;
    alignas(8) double WindowReady;  // only through ConsoleWindowSetReady / ConsoleWindowIsReady
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

// Drawing. ConPrint only lays bytes and asks the front end for a drawing
// pass (con_due_rows.cpp); the window thread draws, paced, what the grid's
// logic hands it: the rows a pass shows (ConCopyRows), each cut into the
// runs one text call can draw (ConRowRuns).
//
// One row as a drawing pass copied it: its bytes up to and with its NUL,
// and the colours of those cells.
struct ConRowCopy {
    int32_t row;
    int32_t n;
    char text[ConCols];
    COLORREF fore[ConCols];
    COLORREF back[ConCols];
};
// The grid's side of a pass (con_grid.cpp): scrolls while the cursor's row
// lies below a client area clientHeight pixels tall, then copies rows
// FirstRow..LastRow (FirstRow -1: every row), as far as they are visible,
// into copies; how many. Takes the console lock.
int32_t ConCopyRows(int32_t clientHeight, int32_t FirstRow, int32_t LastRow, ConRowCopy* copies);
// A piece of a copied row that one text call draws (con_row_runs.cpp):
// cells Col..Col+Length-1, all of the same colours. Joined: the cells are
// printable characters, drawn together with each placed at its own cell;
// otherwise the run is one byte, or a lead byte with the byte after it,
// that must be drawn by a call of its own.
struct ConRun {
    int32_t Col;
    int32_t Length;
    COLORREF Fore;
    COLORREF Back;
    bool Joined;
};
// Cuts the row into runs, leaving out the cells that start at or past
// column cols (the client's right edge); how many (at most c.n).
int32_t ConRowRuns(const ConRowCopy& c, int32_t cols, ConRun* runs);
// The grid's blocks: made by the window thread before its window
// (ConGridOpen: blank rows, the cursor at the start, white on black) and
// given back when the window has gone (ConGridRelease), under the lock, so
// that a print still running on the program thread either finishes first
// or finds the grid gone and does nothing.
void ConGridOpen();
void ConGridRelease();
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
// The line editor (con_line_edit.cpp), window thread: a typed character
// (a byte, as the system's character messages give it), an editing key (a
// ConKey), a dropped path typed at the caret, and the cell the caret
// stands in. It reaches the
// window only through the front end (con_front.h).
void ConLineChar(uint32_t c);
void ConLineKey(uint32_t key);  // a ConKey (con_front.h)
void ConLineDrop(const char* text);
// A file dropped on the window (its path, length UTF-16 units; 0: the
// system gave none): while a line is requested its path is typed at the
// caret as the input statement can take it, or refused with a line that
// says why.
void ConLineDropFile(const WCHAR* path, uint32_t length);
// The line is requested, or the window has the focus back: keys typed
// ahead go in first, then the caret shows at its cell.
void ConLineShowCaret();
// A line told while a line is being typed: the echo goes, the text and the
// prompt are printed, and the line as it was is echoed again after them.
void ConLineAnnounce(RtString text);
// Text put in at the caret as a paste puts it (no line end in it).
void ConLineInsertText(const char* text, int32_t length);
void ConLineCaretCell(int32_t* col, int32_t* row);
void ConLineForget();  // a fuzz target between inputs: no caret, no history
// Body of the console window thread, the front end's (the Win32 window, or
// a test's double of it): it makes the grid and the window, runs until the
// window is closed, and ends the process.
DWORD WINAPI ConsoleThreadMain(LPVOID parameter);

// Moves the grid up one row: row 0 is released, row 100 is fresh and
// CursorRow decreases by one; every row then needs drawing. Caller holds
// ConsoleBuffer.Lock.
void ConScrollUp();

// Type-ahead (con_type_ahead.cpp), window thread. An entry is a typed
// character, an editing key (ConAheadKey | its ConKey) or a byte of pasted
// text (ConAheadText | the byte).
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
// Makes sure a drawing pass will follow: asks the front end for one
// (ConFrontDrawSoon) unless a request is already on its way. Any thread;
// never called with the console lock held.
void ConRequestDraw();
