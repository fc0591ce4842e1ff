// FileEof: whether the reader's position has reached the file's end.
// Positions are 64-bit, so files of any size end where they really end.
#include "file_read_buffer.h"

int32_t FileEof(int32_t number) {
    HANDLE* slot = FileSlot(number);
    if (!slot) return -1;
    // A byte read ahead and not yet consumed lies before the end.
    if (FileReadUnread(number) > 0) return 0;
    // Otherwise the reader stands at the system's position. On a handle
    // that is not open the position calls fail: -1, so a failed input ends
    // a read loop.
    HANDLE h = *slot;
    LARGE_INTEGER zero, cur, end;
    zero.QuadPart = 0;
    if (!SetFilePointerEx(h, zero, &cur, FILE_CURRENT)) return -1;
    if (!SetFilePointerEx(h, zero, &end, FILE_END)) return -1;
    SetFilePointerEx(h, cur, nullptr, FILE_BEGIN);
    return cur.QuadPart >= end.QuadPart ? -1 : 0;
}
