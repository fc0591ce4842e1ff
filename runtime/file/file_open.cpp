// FileOpen and the file table itself.
#include "file_read_buffer.h"
#include "file_write_buffer.h"

FileTableState FileTable;  // zero at start: no file under any number

void FileOpen(RtString name, int32_t mode, int32_t number) {
    HANDLE* slot = FileSlot(number);
    if (slot) {
        // A mode outside 0 to 3 asks for no access and disposition 0, with
        // which the system's open fails.
        static const DWORD kAccess[4] = {GENERIC_READ | GENERIC_WRITE, GENERIC_READ,
                                         GENERIC_WRITE, GENERIC_WRITE};
        static const DWORD kDisposition[4] = {OPEN_ALWAYS, OPEN_EXISTING, CREATE_ALWAYS,
                                              OPEN_ALWAYS};
        bool known = mode >= 0 && mode <= 3;
        // Share mode 0: nobody else may open the file while it is open here,
        // and the open fails if somebody already holds it.
        FileErrorClear(number);
        // What waits for the file still open under this number goes to it first.
        FileWriteReset(number, false);
        HANDLE h = CreateFileA(name, known ? kAccess[mode] : 0, 0, nullptr,
                               known ? kDisposition[mode] : 0, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) FileErrorNote(number, GetLastError());
        // Stored as it comes, failure included: the failed mark makes later
        // reads find the end and writes write nothing. A file still open
        // under this number is not closed; it stays open until the process ends.
        *slot = h;
        // Whatever was read ahead under this number belonged to the old file.
        FileReadReset(number, mode == FileModeRead && h != INVALID_HANDLE_VALUE);
        if ((mode == FileModeWrite || mode == FileModeAppend) && h != INVALID_HANDLE_VALUE)
            FileWriteReset(number, true);
        if (mode == FileModeAppend) {
            LARGE_INTEGER zero;
            zero.QuadPart = 0;
            SetFilePointerEx(h, zero, nullptr, FILE_END);  // 64-bit: past 4 GiB too
        }
    }
    StrFree(name);
}
