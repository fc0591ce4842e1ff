// The console's front end: everything the console's logic (printing, the
// line editor, type-ahead, the input statement) asks of its window, as
// plain calls with no window types. front/con_front_win32.cpp does them with
// the Win32 API, on the console window; the window procedure, in turn, hands
// the logic what the user did (ConLineChar, ConLineKey, ConLineDropFile) in
// the logic's own terms, and draws what ConCopyRows and ConRowRuns hand it.
// The host tests link a recording double of these calls instead.
// Keeping the seam this narrow lets the logic be driven and checked without
// a window, and lets a new window call be added in one place.
#pragma once
#include <cstdint>

// Editing keys, as the line editor knows them (the front maps the system's
// key codes to these; others never reach the editor).
enum ConKey : uint32_t {
    ConKeyLeft = 1, ConKeyRight, ConKeyHome, ConKeyEnd, ConKeyDelete, ConKeyUp, ConKeyDown,  // the editor's
    ConKeyPageUp, ConKeyPageDown,  // the view's only
};

// Window thread: while a line is typed.
void ConFrontBeep();
void ConFrontRedrawAll();   // every row drawn again soon: a change the logic cannot name by rows
void ConFrontDrawNow();     // what waits to be drawn, drawn now
void ConFrontCaretHide();   // before an edit's echo
void ConFrontCaretShow(int32_t col, int32_t row);  // after it: the caret at this cell
// The clipboard's text, its first most bytes into out (no NUL added); the
// bytes copied, or -1 when the clipboard holds no text.
int32_t ConFrontClipboardText(char* out, int32_t most);
// Puts length units of UTF-16 text (a NUL after them) on the clipboard as
// the system's Unicode text (the system gives it in a code page to a
// program that asks for that).
void ConFrontClipboardPut(const uint16_t* text, int32_t length);

// Any thread: a drawing pass is wanted soon (the front paces it).
void ConFrontDrawSoon();

// Program thread: the input statement's turns with the window thread. Each
// returns once the window thread has done it.
void ConFrontFlush();              // everything printed so far is on the screen
void ConFrontLineRequested();      // a line is requested: keys typed ahead go in, the caret shows
void ConFrontLineTaken();          // the line is taken: the caret goes
void ConFrontKeepTypeAhead(bool keep);
