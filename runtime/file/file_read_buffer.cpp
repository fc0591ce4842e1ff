// The item reader's read-ahead. A file opened for input only (mode 1) is
// read from the system in blocks of 64 KiB into a block of its own number;
// FileInput takes its bytes from there, and giving a byte back only steps
// back in the block. The system's position thus runs ahead of the reader by
// the block's unread bytes; nobody else sees that position, since the open
// is unshared and the file is never written through this handle. FileEof
// answers "not at the end" while the block holds an unread byte and asks
// the system otherwise, when both positions agree.
//
// Files opened in any other mode are read through a one-byte block, and at
// the end of each statement their system position is set back behind the
// last consumed byte, because their reads, writes and seeks share it.
//
// The item buffer grows with the item being gathered (doubling), so one
// item costs memory in proportion to its own length, not to the file's; a
// buffer grown past one block is released once the statement is done.
#include "file_read_buffer.h"

FileReadState FileRead;  // zero at start: nothing read ahead, no item buffer

FileReadResult FillBuffer(FileReadSlot* slot, HANDLE h) {
    unsigned char* into = &slot->Byte;
    DWORD want = 1;
    if (slot->ReadAhead) {
        if (!slot->Block) slot->Block = (unsigned char*)RtHeapAlloc(slot->BlockBytes, false);
        into = slot->Block;
        want = slot->BlockBytes;
    }
    slot->Next = slot->End = 0;
    DWORD got = 0;
    if (!ReadFile(h, into, want, &got, nullptr)) {
        FileErrorNoteHandle(h, GetLastError());
        return FileReadFailed;
    }
    slot->End = got <= want ? got : want;
    return slot->End ? FileReadByte : FileReadNone;
}

FileReadResult FillBufferKeeping(FileReadSlot* slot, HANDLE h) {
    const uint32_t kept = slot->End - slot->Next;
    if (kept) slot->Block[0] = slot->Block[slot->Next];
    slot->Next = 0;
    slot->End = kept;
    DWORD got = 0, want = slot->BlockBytes - kept;
    if (!ReadFile(h, slot->Block + kept, want, &got, nullptr)) {
        FileErrorNoteHandle(h, GetLastError());
        return FileReadFailed;
    }
    slot->End += got <= want ? got : want;
    return got ? FileReadByte : FileReadNone;
}

void FileReadStatementEnd(FileReadSlot* slot, HANDLE h) {
    if (slot->ReadAhead) return;
    if (slot->Next < slot->End) {
        LARGE_INTEGER back;
        back.QuadPart = -(int64_t)(slot->End - slot->Next);
        SetFilePointerEx(h, back, nullptr, FILE_CURRENT);
    }
    slot->Next = slot->End = 0;
}

void FileReadReset(int32_t number, bool read_ahead) {
    if (number < 1 || number > 256) return;
    FileReadSlot& slot = FileRead.Slots[number - 1];
    if (slot.Block) HeapFree(RtHeap, 0, slot.Block);
    slot = FileReadSlot{};
    slot.ReadAhead = read_ahead;
    slot.BlockBytes = FileRead.BlockBytes ? FileRead.BlockBytes : kFileReadBlock;
}

void FileReadResetAll() {
    for (int32_t n = 1; n <= 256; n++) FileReadReset(n, false);
    if (FileRead.Item) HeapFree(RtHeap, 0, FileRead.Item);
    FileRead.Item = nullptr;
    FileRead.ItemCapacity = 0;
}

uint32_t FileReadUnread(int32_t number) {
    if (number < 1 || number > 256) return 0;
    const FileReadSlot& slot = FileRead.Slots[number - 1];
    return slot.End - slot.Next;
}

char* FileReadItemBuffer(uint32_t bytes) {
    if (bytes > FileRead.ItemCapacity) {
        const uint32_t limit = FileRead.ItemLimit ? FileRead.ItemLimit : kFileItemLimit;
        if (bytes > limit + 1) return nullptr;  // the item and its terminator
        uint32_t capacity = FileRead.ItemCapacity < 128 ? 256 : FileRead.ItemCapacity;
        while (capacity < bytes) capacity = capacity <= UINT32_MAX / 2 ? capacity * 2 : bytes;
        if (capacity > limit + 1) capacity = limit + 1;
        void* grown = FileRead.Item ? HeapReAlloc(RtHeap, 0, FileRead.Item, capacity)
                                    : HeapAlloc(RtHeap, 0, capacity);
        if (!grown) return nullptr;
        FileRead.Item = (char*)grown;
        FileRead.ItemCapacity = capacity;
    }
    return FileRead.Item;
}

void FileReadItemDone() {
    if (FileRead.ItemCapacity <= kFileReadBlock) return;
    HeapFree(RtHeap, 0, FileRead.Item);
    FileRead.Item = nullptr;
    FileRead.ItemCapacity = 0;
}
