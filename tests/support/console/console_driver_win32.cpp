// Test helpers of the win32 build: the console thread in the test program
// itself, against the real window system. It lives until the program ends.
#include "con_win32.h"
#include "console_driver.h"

void ConsoleStartThread();

void ConsoleStart() { ConsoleStartThread(); }

void ConsoleEndSession() {}

void ConsoleType(const std::string& bytes) {
    for (unsigned char c : bytes) SendMessageA(ConsoleFront.WindowHandle, WM_CHAR, c, 0);
}

void ConsoleFlush() { SendMessageA(ConsoleFront.WindowHandle, WM_CON_FLUSH, 0, 0); }
