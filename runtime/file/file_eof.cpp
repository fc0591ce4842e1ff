// FileEof: whether the reader's position has reached the file's end.
#include "file_read_buffer.h"

int32_t FileEof(int32_t number) {
    HANDLE* slot = FileSlot(number);
    if (!slot) return -1;
    // A byte read ahead and not yet consumed lies before the end.
    if (FileReadUnread(number) > 0) return 0;
    // Otherwise the reader stands at the system's position.
    HANDLE h = *slot;
    // On a handle that is not open each position call answers all ones, and
    // all ones is not below all ones: -1, so a failed input ends a read loop.
    DWORD cur = SetFilePointer(h, 0, nullptr, FILE_CURRENT);
    DWORD end = SetFilePointer(h, 0, nullptr, FILE_END);
    // The saved position goes back as a signed 32-bit distance: right only
    // for files below 2 GiB.
    SetFilePointer(h, (LONG)cur, nullptr, FILE_BEGIN);
    return cur >= end ? -1 : 0;
}
