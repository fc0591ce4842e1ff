// Differential fuzzing of the item reader. The same file is read by the
// runtime (FileEof/FileInput through its read-ahead block) and by a plain
// byte-at-a-time reader kept here, which works on the file's bytes in memory
// the way the reader worked before it read ahead: one byte at a time, a byte
// looked at and not taken given back. After every statement both must have
// stored the same items into the same targets (string and numeric), counted
// the same stores, stand at the same position and agree on FileEof.
//
// Input: byte 0 chooses how many variables the value list has (1 to 32);
// byte 1 the open mode (input only, or in one case of four read-write with
// its one-byte block), how often FileEof is asked between statements (1 to
// 3) and the read-ahead block's size (tiny sizes put block boundaries
// everywhere) and whether FileDetectEncoding looks at the file first (an
// input-only file with a BOM is then read behind it, a UTF-16 one by code
// unit, as the plain reader also does); then one type code per variable;
// the rest is the file, kept in memory-backed /dev/shm where there is one.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "file_read_buffer.h"

namespace {

int32_t LiveStrings() {
    EnterCriticalSection(&StringLock);
    int32_t n = StringRegistry.Count;
    LeaveCriticalSection(&StringLock);
    return n;
}

void Check(bool ok, const char* what) {
    if (!ok) {
        fprintf(stderr, "file_input_fuzzer: %s\n", what);
        abort();
    }
}

// Type codes to choose from: every stored type and two that store nothing.
const int32_t kCodes[] = {TypeString, TypeInt8, TypeInt16, TypeInt32,
                          TypeSingle, TypeDouble, 7, 0};
const uint32_t kBlockSizes[] = {1, 3, 7, 16, 61, 256, 4096, 0};

// One variable of any type; strings start empty.
union Variable {
    RtString text;
    double number;
};

// The plain reader: the file in memory and a position in it. A UTF-16 file
// is read by unit (the odd last byte b as 0x10000 | b), else by byte.
struct PlainReader {
    const uint8_t* bytes;
    size_t size;
    size_t pos = 0;
    int unit = 1;  // 1, or 2 for UTF-16
    bool big_endian = false;
    size_t last = 0;
    bool Next(uint32_t* c) {
        if (pos >= size) return false;
        last = unit == 2 && pos + 1 < size ? 2 : 1;
        const uint8_t* p = bytes + pos;
        *c = last == 1 ? (unit == 2 ? 0x10000u | p[0] : p[0])
                       : big_endian ? (uint32_t)p[0] << 8 | p[1] : (uint32_t)p[1] << 8 | p[0];
        pos += last;
        return true;
    }
    void GiveBack() { pos -= last; }
    int32_t Eof() const { return pos >= size ? -1 : 0; }
    // The item's bytes for c: the file's own, or ASCII for a numeric target.
    void Put(std::string* item, uint32_t c, bool narrow) {
        if (unit == 1) *item += (char)c;
        else if (narrow) *item += c < 0x80 ? (char)c : '?';
        else item->append((const char*)bytes + pos - last, last);
    }
};

bool IsBlank(uint32_t c) { return c == ' ' || c == '\t'; }

// One item; false when the file ends where the item's first byte should be.
bool PlainItem(PlainReader& in, std::string* item, bool string_target) {
    uint32_t c;
    for (;;) {  // blanks and tabs before the item
        if (!in.Next(&c)) return false;
        if (!IsBlank(c)) break;
    }
    in.GiveBack();
    item->clear();
    bool quoted = false;
    while (in.Next(&c)) {
        if (c == '"') quoted = !quoted;
        if (c == 0 || c == '\n') break;
        if (c == '\r') {
            uint32_t next;
            bool more = in.Next(&next);
            if (more && next == '\n') break;
            if (more) in.GiveBack();
            size_t cr = in.pos - (in.unit == 2 ? 2 : 1);  // the CR's own bytes
            if (in.unit == 1 || !string_target) *item += '\r';
            else item->append((const char*)in.bytes + cr, 2);
            if (!more) break;
            continue;
        }
        if (!quoted && c == ',') break;
        if (!quoted && !string_target && IsBlank(c)) {
            while (in.Next(&c) && c != ',') {
                if (!IsBlank(c)) {
                    in.GiveBack();
                    break;
                }
            }
            break;
        }
        in.Put(item, c, !string_target);
    }
    return true;
}

// One input statement of the plain reader, stored with the runtime's own
// StoreItem into the value list as it stands.
void PlainStatement(PlainReader& in) {
    std::string item;
    for (int32_t k = 0; k < 32; k++) {
        if (!PlainItem(in, &item, ValueList.ValueType[k] == TypeString)) break;
        StoreItemBytes(k, item.c_str(), (int32_t)item.size());
        if (k + 1 < 32 && !ValueList.ValueAddress[k + 1]) break;
    }
}

void PointListAt(Variable* vars, size_t entries, const int32_t* types) {
    for (size_t k = 0; k < 32; k++) {
        ValueList.ValueAddress[k] = k < entries ? &vars[k] : nullptr;
        ValueList.ValueType[k] = k < entries ? types[k] : 0;
    }
    ValueList.StoreCount = 0;
}

bool SameVariables(const Variable* a, const Variable* b, size_t entries, const int32_t* types) {
    for (size_t k = 0; k < entries; k++) {
        if (types[k] == TypeString) {
            int32_t n = StrLength(a[k].text);
            if (n != StrLength(b[k].text) || memcmp(a[k].text, b[k].text, (size_t)n) != 0)
                return false;
        } else if (memcmp(&a[k], &b[k], sizeof a[k]) != 0) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                                    "/file_input_fuzzer-" + std::to_string(getpid());
    static bool started = (RtStartup(), atexit([] { unlink(path.c_str()); }), true);
    (void)started;

    size_t entries = size ? data[0] % 33 : 1;
    if (entries == 0) entries = 1;
    uint8_t options = size > 1 ? data[1] : 0;
    int32_t mode = (options & 3) == 3 ? FileModeReadWrite : FileModeRead;
    int eof_calls = 1 + (options >> 1) % 3;
    FileRead.BlockBytes = kBlockSizes[(options >> 3) % 8];
    size_t header = 2 + entries;
    if (header > size) header = size;
    int32_t types[32];
    for (size_t k = 0; k < entries; k++)
        types[k] = 2 + k < header ? kCodes[data[2 + k] % 8] : TypeString;
    PlainReader plain{data + header, size - header};

    FILE* f = fopen(path.c_str(), "wb");
    Check(f != nullptr, "cannot write the temporary file");
    fwrite(plain.bytes, 1, plain.size, f);
    fclose(f);

    int32_t strings_at_start = LiveStrings();
    Variable mine[32], theirs[32];
    for (size_t k = 0; k < 32; k++) {
        bool text = k < entries && types[k] == TypeString;
        if (text) mine[k].text = StrAlloc(0), theirs[k].text = StrAlloc(0);
        else mine[k].number = theirs[k].number = 0;
    }

    FileOpen(StrFromText(path.c_str()), mode, 1);
    Check(FileTable.Handles[0] != INVALID_HANDLE_VALUE, "the open failed");
    if (options & 0x40) {
        // What the first block shows decides: a BOM in it is skipped.
        const uint8_t* b = plain.bytes;
        size_t first = FileRead.BlockBytes ? FileRead.BlockBytes : kFileReadBlock;
        if (first > plain.size) first = plain.size;
        int32_t want = FileEncodingAnsi;
        if (first >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) want = FileEncodingUtf8Bom, plain.pos = 3;
        else if (first >= 2 && b[0] == 0xFF && b[1] == 0xFE) want = FileEncodingUtf16Le;
        else if (first >= 2 && b[0] == 0xFE && b[1] == 0xFF) want = FileEncodingUtf16Be;
        if (mode != FileModeRead) want = FileEncodingAnsi, plain.pos = 0;
        if (want == FileEncodingUtf16Le || want == FileEncodingUtf16Be) {
            plain.pos = 2;
            plain.unit = 2;
            plain.big_endian = want == FileEncodingUtf16Be;
        }
        int32_t got = FileDetectEncoding(1);
        Check(got == want || (want == FileEncodingAnsi && got == FileEncodingUtf8),
              "FileDetectEncoding differs from the BOM");
    }
    int32_t strings = LiveStrings();
    // One statement more than the loop of a program makes: past the end,
    // both must store nothing.
    for (size_t statements = 0;; statements++) {
        int32_t eof = 0;
        for (int i = 0; i < eof_calls; i++) {
            eof = FileEof(1);
            Check(eof == plain.Eof(), "FileEof differs from the plain reader");
        }
        PointListAt(theirs, entries, types);
        PlainStatement(plain);
        int32_t stores = ValueList.StoreCount;
        PointListAt(mine, entries, types);
        FileInput(1);
        Check(ValueList.StoreCount == stores, "a different number of items stored");
        Check(SameVariables(mine, theirs, entries, types), "different items stored");
        DWORD system = SetFilePointer(FileTable.Handles[0], 0, nullptr, FILE_CURRENT);
        Check(system - FileReadUnread(1) == plain.pos, "the reader stands elsewhere");
        Check(mode == FileModeRead || FileReadUnread(1) == 0,
              "a read-write file kept bytes read ahead");
        Check(LiveStrings() == strings, "a statement left a string behind");
        if (eof != 0) break;
        Check(statements <= plain.size, "more statements than bytes");
    }
    FileClose(0);
    FileRead.BlockBytes = 0;
    for (size_t k = 0; k < entries; k++) {
        if (types[k] != TypeString) continue;
        StrFree(mine[k].text);
        StrFree(theirs[k].text);
    }
    Check(LiveStrings() == strings_at_start, "strings left behind after the run");
    return 0;
}
