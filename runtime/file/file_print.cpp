// FilePrint: a string's bytes at the file's current position: into the
// file's write buffer when it has one (file_write_buffer.cpp), else in one
// write to the system.
#include "file_write_buffer.h"

void FilePrint(int32_t number, RtString text) {
    FilePrintBytes(number, text, (uint32_t)StrLength(text));
    StrFree(text);
}

void FilePrintBytes(int32_t number, const char* text, uint32_t length) {
    if (HANDLE* slot = FileSlot(number)) {
        // Every byte by the length word, NUL bytes included; no translation,
        // nothing added. A file that is not open for writing simply receives
        // nothing. A failed write goes into the error record; so does a short
        // one, which on a disk file means the disk is full.
        DWORD written = 0;
        if (FileWriteBuffered(number, *slot, text, length)) {
            // collected; the buffer tells a failure when it writes
        } else if (!WriteFile(*slot, text, length, &written, nullptr)) {
            FileErrorNoteHandle(*slot, GetLastError());
        } else if (written != length) {
            FileErrorNoteHandle(*slot, ERROR_DISK_FULL);
        }
    }
}
