// The console for the fuzz targets: the grid and the recording front end
// (front_double.h) made once per process on the calling thread, without a
// window thread, so that the line editor, printing and drawing passes all
// run directly on the fuzzing thread and an input costs no thread
// hand-over.
#pragma once
#include <algorithm>
#include <string>
#include <vector>

#include "front_double.h"

// Reads an input front to back; Take gives fewer bytes at the end.
struct FuzzReader {
    const uint8_t* data;
    size_t size, pos = 0;
    bool More() const { return pos < size; }
    uint8_t Byte() { return data[pos++]; }
    std::string Take(size_t n) {
        n = std::min(n, size - pos);
        std::string s((const char*)data + pos, n);
        pos += n;
        return s;
    }
};

// Opens the console once (later calls do nothing).
void FuzzConsoleOpen();

// Back to a fresh console before each input: empty grid, cursor at the
// start, no line requested, a client area of the given size, a blank screen.
void FuzzConsoleReset(int width, int height);

// The client area resized, and the repaint the system asks for then.
void FuzzResize(int width, int height);

// Brings the screen up to date after a print, a keystroke or a change of
// the client area, as the window thread would. This is the one place that
// knows how drawing is driven.
void FuzzDrawingPass();

// What the screen shows on text rows 0 to rows-1: drawn pieces placed at
// their cells, cells not drawn between pieces read as NUL.
std::vector<std::string> FuzzScreenRows(int32_t rows);

// The text of the view's row as the window should show it in a client area
// of the given width: the characters of its line that start inside it,
// from the view's left column (one cut by the left edge shows as a blank).
std::string FuzzVisibleLine(int32_t row, int32_t width);

// The view and the screen agree: the cursor lies in the grid and, while
// the view follows it and the client area has a height, on a row in view;
// every row keeps its NUL; every visible screen row shows its line.
void FuzzCheckScreen();

// Ends the process with a message naming the broken property.
void FuzzCheck(bool ok, const char* what);

// Live strings, read under the string lock.
int32_t FuzzLiveStrings();
