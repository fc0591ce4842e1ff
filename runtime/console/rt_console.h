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
    ConHistoryRows = 9000,                    // rows kept above the screen buffer's 101
    ConKeptRows = ConRows + ConHistoryRows,   // slots of the ring of rows
};

// One row's cells as the ring keeps them: the bytes (a NUL ends the row),
// the colours of each cell, and the UTF-16 of the cells that hold a
// character rather than a code-page byte.
//
// A cell is one of two kinds. Text printed in the code page (the
// questions, the echo, the messages) keeps its bytes, uni 0: drawn, edited
// and selected as it always was, a double-byte character in two cells. A
// character given as UTF-16 (ConPrintWide: the items of a UTF-8 or UTF-16
// input) that is not ASCII keeps its UTF-16 in uni, and text holds
// ConUniByte there so the row's bytes still end at its NUL: one cell for a
// narrow character; two for a wide one (the second cell ConUniTrail) and
// for a surrogate pair (the high unit, then the low). Uni is 0 past a
// row's NUL, as text is.
struct ConRowSlot {
    char text[ConCols];
    COLORREF fore[ConCols];
    COLORREF back[ConCols];
    WCHAR uni[ConCols];
};
enum : WCHAR { ConUniTrail = 0xFFFF };  // the second cell of a wide BMP character
enum : char { ConUniByte = '?' };       // the byte a character's cells hold in text
// The second cell of a two-cell character (the cell before it starts it).
inline bool ConUniSecond(WCHAR u) { return u == ConUniTrail || (u >= 0xDC00 && u <= 0xDFFF); }
// Cells of the character that starts at col of a row of n cells: two for
// a UTF-16 one followed by its second cell, or a lead byte followed by a
// code-page byte; one otherwise.
inline int32_t ConCellsAt(const char* text, const WCHAR* uni, int32_t col, int32_t n) {
    if (col + 1 >= n) return 1;
    return (uni[col] ? ConUniSecond(uni[col + 1]) : IsDBCSLeadByte((BYTE)text[col]) && !uni[col + 1]) ? 2 : 1;
}
// Cells a character takes: 2 for East Asian wide and full-width characters
// and everything past U+FFFF, 1 otherwise (con_char_cells.cpp).
int32_t ConCharCells(uint32_t c);

// Exit code of the process when the console window cannot be set up.
#define RT_EXIT_CONSOLE_SETUP 4

// The screen buffer: rows 0 to 100 (the grid), where the cursor moves and
// printing lays bytes, are the last 101 lines of a ring of ConKeptRows rows
// (Ring, one block made with the window); the lines above row 0 that the
// grid's scroll pushed out stay in the ring until their slot is needed
// again: the scroll-back. Lines are numbered from the first one printed;
// line L is in slot L % ConKeptRows, row r of the grid is line Top + r.
//
// The grid and the cursor are changed by both threads:
// printing on the program thread, echo and Backspace on the console window
// thread, which alone draws (from a copy taken under the lock). Lock guards
// every access to RowText, RowForeColor, RowBackColor, RowUni, CursorCol,
// CursorRow, Top, History and Widest (and to the ring's rows) on both
// threads. It is never held while
// a message is sent or a thread waits, and never taken while StringLock is
// held. The other fields are written by the window thread before the window
// is ready and only read afterwards (CellWidth and CellHeight: the front
// end measures its font and stores them under the lock).
struct ConsoleBufferState {
    std::recursive_mutex Lock;
    char* RowText[ConRows];           // 255 bytes per row, in the ring; all null once released
    COLORREF* RowForeColor[ConRows];  // 255 colours per row
    COLORREF* RowBackColor[ConRows];
    WCHAR* RowUni[ConRows];           // 255 UTF-16 units per row
    int32_t CursorCol;  // 0..254: cell where the next byte goes
    int32_t CursorRow;  // 0..100
    ConRowSlot* Ring;   // ConKeptRows rows
    int64_t Top;        // the line of row 0
    int32_t History;    // lines kept above row 0: Top - History .. Top - 1
    int32_t Widest;     // the most cells a row has held since the grid was made
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
    WCHAR uni[ConCols];
};
// What the window shows (con_view.cpp): a view of the lines, its top line
// and its left column, which follows the cursor unless the user has
// scrolled away from it. Under ConsoleBuffer.Lock; written by the window
// thread only (the passes, and the user's scrolling and typing).
struct ConsoleViewState {
    int64_t Top;        // the line on the client's first row
    int32_t Left;       // the column at the client's left edge
    bool Following;     // the cursor's row is kept in sight
    int32_t Width, Height;    // the client area of the last pass, in pixels
    int32_t Rows, FullRows;   // rows shown (the last one may be cut), rows shown whole
    int32_t Cols, FullCols;   // the same for columns
    int64_t PassTop;          // Top and Left as the last pass showed them
    int32_t PassLeft;
};
extern ConsoleViewState ConsoleView;
// The view as a pass leaves it, for the front's scroll bars: Lines lines
// can be scrolled through (the oldest kept to the cursor's), Top of them
// are above the view, Page show whole; Widest columns, Left of them left
// of the view, PageCols shown whole. Moved: the view is not where the
// last pass left it (the caret's place on the client changes).
struct ConViewInfo {
    int32_t Lines, Top, Page;
    int32_t Widest, Left, PageCols;
    bool Moved;
};
// The grid's side of a pass (con_grid.cpp): fits the view to a client area
// of clientWidth by clientHeight pixels (the cursor's row kept in sight
// while the view follows it), then copies the view's rows FirstRow..
// LastRow of the grid (FirstRow -1: every row; every row too when the view
// moved), as far as they are visible, into copies, from the view's left
// column on and with the selected cells' colours swapped; how many. A
// copy's row is its row on the client. Takes the console lock.
int32_t ConCopyRows(int32_t clientWidth, int32_t clientHeight, int32_t FirstRow, int32_t LastRow,
                    ConRowCopy* copies, ConViewInfo* info);
