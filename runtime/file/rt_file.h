// Numbered files: the file table, open, close, end-of-file, the item reader
// and the writer. Writes go to the system at once; a file opened for input
// only is read ahead in blocks (file_read_buffer.cpp), every other file is
// read at the system's file position.
//
// File numbers run from 1 to 256. A number outside that range (and 0 for
// anything but FileClose) is treated as a number with no file: nothing
// outside the table is read or written, FileEof gives -1, FileInput stores
// nothing, FileOpen and FilePrint only release their string.
#pragma once
#include <cstdint>

#include "rt_core.h"

enum : int32_t {
    FileModeReadWrite = 0,
    FileModeRead = 1,
    FileModeWrite = 2,
    FileModeAppend = 3,
};

// Slot i holds the handle of file number i + 1: 0 for no file,
// INVALID_HANDLE_VALUE after a failed open. Program thread only.
struct FileTableState {
    HANDLE Handles[256];
};
extern FileTableState FileTable;

// The slot of a file number, or nullptr for a number outside 1 to 256.
inline HANDLE* FileSlot(int32_t number) {
    return number >= 1 && number <= 256 ? &FileTable.Handles[number - 1] : nullptr;
}

void FileOpen(RtString name, int32_t mode, int32_t number);  // consumes name
void FileClose(int32_t number);                              // 0: every file
int32_t FileEof(int32_t number);                             // -1 at or past the end
void FileInput(int32_t number);   // fills the variables of the value list
void FilePrint(int32_t number, RtString text);  // consumes text
