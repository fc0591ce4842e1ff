// The writer's buffer: what file_write_buffer.cpp explains, seen by
// FilePrint, FileOpen and FileClose.
#pragma once
#include <cstdint>

#include "rt_file.h"

// Bytes a file opened for writing (mode 2 or 3) collects before they go to
// the system.
constexpr uint32_t kFileWriteBlock = 64 * 1024;
// The longest a byte waits in the buffer while a program keeps writing, in
// milliseconds: about a frame.
constexpr DWORD kFileWriteDelay = 16;

struct FileWriteSlot {
    char* Block;      // kFileWriteBlock heap bytes, taken at the first write
    uint32_t Used;    // bytes waiting in it
    bool Buffered;    // opened for writing only: writes collect here
    bool Failed;      // a write to the system failed: nothing more goes out
};

// Every file number's buffer. Lock guards all of it: the program thread
// writes and flushes, the console window thread flushes everything just
// before it ends the process (RtBeforeExit). LastFlush is the tick of the
// last flush (program thread).
struct FileWriteState {
    FileWriteSlot Slots[256];
    CRITICAL_SECTION Lock;
    bool LockReady;
    bool Ended;       // the process is ending: the last flush is done
    bool FlushNext;   // a file was opened: its first piece goes out at once
    DWORD LastFlush;
    DWORD Delay;      // 0: kFileWriteDelay; tests make it long to keep time out of it
};
extern FileWriteState FileWrite;

// FileOpen: the number now writes through a buffer, or not; FileClose: what
// waits goes out and the buffer is released. Both flush what waits first.
void FileWriteReset(int32_t number, bool buffered);
// FilePrint's bytes for a buffered number; false when the number is not
// buffered (the caller writes to the system itself).
bool FileWriteBuffered(int32_t number, HANDLE h, const char* bytes, uint32_t length);
