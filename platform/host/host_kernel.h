// Host stand-in: basic Windows types and the kernel services of the runtime
// core (heap, critical section, debugger output, text helpers, threads,
// process end, the last error and its text). Functions named Host... are
// hooks for tests only.
#pragma once
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <pthread.h>
#include <string>

#define WINAPI
#define CALLBACK
#define APIENTRY

typedef int BOOL;
typedef int INT;
typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint32_t UINT;
typedef char CHAR;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef DWORD* LPDWORD;
typedef LONG* PLONG;
typedef size_t SIZE_T;
typedef uintptr_t WPARAM;
typedef uintptr_t UINT_PTR;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef DWORD LCID;
typedef DWORD COLORREF;
// Only the 64-bit view of the union is used.
typedef union {
    int64_t QuadPart;
} LARGE_INTEGER, *PLARGE_INTEGER;
typedef void* HANDLE;
typedef HANDLE HMODULE;
typedef HANDLE HINSTANCE;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

#define HEAP_ZERO_MEMORY 0x00000008
#define CSTR_LESS_THAN 1
#define CSTR_EQUAL 2
#define CSTR_GREATER_THAN 3
#define LOCALE_SYSTEM_DEFAULT 0x0800
#define INFINITE 0xFFFFFFFFu
#define MB_OK 0x00000000u
#define MB_ICONERROR 0x00000010u

#define RtlMoveMemory(d, s, n) memmove((d), (s), (n))
#define RtlZeroMemory(d, n) memset((d), 0, (n))

// Heap: one process heap, usable from every thread.
HANDLE WINAPI GetProcessHeap();
LPVOID WINAPI HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes);
LPVOID WINAPI HeapReAlloc(HANDLE heap, DWORD flags, LPVOID block, SIZE_T bytes);
BOOL WINAPI HeapFree(HANDLE heap, DWORD flags, LPVOID block);

// Critical section: a recursive lock between threads of this process.
struct CRITICAL_SECTION {
    pthread_mutex_t mutex;
};
void WINAPI InitializeCriticalSection(CRITICAL_SECTION* cs);
void WINAPI EnterCriticalSection(CRITICAL_SECTION* cs);
void WINAPI LeaveCriticalSection(CRITICAL_SECTION* cs);
void WINAPI DeleteCriticalSection(CRITICAL_SECTION* cs);

// Debugger output channel: kept in memory so that tests can read it.
void WINAPI OutputDebugStringA(LPCSTR text);

// Text helpers. CompareStringA here orders by byte values: the real one
// orders linguistically, so only equality (result 2) is faithful; tests of
// the order between different texts belong to the win32 build.
int WINAPI CompareStringA(LCID locale, DWORD flags, LPCSTR a, int alen, LPCSTR b, int blen);
LPSTR WINAPI CharUpperA(LPSTR text);   // Latin letters; Shift-JIS pairs left alone
int WINAPI lstrlenA(LPCSTR text);
LPSTR WINAPI lstrcpyA(LPSTR dst, LPCSTR src);
BOOL WINAPI IsDBCSLeadByte(BYTE b);    // code page 932 lead bytes
UINT WINAPI GetACP();                  // 932

// Code page conversions (codepage.cpp): CP_ACP (932, through iconv's
// CP932) and CP_UTF8 only; flags are ignored. As on Windows, a byte that
// does not decode gives U+FFFD, and a character the code page lacks the
// default character '?' (or the one given). A length of -1 includes the
// NUL; an output size of 0 asks for the length needed.
typedef char16_t WCHAR;
typedef WCHAR* LPWSTR;
typedef const WCHAR* LPCWSTR;
typedef BOOL* LPBOOL;
#define CP_ACP 0
#define CP_UTF8 65001
#define WC_NO_BEST_FIT_CHARS 0x400
int WINAPI MultiByteToWideChar(UINT cp, DWORD flags, LPCSTR src, int srclen, LPWSTR dst, int dstlen);
int WINAPI WideCharToMultiByte(UINT cp, DWORD flags, LPCWSTR src, int srclen, LPSTR dst, int dstlen,
                               LPCSTR defchar, LPBOOL used_default);

