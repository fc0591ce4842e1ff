// The item reader's read-ahead: what file_read_buffer.cpp explains, seen by
// FileInput, FileEof, FileOpen and FileClose.
#pragma once
#include <cstdint>

#include "rt_file.h"

// Bytes asked of the system at once for a file opened for input only.
constexpr uint32_t kFileReadBlock = 64 * 1024;

// The reader's side of one file number. Program thread only.
struct FileReadSlot {
    unsigned char* Block;  // BlockBytes heap bytes, taken at the first read
    uint32_t BlockBytes;   // the block's size, fixed at the open
    uint32_t Next;         // index of the first byte not yet consumed
    uint32_t End;          // bytes the block holds
    bool ReadAhead;        // opened for input only: unread bytes stay between statements
    unsigned char Byte;    // the one-byte block of the other modes
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
char* FileReadItemBuffer(uint32_t bytes);
void FileReadItemDone();
