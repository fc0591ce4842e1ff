// FilePrint: one write of a string's bytes at the file's current position.
#include "rt_file.h"

void FilePrint(int32_t number, RtString text) {
    if (HANDLE* slot = FileSlot(number)) {
        // Every byte by the length word, NUL bytes included; no translation,
        // nothing added. A file that is not open for writing simply receives
        // nothing. A failed write goes into the error record; so does a short
        // one, which on a disk file means the disk is full.
        DWORD length = (DWORD)StrLength(text), written = 0;
        if (!WriteFile(*slot, text, length, &written, nullptr)) {
            FileErrorNoteHandle(*slot, GetLastError());
        } else if (written != length) {
            FileErrorNoteHandle(*slot, ERROR_DISK_FULL);
        }
    }
    StrFree(text);
}