// Threads and the process.
typedef DWORD (WINAPI* LPTHREAD_START_ROUTINE)(LPVOID);
struct SECURITY_ATTRIBUTES;
HANDLE WINAPI CreateThread(SECURITY_ATTRIBUTES* sa, SIZE_T stack, LPTHREAD_START_ROUTINE start,
                           LPVOID param, DWORD flags, LPDWORD id);
void WINAPI ExitThread(DWORD code);
void WINAPI Sleep(DWORD ms);
DWORD WINAPI GetTickCount();  // milliseconds of a steady clock
void WINAPI ExitProcess(UINT code);
DWORD WINAPI GetCurrentThreadId();
HMODULE WINAPI GetModuleHandleA(LPCSTR name);

// The calling thread's last error, and its text. The stand-in's file
// operations set the Windows code that matches the POSIX failure. Messages
// come FROM_SYSTEM only, in fixed English, each ending in CR LF as the real
// ones do; an unknown code gives 0.
#define ERROR_SUCCESS 0
#define ERROR_FILE_NOT_FOUND 2
#define ERROR_PATH_NOT_FOUND 3
#define ERROR_TOO_MANY_OPEN_FILES 4
#define ERROR_ACCESS_DENIED 5
#define ERROR_INVALID_HANDLE 6
#define ERROR_NOT_ENOUGH_MEMORY 8
#define ERROR_WRITE_PROTECT 19
#define ERROR_GEN_FAILURE 31
#define ERROR_SHARING_VIOLATION 32
#define ERROR_FILE_EXISTS 80
#define ERROR_INVALID_PARAMETER 87
#define ERROR_DISK_FULL 112
#define ERROR_FILENAME_EXCED_RANGE 206
#define ERROR_INSUFFICIENT_BUFFER 122
#define ERROR_NEGATIVE_SEEK 131
#define ERROR_MR_MID_NOT_FOUND 317
#define ERROR_IO_DEVICE 1117
#define FORMAT_MESSAGE_IGNORE_INSERTS 0x00000200u
#define FORMAT_MESSAGE_FROM_SYSTEM 0x00001000u
DWORD WINAPI GetLastError();
void WINAPI SetLastError(DWORD code);
DWORD WINAPI FormatMessageA(DWORD flags, LPCVOID source, DWORD id, DWORD language, LPSTR buffer,
                            DWORD size, va_list* arguments);
// The Windows code for a POSIX errno value (stand-in internal).
DWORD HostErrorFromErrno(int error);

// ---- Test hooks (host build only) ----

// Everything written to the debugger channel since the last clear.
std::string HostDebugOutput();
void HostDebugOutputClear();

// Make the n-th following heap allocation (1 = the next) fail; 0 disarms.
void HostFailHeapAllocAfter(int n);

// Simulated process. While a simulation is active, ExitProcess does not end
// the test program: it records the code and unwinds every thread that
// CreateThread started, each at its next stand-in call that may block
// (Sleep, message waits, file reads and writes) or at its own ExitProcess. Outside a simulation,
// ExitProcess ends the real process.
void HostProcessBegin();
// Waits until every thread started since HostProcessBegin has ended (or the
// timeout passes); returns the recorded exit code, or -1 if none.
int HostProcessWait(unsigned timeout_ms);
bool HostProcessExited();
// Ends the simulation: waits for the threads and resets the state.
void HostProcessEnd();
// Throws the unwinding signal if the simulated process has ended; stand-in
// calls that may block call it.
void HostCheckExit();

// The command line (shell.cpp): what HostSetCommandLine set, split as the
// system splits it; GetShortPathNameW knows no short forms (it fails).
typedef void* HLOCAL;
LPWSTR WINAPI GetCommandLineW();
LPWSTR* WINAPI CommandLineToArgvW(LPCWSTR line, int* argc);
HLOCAL WINAPI LocalFree(HLOCAL mem);
DWORD WINAPI GetShortPathNameW(LPCWSTR longPath, LPWSTR shortPath, DWORD size);
void HostSetCommandLine(const std::u16string& line);
