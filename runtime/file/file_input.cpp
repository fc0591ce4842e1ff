// FileInput: the item reader. It reads byte by byte through the reader's
// block (file_read_buffer.cpp); a byte read only to look at it is given
// back, so that after every statement the reader's position lies exactly
// behind the last consumed byte (FileEof relies on it).
#include "file_read_buffer.h"

namespace {

bool IsBlank(unsigned char c) { return c == ' ' || c == '\t'; }

// One number's reader during one statement.
struct Reader {
    FileReadSlot* slot;
    HANDLE h;
    FileReadResult Next(unsigned char* c) { return FileReadNext(slot, h, c); }
    void GiveBack() { FileReadGiveBack(slot); }
};

// Reads blanks and tabs up to the first other byte, which is given back.
// Returns false when the file ends (or fails) first.
bool SkipBlanks(Reader& in) {
    unsigned char c = 0;
    for (;;) {
        if (in.Next(&c) != FileReadByte) return false;
        if (!IsBlank(c)) {
            in.GiveBack();
            return true;
        }
    }
}

// After a blank or tab ended a numeric item: the rest of the blanks, and a
// comma behind them, belong to the separator.
void AbsorbSeparator(Reader& in) {
    unsigned char c = 0;
    for (;;) {
        if (in.Next(&c) != FileReadByte || c == ',') return;
        if (!IsBlank(c)) {
            in.GiveBack();
            return;
        }
    }
}

// The item gathered so far, in the reader's item buffer.
struct Item {
    char* bytes = nullptr;
    uint32_t capacity = 0;
    uint32_t length = 0;
    void Add(unsigned char c) {
        // One byte more than the item is kept free for its terminator.
        if (length + 2 > capacity) {
            bytes = FileReadItemBuffer(length + 2);
            capacity = FileRead.ItemCapacity;
        }
        bytes[length++] = (char)c;
    }
};

// Gathers one item and NUL-terminates it. Returns false when nothing could
// be read at all: the file ended or the read failed where the item's first
// byte should be.
bool GatherItem(Reader& in, Item& item, bool string_target) {
    item.length = 0;
    bool quoted = false;
    unsigned char c = 0;
    for (;;) {
        FileReadResult r = in.Next(&c);
        if (r == FileReadFailed || (r == FileReadNone && item.length == 0)) return false;
        if (r == FileReadNone) break;  // the file ends inside the item
        if (c == '"') quoted = !quoted;
        if (c == 0 || c == '\n') break;
        if (c == '\r') {
            unsigned char next = 0;
            FileReadResult n = in.Next(&next);
            if (n == FileReadByte && next == '\n') break;  // CR LF: a line end
            // Not a line end: the CR is an ordinary item byte. A CR that is
            // the file's last byte stays in the item as its last byte.
            if (n == FileReadByte) in.GiveBack();
            item.Add(c);
            if (n != FileReadByte) break;
            continue;
        }
        if (!quoted && c == ',') break;
        if (!quoted && !string_target && IsBlank(c)) {
            AbsorbSeparator(in);
            break;
        }
        item.Add(c);
    }
    if (item.length + 1 > item.capacity) {
        item.bytes = FileReadItemBuffer(item.length + 1);
        item.capacity = FileRead.ItemCapacity;
    }
    item.bytes[item.length] = 0;
    return true;
}

}  // namespace

void FileInput(int32_t number) {
    HANDLE* slot = FileSlot(number);
    if (!slot) return;
    Reader in{&FileRead.Slots[number - 1], *slot};
    Item item;
    for (int32_t k = 0; k < 32; k++) {
        if (!SkipBlanks(in)) break;
        if (!GatherItem(in, item, ValueList.ValueType[k] == TypeString)) break;
        StoreItem(k, item.bytes);
        // The end test comes after the store, so entry 0 is never tested;
        // a list without terminator ends at its last entry.
        if (k + 1 < 32 && !ValueList.ValueAddress[k + 1]) break;
    }
    FileReadStatementEnd(in.slot, in.h);
    FileReadItemDone();
}
