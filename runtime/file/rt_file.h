// Numbered files: the file table, open, close, end-of-file, the item reader,
// the writer and the error record. A file opened for writing only collects
// its writes in a buffer (file_write_buffer.cpp), other files write at once;
// a file opened for input only is read ahead in blocks
// (file_read_buffer.cpp), every other file is read at the system's file
// position.
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
void FilePrintBytes(int32_t number, const char* bytes, uint32_t length);  // borrows them
// What a file opened for writing holds in its buffer goes to the system
// now (file_write_buffer.cpp); 0: every file.
void FileFlush(int32_t number);

// An input file's text encoding (file_encoding.cpp). FileDetectEncoding
// looks once at a file opened for input only, before anything is read from
// it, and gives one of these; every other file, and every file it was not
// asked about, is read as bytes (FileEncodingAnsi).
enum : int32_t {
    FileEncodingAnsi = 0,     // the ANSI code page: bytes as they are
    FileEncodingUtf8 = 1,     // UTF-8 without a BOM
    FileEncodingUtf8Bom = 2,  // UTF-8 behind a BOM
    FileEncodingUtf16Le = 3,  // UTF-16, little-endian, behind a BOM
    FileEncodingUtf16Be = 4,  // UTF-16, big-endian, behind a BOM
};
int32_t FileDetectEncoding(int32_t number);

// The error record (file_error.cpp): per file number the first system error
// (GetLastError value) of an open, a read or a write since the number was
// last opened or closed. Program thread only.
struct FileErrorState {
    DWORD Code[256];  // slot i: file number i + 1; 0: no error
};
extern FileErrorState FileErrors;

DWORD FileError(int32_t number);  // 0: every operation went well
// For the file operations: FileOpen and FileClose clear a number (0: every
// number); a failure is noted with its code, and only the first one is kept.
void FileErrorClear(int32_t number);
void FileErrorNote(int32_t number, DWORD code);
// The same for the number whose slot holds the open handle h, for code that
// only holds the handle; an empty slot or a failed open's mark notes nothing.
void FileErrorNoteHandle(HANDLE h, DWORD code);
