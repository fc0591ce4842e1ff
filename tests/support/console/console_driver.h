// Test helpers for driving the console from other threads, as a user and the
// program would: start the window thread, type into the window, read the grid
// and, in the host build, read the screen and close the window.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "rt_console.h"

// Starts the console window thread the way the program does (LineLength -1,
// WindowReady 0, CreateThread, wait for the first paint). In the host build
// this runs inside a fresh simulated process (HostProcessBegin).
void ConsoleStart();

// Ends what ConsoleStart began, for a suite that shares one console: in the
// host build it closes the window and ends the simulated process; in the
// win32 build it does nothing (closing would end the test program).
void ConsoleEndSession();

// Types each byte into the console window (WM_CHAR) from the calling thread;
// returns when the window thread has handled the last one.
void ConsoleType(const std::string& bytes);

// Has the window thread draw whatever waits to be drawn, and returns once
// it has: the screen is then at rest.
void ConsoleFlush();

// Waits until a line is requested (LineLength no longer -1); false on timeout.
bool ConsoleWaitForRequest(unsigned timeout_ms = 10000);

// Types each line and Enter, each as soon as the program requests a line, on
// a thread of its own. join() waits for the last line to be taken.
class ConsoleTypist {
public:
    // before_line(i), if given, runs on the typist's thread once line i has
    // been requested and before it is typed: the program thread is waiting
    // then, and what it stored before the request is safe to read.
    explicit ConsoleTypist(std::vector<std::string> lines, std::function<void(size_t)> before_line = {});
    ~ConsoleTypist() { join(); }
    void join() {
        if (thread_.joinable()) thread_.join();
    }
    bool ok() const { return ok_; }  // valid after join: every line was requested in time

private:
    std::vector<std::string> lines_;
    std::function<void(size_t)> before_line_;
    bool ok_ = true;
    std::thread thread_;
};

// The grid, read under the console lock: a row's text (bytes before its NUL)
// and the cursor.
std::string ConsoleGridRow(int32_t row);
// A row's characters in UTF-8: code-page cells decoded, UTF-16 cells as
// they are.
std::string ConsoleGridChars(int32_t row);
int32_t ConsoleCursorRow();
int32_t ConsoleCursorCol();

// ---- host build only ----

// Closes the window as a user does (WM_CLOSE), waits for the simulated
// process to end and returns its exit code (-1: it did not end).
int ConsoleClose();

// What the window shows of a row of the grid once drawing has caught up
// (empty while the row is out of view).
std::string ConsoleScreenRow(int32_t row);
