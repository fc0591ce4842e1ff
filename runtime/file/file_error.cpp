// The error record of the numbered files. For each file number it keeps the
// first system error (the GetLastError value) of an open, a read or a write
// since the number was last opened or closed; FileError gives it, 0 while
// everything went well. The file operations themselves stay silent: they only
// note here what failed, and a program that wants to tell its user asks.
//
// Only files that are open are read and written, so a read or write on a
// number whose open failed, or that was never opened, notes nothing: the
// failed open is already its record. Reopening or closing a number clears it.
#include "rt_file.h"

FileErrorState FileErrors;  // zero at start: no error under any number

DWORD FileError(int32_t number) {
    return number >= 1 && number <= 256 ? FileErrors.Code[number - 1] : 0;
}

void FileErrorClear(int32_t number) {
    if (number == 0) {
        for (DWORD& code : FileErrors.Code) code = 0;
    } else if (number >= 1 && number <= 256) {
        FileErrors.Code[number - 1] = 0;
    }
}

void FileErrorNote(int32_t number, DWORD code) {
    if (number < 1 || number > 256 || code == 0) return;
    DWORD& kept = FileErrors.Code[number - 1];
    if (kept == 0) kept = code;
}

void FileErrorNoteHandle(HANDLE h, DWORD code) {
    // A failed open's mark or an empty slot is no open file (see above).
    if (!h || h == INVALID_HANDLE_VALUE) return;
    for (int32_t number = 1; number <= 256; number++) {
        if (FileTable.Handles[number - 1] == h) {
            FileErrorNote(number, code);
            return;
        }
    }
}
