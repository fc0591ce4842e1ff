// The writer's buffer. A file opened for writing only (mode 2, or 3 to
// append) collects FilePrint's bytes in a 64 KiB block of its own number, so
// that a program writing many small pieces costs the system one write per
// block instead of one per piece. The block goes to the system when the
// next piece does not fit, when a piece comes a frame (16 ms) or more after
// the last flush (so the first piece after a pause goes out at once, and
// the file never lags the screen by more than a frame while a program
// writes), with the first piece after an open (a file that cannot be
// written at all is found out at once), at FileClose and FileFlush, and,
// through RtBeforeExit, just
// before the console window thread ends the process: whatever the moment
// the window is closed, every byte already printed is in the file.
//
// A failed write is noted in the error record once, at the flush that
// failed; the slot then drops everything else written to it, so nothing is
// written after a failure. Files opened to read and write (mode 0) write
// at once: their reads share the system's position.
#include "file_write_buffer.h"

FileWriteState FileWrite;  // zero at start: nothing buffered

namespace {

// Bytes to the system, unless a write has failed. Caller holds the lock.
void Send(FileWriteSlot& slot, HANDLE h, const char* bytes, uint32_t length) {
    DWORD written = 0;
    if (slot.Failed || length == 0) return;
    if (!WriteFile(h, bytes, length, &written, nullptr)) {
        slot.Failed = true;
        FileErrorNoteHandle(h, GetLastError());
    } else if (written != length) {
        slot.Failed = true;
        FileErrorNoteHandle(h, ERROR_DISK_FULL);  // a short write on a disk file
    }
}

void Flush(FileWriteSlot& slot, HANDLE h) {
    Send(slot, h, slot.Block, slot.Used);
    slot.Used = 0;
}

void FlushAll() {
    for (int32_t n = 0; n < 256; n++) {
        if (FileWrite.Slots[n].Used) Flush(FileWrite.Slots[n], FileTable.Handles[n]);
    }
}

void BeforeExit() {
    EnterCriticalSection(&FileWrite.Lock);
    FlushAll();
    // The process ends now: a byte printed after the last flush goes nowhere.
    FileWrite.Ended = true;
    LeaveCriticalSection(&FileWrite.Lock);
}

}  // namespace

void FileWriteReset(int32_t number, bool buffered) {
    if (number < 0 || number > 256) return;
    if (!FileWrite.LockReady) {
        if (!buffered) return;  // nothing was ever buffered
        InitializeCriticalSection(&FileWrite.Lock);
        FileWrite.LockReady = true;
        RtSetBeforeExit(BeforeExit);
    }
    EnterCriticalSection(&FileWrite.Lock);
    for (int32_t n = number == 0 ? 1 : number; n <= (number == 0 ? 256 : number); n++) {
        FileWriteSlot& slot = FileWrite.Slots[n - 1];
        Flush(slot, FileTable.Handles[n - 1]);
        if (slot.Block) HeapFree(RtHeap, 0, slot.Block);
        slot = FileWriteSlot{};
        slot.Buffered = buffered;
    }
    if (buffered) FileWrite.FlushNext = true;
    LeaveCriticalSection(&FileWrite.Lock);
}

bool FileWriteBuffered(int32_t number, HANDLE h, const char* bytes, uint32_t length) {
    FileWriteSlot& slot = FileWrite.Slots[number - 1];
    if (!slot.Buffered) return false;
    EnterCriticalSection(&FileWrite.Lock);
    if (FileWrite.Ended) {
        LeaveCriticalSection(&FileWrite.Lock);
        return true;
    }
    if (!slot.Block) slot.Block = (char*)RtHeapAlloc(kFileWriteBlock, false);
    const DWORD now = GetTickCount();
    if (slot.Used + length > kFileWriteBlock) Flush(slot, h);
    if (length >= kFileWriteBlock) {
        Send(slot, h, bytes, length);  // a piece as large as the block goes out by itself
    } else if (!slot.Failed) {
        RtlMoveMemory(slot.Block + slot.Used, bytes, length);
        slot.Used += length;
    }
    if (FileWrite.FlushNext || now - FileWrite.LastFlush >= (FileWrite.Delay ? FileWrite.Delay : kFileWriteDelay)) {
        FlushAll();
        FileWrite.LastFlush = now;
        FileWrite.FlushNext = false;
    }
    LeaveCriticalSection(&FileWrite.Lock);
    return true;
}

void FileFlush(int32_t number) {
    if (!FileWrite.LockReady || number < 0 || number > 256) return;
    EnterCriticalSection(&FileWrite.Lock);
    if (number == 0) FlushAll();
    else Flush(FileWrite.Slots[number - 1], FileTable.Handles[number - 1]);
    LeaveCriticalSection(&FileWrite.Lock);
}
