// FileInput: the item reader. It reads through the reader's block
// (file_read_buffer.cpp), the runs of bytes no rule looks at in one move
// (file_scan.cpp) and the others byte by byte; a byte read only to look at
// it is given back, so that after every statement the reader's position lies exactly
// behind the last consumed byte (FileEof relies on it).
//
// A file that FileDetectEncoding found to be UTF-16 is read by code unit
// instead, with the same rules applied to units: U+0020 and U+0009 are
// blanks, U+002C, U+0022, U+000D, U+000A and U+0000 what their bytes are in
// a byte file. Its items keep the file's bytes as they are (two per unit,
// the file's odd last byte alone), for a string variable; a numeric one
// gets the item narrowed to ASCII, other units as '?'.
#include "file_read_buffer.h"

namespace {

bool IsBlank(uint32_t c) { return c == ' ' || c == '\t'; }

// The item gathered so far, in the reader's item buffer.
struct Item {
    const char* view = nullptr;  // a string item left where it lies in the block, or null
    char* bytes = nullptr;
    uint32_t capacity = 0;
    uint32_t length = 0;
    // false when the item has grown too large to hold.
    bool Add(unsigned char c) {
        // One byte more than the item is kept free for its terminator.
        if (length + 2 > capacity) {
            char* grown = FileReadItemBuffer(length + 2);
            if (!grown) return false;
            bytes = grown;
            capacity = FileRead.ItemCapacity;
        }
        bytes[length++] = (char)c;
        return true;
    }
    // n bytes at once; false (nothing added) when that would be too large.
    bool Append(const unsigned char* from, uint32_t n) {
        if (length + n + 1 > capacity) {
            char* grown = FileReadItemBuffer(length + n + 1);
            if (!grown) return false;
            bytes = grown;
            capacity = FileRead.ItemCapacity;
        }
        RtlMoveMemory(bytes + length, from, n);
        length += n;
        return true;
    }
};

// One number's reader during one statement, a byte at a time.
struct ByteReader {
    FileReadSlot* slot;
    HANDLE h;
    FileReadResult Next(uint32_t* c) {
        unsigned char b = 0;
        FileReadResult r = FileReadNext(slot, h, &b);
        *c = b;
        return r;
    }
    void GiveBack() { FileReadGiveBack(slot); }
    bool Put(Item& item, uint32_t c, bool) { return item.Add((unsigned char)c); }
    // The item's bytes up to the next one its rules must look at, taken
    // from the read-ahead block in one move (file_scan.cpp). Were they too
    // many to hold, none is taken: a byte at a time then finds the limit.
    void Plain(Item& item, bool quoted, bool string_target) {
        if (!slot->ReadAhead || slot->Next == slot->End) return;
        const unsigned char* from = slot->Block + slot->Next;
        const uint32_t n = FileScanPlain(from, slot->End - slot->Next, quoted, string_target);
        if (n && item.Append(from, n)) slot->Next += n;
    }
    // A string item that lies whole in the block, without a quote, ended
    // there by a comma, LF, CR LF or NUL: it is stored from the block (the
    // store copies it at once), with no copy of its own, and its end taken.
    bool Whole(Item& item, bool string_target) {
        if (!string_target || !slot->ReadAhead) return false;
        const unsigned char* from = slot->Block + slot->Next;
        const uint32_t left = slot->End - slot->Next, n = FileScanPlain(from, left, false, true);
        const uint32_t limit = FileRead.ItemLimit ? FileRead.ItemLimit : kFileItemLimit;
        if (n >= left || n > limit || from[n] == '"') return false;
        uint32_t end = 1;
        if (from[n] == '\r') {
            if (n + 1 == left || from[n + 1] != '\n') return false;
            end = 2;
        }
        item.view = (const char*)from;
        item.length = n;
        slot->Next += n + end;
        return true;
    }
};

// The same for a UTF-16 file, a code unit at a time. The file's odd last
// byte b comes as the unit 0x10000 | b, which equals no separator.
struct Utf16Reader {
    FileReadSlot* slot;
    HANDLE h;
    bool big_endian;
    uint32_t last = 0;  // bytes of the unit Next gave last
    FileReadResult Next(uint32_t* c) {
        FileReadResult r = FileReadNext16(slot, h, big_endian, c, &last);
        return r;
    }
    void GiveBack() { slot->Next -= last; }
    bool Put(Item& item, uint32_t c, bool narrow) {
        if (narrow) return item.Add(c < 0x80 ? (unsigned char)c : '?');
        if (c > 0xFFFF) return item.Add((unsigned char)c);
        unsigned char hi = (unsigned char)(c >> 8), lo = (unsigned char)c;
        return big_endian ? item.Add(hi) && item.Add(lo) : item.Add(lo) && item.Add(hi);
    }
    void Plain(Item&, bool, bool) {}  // a unit at a time
    bool Whole(Item&, bool) { return false; }
};

// Reads blanks and tabs up to the first other byte, which is given back.
// Returns false when the file ends (or fails) first.
template <class Reader>
bool SkipBlanks(Reader& in) {
    uint32_t c = 0;
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
template <class Reader>
void AbsorbSeparator(Reader& in) {
    uint32_t c = 0;
    for (;;) {
        if (in.Next(&c) != FileReadByte || c == ',') return;
        if (!IsBlank(c)) {
            in.GiveBack();
            return;
        }
    }
}

template <class Reader>
bool TooLarge(Reader& in) {
    FileErrorNoteHandle(in.h, ERROR_NOT_ENOUGH_MEMORY);
    return false;
}

// Gathers one item and NUL-terminates it (a string item left in the block
// has no NUL: its length says where it ends). Returns false when nothing could
// be read at all (the file ended or the read failed where the item's first
// byte should be), and when the item is too large to hold: that is noted in
// the error record as ERROR_NOT_ENOUGH_MEMORY, and the statement ends.
template <class Reader>
bool GatherItem(Reader& in, Item& item, bool string_target) {
    item.length = 0;
    item.view = nullptr;
    if (in.Whole(item, string_target)) return true;
    bool quoted = false;
    uint32_t c = 0;
    for (;;) {
        in.Plain(item, quoted, string_target);
        FileReadResult r = in.Next(&c);
        if (r == FileReadFailed || (r == FileReadNone && item.length == 0)) return false;
        if (r == FileReadNone) break;  // the file ends inside the item
        if (c == '"') quoted = !quoted;
        if (c == 0 || c == '\n') break;
        if (c == '\r') {
            uint32_t next = 0;
            FileReadResult n = in.Next(&next);
            if (n == FileReadByte && next == '\n') break;  // CR LF: a line end
            // Not a line end: the CR is an ordinary item byte. A CR that is
            // the file's last byte stays in the item as its last byte.
            if (n == FileReadByte) in.GiveBack();
            if (!in.Put(item, c, !string_target)) return TooLarge(in);
            if (n != FileReadByte) break;
            continue;
        }
        if (!quoted && c == ',') break;
        if (!quoted && !string_target && IsBlank(c)) {
            AbsorbSeparator(in);
            break;
        }
        if (!in.Put(item, c, !string_target)) return TooLarge(in);
    }
    if (item.length + 1 > item.capacity) {
        char* grown = FileReadItemBuffer(item.length + 1);
        if (!grown) return TooLarge(in);
        item.bytes = grown;
        item.capacity = FileRead.ItemCapacity;
    }
    item.bytes[item.length] = 0;
    return true;
}

template <class Reader>
void ReadStatement(Reader& in) {
    Item item;
    for (int32_t k = 0; k < 32; k++) {
        if (!SkipBlanks(in)) break;
        if (!GatherItem(in, item, ValueList.ValueType[k] == TypeString)) break;
        StoreItemBytes(k, item.view ? item.view : item.bytes, (int32_t)item.length);
        // The end test comes after the store, so entry 0 is never tested;
        // a list without terminator ends at its last entry.
        if (k + 1 < 32 && !ValueList.ValueAddress[k + 1]) break;
    }
    FileReadStatementEnd(in.slot, in.h);
    FileReadItemDone();
}

}  // namespace

void FileInput(int32_t number) {
    HANDLE* slot = FileSlot(number);
    if (!slot) return;
    FileReadSlot* read = &FileRead.Slots[number - 1];
    if (read->Encoding == FileEncodingUtf16Le || read->Encoding == FileEncodingUtf16Be) {
        Utf16Reader in{read, *slot, read->Encoding == FileEncodingUtf16Be};
        ReadStatement(in);
    } else {
        ByteReader in{read, *slot};
        ReadStatement(in);
    }
}
