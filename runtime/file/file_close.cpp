// FileClose: one number, or 0 for every file.
#include "file_read_buffer.h"
#include "file_write_buffer.h"

static void CloseSlot(HANDLE* slot) {
    // A failed open's mark is closed like a handle: the close does nothing on
    // the system and the slot becomes empty.
    if (*slot) {
        CloseHandle(*slot);
        *slot = nullptr;
    }
}

void FileClose(int32_t number) {
    FileWriteReset(number, false);  // what waits goes out before the handle closes
    FileErrorClear(number);
    if (number == 0) {
        for (HANDLE& slot : FileTable.Handles) CloseSlot(&slot);
        FileReadResetAll();
        return;
    }
    if (HANDLE* slot = FileSlot(number)) {
        CloseSlot(slot);
        FileReadReset(number, false);
    }
}
