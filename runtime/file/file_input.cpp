// FileInput: the item reader. It works byte by byte on the system's file
// position, with no read-ahead: a byte read only to look at it is given back
// by moving the position one byte back, so that after every statement the
// position lies exactly behind the last consumed byte (FileEof relies on it).
#include "rt_file.h"

namespace {

enum ReadResult { kFailed, kNone, kByte };

// One one-byte read. kNone is the end of the file.
ReadResult ReadByte(HANDLE h, unsigned char* cell) {
    DWORD got = 0;
    if (!ReadFile(h, cell, 1, &got, nullptr)) {
        FileErrorNoteHandle(h, GetLastError());
        return kFailed;
    }
    return got == 1 ? kByte : kNone;
}

void GiveBack(HANDLE h) { SetFilePointer(h, -1, nullptr, FILE_CURRENT); }

bool IsBlank(unsigned char c) { return c == ' ' || c == '\t'; }

// Reads blanks and tabs up to the first other byte, which is given back.
// Returns false when the file ends (or fails) first.
bool SkipBlanks(HANDLE h) {
    unsigned char c;
    for (;;) {
        if (ReadByte(h, &c) != kByte) return false;
        if (!IsBlank(c)) {
            GiveBack(h);
            return true;
        }
    }
}

// After a blank or tab ended a numeric item: the rest of the blanks, and a
// comma behind them, belong to the separator.
void AbsorbSeparator(HANDLE h) {
    unsigned char c;
    for (;;) {
        if (ReadByte(h, &c) != kByte || c == ',') return;
        if (!IsBlank(c)) {
            GiveBack(h);
            return;
        }
    }
}

// Gathers one item into buffer (capacity bytes before its terminator) and
// NUL-terminates it. Returns false when nothing could be read at all: the
// file ended or the read failed where the item's first byte should be.
bool GatherItem(HANDLE h, char* buffer, int32_t capacity, bool string_target) {
    int32_t j = 0;
    bool quoted = false;
    unsigned char c;
    for (;;) {
        ReadResult r = ReadByte(h, &c);
        if (r == kFailed || (r == kNone && j == 0)) return false;
        if (r == kNone) break;  // the file ends inside the item
        if (j == capacity) {
            // The file has grown since the buffer was sized (an unshared open
            // makes that impossible on the real system): end the item here
            // rather than write past the buffer.
            GiveBack(h);
            break;
        }
        if (c == '"') quoted = !quoted;
        if (c == 0 || c == '\n') break;
        if (c == '\r') {
            unsigned char next;
            ReadResult n = ReadByte(h, &next);
            if (n == kByte && next == '\n') break;  // CR LF: a line end
            // Not a line end: the CR is an ordinary item byte. A CR that is
            // the file's last byte stays in the item as its last byte.
            if (n == kByte) GiveBack(h);
            buffer[j++] = (char)c;
            if (n != kByte) break;
            continue;
        }
        if (!quoted && c == ',') break;
        if (!quoted && !string_target && IsBlank(c)) {
            AbsorbSeparator(h);
            break;
        }
        buffer[j++] = (char)c;
    }
    buffer[j] = 0;
    return true;
}

}  // namespace

void FileInput(int32_t number) {
    HANDLE* slot = FileSlot(number);
    if (!slot) return;
    HANDLE h = *slot;
    // Only the low 32 bits of the length are asked for: files of 2 GiB or
    // more lie outside the design, and so does a length no string can hold.
    // A failed query (a number without an open file) allocates nothing.
    DWORD size = GetFileSize(h, nullptr);
    if (size == INVALID_FILE_SIZE || size > (DWORD)(INT32_MAX - 5)) return;
    // An item is never longer than the file, so one buffer of the file's
    // length holds any item; an item that runs to the very end puts its NUL
    // into the string's own terminator.
    RtString item = StrNew((int32_t)size);
    for (int32_t k = 0; k < 32; k++) {
        if (!SkipBlanks(h)) break;
        if (!GatherItem(h, item, (int32_t)size, ValueList.ValueType[k] == TypeString)) break;
        StoreItem(k, item);
        // The end test comes after the store, so entry 0 is never tested;
        // a list without terminator ends at its last entry.
        if (k + 1 < 32 && !ValueList.ValueAddress[k + 1]) break;
    }
    StrFree(item);
}
