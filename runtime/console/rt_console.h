// The console: a text screen emulated in a window on its own thread. The
// grid and its drawing, console output, the window procedure with its line
// editing, the window thread and the console input statement.
#pragma once
#include <cstdint>

#include "rt_core.h"

enum : int32_t {
    ConRows = 101,   // rows 0 to 100
    ConCols = 255,   // cells per row; a row holds at most 254 bytes of text
};

struct ConsoleBufferState {
    char* RowText[ConRows];           // 255 bytes per row
    COLORREF* RowForeColor[ConRows];  // 255 colours per row
    COLORREF* RowBackColor[ConRows];
    int32_t CursorCol;
    int32_t CursorRow;
    COLORREF ForeColor;
    COLORREF BackColor;
    LOGFONTA FontSpec;
    HFONT FontHandle;
    int32_t CellWidth;
    int32_t CellHeight;
};
extern ConsoleBufferState ConsoleBuffer;

struct ConsoleWindowState {
    HWND WindowHandle;
    DWORD ConsoleThreadId;
    double WindowReady;
    int32_t ScreenWidth;
    int32_t ScreenHeight;
    HBITMAP BlankBitmap;
    HDC BlankDC;
};
extern ConsoleWindowState ConsoleWindow;

struct LineMailboxState {
    char LineBuffer[256];
    int32_t LineLength;  // -1: no line requested (or complete); accessed atomically
};
extern LineMailboxState LineMailbox;

void ConRender(HDC dc, int32_t FirstRow, int32_t LastRow);
void ConPrint(RtString text);     // consumes text
void ConInput(RtString prompt);   // consumes prompt; fills the value list
LRESULT CALLBACK ConsoleWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
DWORD WINAPI ConsoleThreadMain(LPVOID parameter);
