// FilePrint: one write of a string's bytes at the file's current position.
#include "rt_file.h"

void FilePrint(int32_t number, RtString text) {
    if (HANDLE* slot = FileSlot(number)) {
        // Every byte by the length word, NUL bytes included; no translation,
        // nothing added. A failed or short write is not looked at: a file
        // that is not open for writing simply receives nothing.
        DWORD written = 0;
        WriteFile(*slot, text, (DWORD)StrLength(text), &written, nullptr);
    }
    StrFree(text);
}