// A piece of a copied row that one text call draws (con_row_runs.cpp):
// cells Col..Col+Length-1, all of the same colours. Unicode: the cells
// hold UTF-16 characters, drawn together in UTF-16 with each placed at its
// own cell(s). Joined: the cells are printable code-page characters, drawn
// together the same way; otherwise the run is one byte, or a lead byte with
// the byte after it, that must be drawn by a call of its own.
struct ConRun {
    int32_t Col;
    int32_t Length;
    COLORREF Fore;
    COLORREF Back;
    bool Joined;
    bool Unicode;
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
// Back to an empty grid and ring in the blocks there are: the cursor, the
// view and the selection as a new window has them. Window thread.
void ConGridReset();
// The row of the ring that holds line, or null when it is not kept.
// Caller holds ConsoleBuffer.Lock.
ConRowSlot* ConLineSlot(int64_t line);
// Lays the bytes of text at the cursor and asks for the touched rows to be
// drawn; consumes text. Never draws and never waits.
void ConPrint(RtString text);
void ConPrintText(const char* text);  // the same for a borrowed text, up to its NUL
// The same for n units of UTF-16: each character in its cells (ASCII as
// the code page's bytes), a unit that is half of no pair, and U+FFFF, as U+FFFD; a
// character too wide for what is left of the row ends the row's text.
void ConPrintWide(const WCHAR* text, int32_t n);
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
// The caret placed on the client at its cell, or hidden while that cell is
// out of view (a pass that moved the view places it again). Nothing while
// no line is requested.
void ConLinePlaceCaret();

// The view (con_view.cpp), window thread. Scrolling by lines (up is
// negative) or to a line (0: the oldest kept); by columns, or to a column.
// A view scrolled to the bottom follows the cursor again.
void ConViewScroll(int32_t lines);
void ConViewScrollTo(int32_t line);
void ConViewScrollColumns(int32_t cols);
void ConViewScrollColumnTo(int32_t col);
// Back to the cursor (a typed key, Enter).
void ConViewFollow();
// The cell's size changed (a new DPI): the next pass fits the view anew.
void ConViewCellChanged();
// The view's keys, with the state of Shift and Ctrl: Shift+PgUp/PgDn a
// page, Ctrl+Up/Down a line, Ctrl+Home/End the top and bottom while the
// typed line is empty. False when the key is not the view's.
bool ConViewKey(uint32_t key, bool shift, bool ctrl);
// The cell (col, row) of the grid on the client, when it is in view.
bool ConViewCell(int32_t col, int32_t row, int32_t* viewCol, int32_t* viewRow);

// Selection and copy (con_select.cpp), window thread. The mouse on a cell
// of the client (it may lie outside while a drag goes on): ConMouseDown
// starts a selection (a box with Alt; Shift extends the one shown),
// ConMouseDrag moves its end, ConMouseUp ends the drag, ConMouseDouble
// selects the word, ConMouseRight copies the selection or, with none,
// pastes.
enum : uint32_t { ConMouseDown, ConMouseDrag, ConMouseUp, ConMouseDouble, ConMouseRight };
void ConMouse(uint32_t action, int32_t col, int32_t row, bool shift, bool alt);
// A typed character the selection takes before the line editor: Ctrl+A
// (1) selects everything; with a selection shown, Enter (13) and Ctrl+C
// (3) copy it and Esc (27) clears it. False when it is the editor's.
bool ConSelectChar(uint32_t c);
// The selected columns first..last of line (whole characters), for a pass;
// false when none of it is selected. Caller holds ConsoleBuffer.Lock.
bool ConSelectedCells(int64_t line, int32_t* first, int32_t* last);
bool ConSelectionShown();
void ConSelectClear();   // and the rows drawn again
void ConSelectForget();  // no selection, nothing drawn (a grid made anew)
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
