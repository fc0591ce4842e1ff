// Test helpers of the win32 build: the console thread in the test program
// itself, against the real window system. It lives until the program ends.
#include "console_driver.h"

void ConsoleStartThread();

void ConsoleStart() { ConsoleStartThread(); }

void ConsoleEndSession() {}
