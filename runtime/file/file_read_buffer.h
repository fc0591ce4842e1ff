// The item reader's read-ahead: what file_read_buffer.cpp explains, seen by
// FileInput, FileEof, FileOpen and FileClose.
#pragma once
#include <cstdint>

#include "rt_file.h"

// Bytes asked of the system at once for a file opened for input only.
constexpr uint32_t kFileReadBlock = 64 * 1024;
// How far encoding detection reads past a plain-ASCII beginning.
constexpr uint32_t kFileDetectMost = 4u << 20;
// The longest item the reader holds. The item is copied a few times on its
// way to a variable and out again, and a 32-bit process has about 2 GiB of
// address space: an item past this fails its statement with
// ERROR_NOT_ENOUGH_MEMORY in the error record instead of ending the
// process when the heap runs dry.
constexpr uint32_t kFileItemLimit = 128u << 20;

// The reader's side of one file number. Program thread only.
struct FileReadSlot {
    unsigned char* Block;  // BlockBytes heap bytes (more after encoding detection), taken at the first read
    uint32_t BlockBytes;   // the block's size, fixed at the open
    uint32_t Next;         // index of the first byte not yet consumed
    uint32_t End;          // bytes the block holds
    bool ReadAhead;        // opened for input only: unread bytes stay between statements
    unsigned char Byte;    // the one-byte block of the other modes
    bool Detected;         // FileDetectEncoding has looked at the file
    int32_t Encoding;      // what it found (FileEncodingAnsi before)
};

// Every file number's reader, and the buffer one item is gathered in.
// Program thread only.
struct FileReadState {
    FileReadSlot Slots[256];
    char* Item;             // heap block of ItemCapacity bytes, or nullptr
    uint32_t ItemCapacity;
    // The block size for files opened from now on; 0 means kFileReadBlock.
    // Tests make it small to put block boundaries everywhere in a short file.
    uint32_t BlockBytes;
    // The longest item; 0 means kFileItemLimit. Tests make it small.
    uint32_t ItemLimit;
};
extern FileReadState FileRead;

enum FileReadResult { FileReadFailed, FileReadNone, FileReadByte };

// Reads the system's next block into the slot's block. FileReadNone at the
// end of the file, FileReadFailed when the system's read fails (the system
// position has not moved then, and the slot holds nothing).
FileReadResult FillBuffer(FileReadSlot* slot, HANDLE h);

// The next byte of the file, from the block while it holds one.
inline FileReadResult FileReadNext(FileReadSlot* slot, HANDLE h, unsigned char* cell) {
    if (slot->Next == slot->End) {
        FileReadResult r = FillBuffer(slot, h);
        if (r != FileReadByte) return r;
    }
    *cell = (slot->ReadAhead ? slot->Block : &slot->Byte)[slot->Next++];
    return FileReadByte;
}

// Gives back the byte FileReadNext just returned: it is read again next.
inline void FileReadGiveBack(FileReadSlot* slot) { slot->Next--; }

// For a UTF-16 file (read ahead, blocks of 2 bytes or more): moves the one
// unread byte, if any, to the block's start and fills the rest, so that a
// unit never straddles two blocks and giving it back is a step back in the
// block. FileReadNone when the system had nothing more to give.
FileReadResult FillBufferKeeping(FileReadSlot* slot, HANDLE h);

// The next UTF-16 code unit into unit and its byte count into bytes (2, or
// 1 for the file's odd last byte b, given as 0x10000 | b).
inline FileReadResult FileReadNext16(FileReadSlot* slot, HANDLE h, bool big_endian, uint32_t* unit,
                                     uint32_t* bytes) {
    while (slot->End - slot->Next < 2) {
        FileReadResult r = FillBufferKeeping(slot, h);
        if (r == FileReadFailed) return r;
        if (r == FileReadNone) break;
    }
    const unsigned char* p = slot->Block + slot->Next;
    switch (slot->End - slot->Next) {
    case 0: return FileReadNone;
    case 1: *unit = 0x10000u | p[0]; *bytes = 1; break;
    default:
        *unit = big_endian ? (uint32_t)p[0] << 8 | p[1] : (uint32_t)p[1] << 8 | p[0];
        *bytes = 2;
    }
    slot->Next += *bytes;
    return FileReadByte;
}

// Called at the end of every input statement: a file that may also be
// written or positioned gets its system position back behind the last
// consumed byte, and its block is emptied.
void FileReadStatementEnd(FileReadSlot* slot, HANDLE h);

// Forgets what was read ahead for a number and records whether its new open
// is for input only (FileOpen), or releases the block (FileClose).
void FileReadReset(int32_t number, bool read_ahead);
void FileReadResetAll();  // every number, and the item buffer released

// Bytes the system has delivered for a number that the reader has not
// consumed yet: the system position less this is the reader's position.
uint32_t FileReadUnread(int32_t number);

// The item buffer, grown to hold at least bytes; kept small between items.
// nullptr when bytes is past the item limit or the heap has no block that
// large: the buffer is then as it was.
char* FileReadItemBuffer(uint32_t bytes);
void FileReadItemDone();

// The item scan (file_scan.cpp): how many of the n bytes at p come before
// the first one an item's rules must look at: a NUL, LF, CR or double
// quote; outside quotes a comma too, and for a numeric item a blank or tab.
uint32_t FileScanPlain(const unsigned char* p, uint32_t n, bool quoted, bool string_target);
