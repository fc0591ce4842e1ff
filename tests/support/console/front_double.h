// A recording double of the console's front end (con_front.h), for the host
// build: it plays the window thread, does each request of the console's
// logic on it, and records what a window would have shown, so tests and
// fuzz targets check the logic with no window system behind it.
//
// - ConsoleThreadMain (the window thread's body) makes the grid with cells
//   of 8 by 16 pixels and a client area of 640 by 400 (rows 0 to 24
//   visible), paints once, and then runs tasks in place of messages until
//   FrontClose; then it ends the process as the real thread does.
// - A drawing pass (ConFrontDrawSoon, paced to a frame as the real front
//   paces it; ConFrontDrawNow and ConFrontFlush at once) copies the rows due
//   and cuts them into runs, as the real one does, and records each row
//   drawn: the screen (each cell's byte and colours) and a log of the rows
//   and runs drawn.
// - The caret, beeps, the clipboard's text and the view's place (what the
//   scroll bars would show) are plain records.
// Without a window thread (FrontOpenHere: the fuzz targets), the calling
// thread is the window thread, and FrontPump does what waits.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "con_front.h"
#include "rt_console.h"

// Runs task on the window thread and returns once it has run: at once when
// called on it (or where there is none), else queued after what waits. A
// task sent after the window has closed does not run.
void FrontRun(const std::function<void()>& task);
// The window is closed as a user closes it (the window thread ends the
// process); returns at once.
void FrontClose();

// The single-threaded window of the fuzz targets: the grid and the first
// paint on the calling thread, which is the window thread from then on.
void FrontOpenHere();
// Single-threaded: what waits (a drawing pass asked for) done now.
void FrontPump();

// The client area, in pixels; the next pass or paint uses it (a resize
// draws nothing by itself).
void FrontSetClient(int32_t width, int32_t height);
// A paint as the system asks for one: the screen erased, every row drawn.
// On the window thread, waited for.
void FrontRepaint();

// The screen as drawn so far: a row's bytes (cells never drawn read as
// NUL up to the last drawn one), and one cell's colours.
std::string FrontScreenRow(int32_t row);
// The same a cell a unit: a character's UTF-16 (ConUniTrail for the second
// cell of a wide one), else the cell's byte.
std::u16string FrontScreenUnits(int32_t row);
struct FrontCellColours {
    COLORREF fore = 0, back = 0;
};
FrontCellColours FrontScreenCell(int32_t row, int32_t col);
void FrontScreenClear();

// The rows drawn since the last clear, in order, each with its runs.
struct FrontDrawnRow {
    int32_t row;
    std::vector<ConRun> runs;
};
std::vector<FrontDrawnRow> FrontDrawLog();
void FrontDrawLogClear();

struct FrontCaret {
    bool shown = false;
    int32_t col = 0, row = 0;
    int32_t shows = 0;  // ConFrontCaretShow calls so far
};
FrontCaret FrontGetCaret();
int32_t FrontBeeps();
// What ConFrontClipboardText finds (nullptr: no text at all).
void FrontSetClipboard(const char* text);
// The clipboard's text as the code page has it, and how many times a copy
// put text there.
std::string FrontClipboard(int32_t* puts = nullptr);
std::u16string FrontClipboardWide();  // the UTF-16 last put there
// The view as the last pass left it (the front's scroll bars).
ConViewInfo FrontViewInfo();

// Counters for the benchmark, read from any thread.
struct FrontCounts {
    uint64_t passes = 0, rows = 0, runs = 0;
};
FrontCounts FrontGetCounts();
void FrontCountsReset();

// Back to a fresh double: no record, no clipboard text, the default client
// area, no window thread. A simulated process starts with this.
void FrontReset();
