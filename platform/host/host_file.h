// Host stand-in: files. CreateFileA, CloseHandle, SetFilePointer(Ex),
// GetFileSize(Ex), ReadFile and WriteFile over POSIX files, with what the
// runtime relies on: the access rights and creation dispositions, unshared
// opens (a second open of an open file fails, from this process or another),
// 32- and 64-bit positions, all-ones answers (or FALSE) on a handle that is
// not open, and the Windows error code of each failure through SetLastError.
#pragma once
#include "host_kernel.h"

#define INVALID_HANDLE_VALUE ((HANDLE)(intptr_t)-1)
#define INVALID_SET_FILE_POINTER ((DWORD)-1)
#define INVALID_FILE_SIZE ((DWORD)0xFFFFFFFF)

#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u

#define CREATE_NEW 1
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define OPEN_ALWAYS 4
#define TRUNCATE_EXISTING 5

#define FILE_ATTRIBUTE_NORMAL 0x00000080u

#define FILE_BEGIN 0
#define FILE_CURRENT 1
#define FILE_END 2

struct OVERLAPPED;  // never used by the runtime: every call is synchronous

// Share mode: only 0 (no sharing) is supported; any other value fails.
HANDLE WINAPI CreateFileA(LPCSTR name, DWORD access, DWORD share, SECURITY_ATTRIBUTES* sa,
                          DWORD disposition, DWORD attributes, HANDLE templ);
BOOL WINAPI CloseHandle(HANDLE handle);
DWORD WINAPI SetFilePointer(HANDLE handle, LONG distance, PLONG distance_high, DWORD method);
DWORD WINAPI GetFileSize(HANDLE handle, LPDWORD size_high);
BOOL WINAPI SetFilePointerEx(HANDLE handle, LARGE_INTEGER distance, PLARGE_INTEGER position,
                             DWORD method);
BOOL WINAPI GetFileSizeEx(HANDLE handle, PLARGE_INTEGER size);
BOOL WINAPI ReadFile(HANDLE handle, LPVOID buffer, DWORD bytes, LPDWORD read, OVERLAPPED* ov);
BOOL WINAPI WriteFile(HANDLE handle, LPCVOID buffer, DWORD bytes, LPDWORD written,
                      OVERLAPPED* ov);

// ---- Test hook (host build only) ----
// Makes every following ReadFile on an open readable file fail with code
// (a read error of the disk); 0 disarms.
void HostFailFileReads(DWORD code);
