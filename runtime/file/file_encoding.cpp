// FileDetectEncoding: which text encoding an input file is in, decided from
// its first bytes as they are read ahead:
//   EF BB BF              UTF-8 behind a BOM
//   FF FE / FE FF         UTF-16, little- / big-endian, behind a BOM
//   no BOM                UTF-8 when the block is valid UTF-8 and holds at
//                         least one multi-byte sequence (one cut by the
//                         block's end counts, when the file goes on)
//   anything else         the ANSI code page: the bytes as they are
// A BOM is consumed: it is no part of the first item. Plain ASCII is ANSI,
// so is Shift-JIS (its double-byte characters are not valid UTF-8 as a
// rule), so is any file with a byte that UTF-8 does not allow.
//
// A plain-ASCII beginning says nothing, so while the bytes held are all
// ASCII and the file goes on, the next block is read onto their end (the
// block grows) up to kFileDetectMost bytes: those bytes are then the
// reader's next ones, so nothing is read twice, and each byte is looked at
// once. A file whose first kFileDetectMost bytes are all ASCII is ANSI.
#include "file_read_buffer.h"

namespace {

// Whether b[0..n) is valid UTF-8 with a multi-byte sequence in it. A
// sequence cut by the end is allowed when more follows.
bool IsUtf8Text(const unsigned char* b, uint32_t n, bool more_follows) {
    bool multi = false;
    for (uint32_t i = 0; i < n;) {
        const unsigned char c = b[i];
        if (c < 0x80) {
            i++;
            continue;
        }
        uint32_t len;
        unsigned char lo = 0x80, hi = 0xBF;  // the range of the second byte
        if (c >= 0xC2 && c <= 0xDF) len = 2;
        else if (c >= 0xE0 && c <= 0xEF) {
            len = 3;
            if (c == 0xE0) lo = 0xA0;       // no overlong forms
            if (c == 0xED) hi = 0x9F;       // no surrogates
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4;
            if (c == 0xF0) lo = 0x90;
            if (c == 0xF4) hi = 0x8F;       // nothing past U+10FFFF
        } else {
            return false;
        }
        for (uint32_t k = 1; k < len; k++) {
            if (i + k == n) return more_follows;  // cut by the block's end
            const unsigned char t = b[i + k];
            if (k == 1 ? (t < lo || t > hi) : (t < 0x80 || t > 0xBF)) return false;
        }
        multi = true;
        i += len;
    }
    return multi;
}

bool AllAscii(const unsigned char* b, uint32_t from, uint32_t to) {
    for (uint32_t i = from; i < to; i++) {
        if (b[i] >= 0x80) return false;
    }
    return true;
}

// Reads on while the slot holds only ASCII, as far as kFileDetectMost bytes
// and the block can be grown: once, to the most it may need, so that no
// byte is copied twice and only the pages used are ever touched. Whether
// the file may go on after the bytes held; *ascii, how many of them are
// known to be ASCII. A read that fails here is left to fail again, and be
// told, when the reader reaches it.
bool ReadPastAscii(FileReadSlot* slot, HANDLE h, uint32_t* ascii) {
    bool more = slot->End == slot->BlockBytes;
    uint32_t capacity = slot->BlockBytes, checked = 0;
    while (more && slot->End < kFileDetectMost && AllAscii(slot->Block, checked, slot->End)) {
        checked = slot->End;
        if (slot->End + slot->BlockBytes > capacity) {
            const uint32_t most = kFileDetectMost + slot->BlockBytes;
            void* block = HeapReAlloc(RtHeap, 0, slot->Block, most);
            if (!block) break;
            slot->Block = (unsigned char*)block;
            capacity = most;
        }
        DWORD got = 0;
        if (!ReadFile(h, slot->Block + slot->End, slot->BlockBytes, &got, nullptr)) break;
        if (got > slot->BlockBytes) got = slot->BlockBytes;
        slot->End += got;
        more = got == slot->BlockBytes;
    }
    *ascii = checked;
    return more;
}

}  // namespace

int32_t FileDetectEncoding(int32_t number) {
    HANDLE* h = FileSlot(number);
    if (!h || !*h || *h == INVALID_HANDLE_VALUE) return FileEncodingAnsi;
    FileReadSlot* slot = &FileRead.Slots[number - 1];
    // Only a file opened for input only, and only before it is read.
    if (!slot->ReadAhead || slot->Detected) return slot->Encoding;
    slot->Detected = true;
    if (slot->End != 0 || FillBuffer(slot, *h) != FileReadByte) return slot->Encoding;
    const unsigned char* b = slot->Block;
    const uint32_t n = slot->End;
    if (n >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) {
        slot->Encoding = FileEncodingUtf8Bom;
        slot->Next = 3;
    } else if (n >= 2 && ((b[0] == 0xFF && b[1] == 0xFE) || (b[0] == 0xFE && b[1] == 0xFF))) {
        slot->Encoding = b[0] == 0xFF ? FileEncodingUtf16Le : FileEncodingUtf16Be;
        slot->Next = 2;
    } else {
        uint32_t ascii = 0;
        const bool more = ReadPastAscii(slot, *h, &ascii);
        if (ascii < slot->End && IsUtf8Text(slot->Block + ascii, slot->End - ascii, more))
            slot->Encoding = FileEncodingUtf8;
    }
    return slot->Encoding;
}
