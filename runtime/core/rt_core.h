// Runtime core: start-up, the string store, string operations, the value
// list through which input statements store into variables, and the
// numeric text conversion.
#pragma once
#include <atomic>
#include <cstdint>

#include "platform.h"

// A byte string in one heap block: a 32-bit length, the bytes, a NUL. It is
// handled by a pointer to its first byte; the length sits in front of it.
typedef char* RtString;

// The live strings in allocation order. Both threads make and release
// strings, so every field is touched by the program thread and the console
// window thread alike, only while StringLock is held.
struct StringRegistryState {
    RtString* Entries;  // heap block of Capacity entries, the first Count in use
    int32_t Count;
    int32_t Capacity;   // doubles when full, so a StrAlloc costs no re-size as a rule
};
extern StringRegistryState StringRegistry;
extern CRITICAL_SECTION StringLock;
extern HANDLE RtHeap;  // written once by RtStartup before the second thread exists

void RtStartup();

// Heap blocks for the runtime. A heap that cannot supply one ends the process
// with a message on the debugger channel: no caller ever sees a null block.
void* RtHeapAlloc(uint32_t bytes, bool zero);
void* RtHeapReAlloc(void* block, uint32_t bytes);
[[noreturn]] void RtFatal(const char* message);
#define RT_EXIT_OUT_OF_MEMORY 3

// The exit code for the end of the process by closing the console window
// (exit_code.cpp). Code is written by the program thread (RtSetExitCode) and
// read by the console window thread when the window has been closed
// (RtExitCode); a lone word, so relaxed atomic access is all it needs.
// BeforeExit is set once by the program thread (a part of the runtime with
// work that must be done before the process ends: the file side's buffered
// writes) before the window can close, and called by whichever thread ends
// the process, just before it does.
struct ProcessExitState {
    std::atomic<uint32_t> Code;
    std::atomic<void (*)()> BeforeExit;
};
extern ProcessExitState ProcessExit;
void RtSetExitCode(uint32_t code);
uint32_t RtExitCode();
void RtSetBeforeExit(void (*hook)());
void RtBeforeExit();  // runs the hook, if any

RtString StrAlloc(int32_t n);
void StrFree(RtString s);

// Ownership: every operation below consumes the RtStrings handed to it and
// returns a fresh one owned by the caller.
RtString StrConcat(RtString left, RtString right);
int32_t StrCompare(RtString left, RtString right);  // 1 before, 2 equal, 3 after, 0 failed
RtString StrLeft(RtString source, int32_t count);
RtString StrMid(RtString source, int32_t start, int32_t length);
int32_t StrAsc(RtString s);
RtString StrNew(int32_t n);
int32_t Peek(const void* address);

// Helpers for callers that keep variables. None consumes its argument.
inline int32_t StrLength(const char* s) { return Peek(s - 4); }
RtString StrFromText(const char* text);  // a fixed NUL-terminated text made an RtString
RtString StrCopy(const char* variable);  // a fresh copy of a variable's string
void StrAssign(RtString* variable, RtString value);  // releases the old value, keeps value
// Shortens s in place to its first n bytes (0 <= n <= its length); its
// block stays as it is, so this costs no heap call.
void StrCut(RtString s, int32_t n);

// The value list: where an input statement stores its items. Touched by the
// program thread only.
enum : int32_t {
    TypeInt8 = 1,
    TypeInt16 = 3,
    TypeInt32 = 5,
    TypeSingle = 8,
    TypeDouble = 9,
    TypeString = 10,
};
struct ValueListState {
    void* ValueAddress[32];  // the first 0 ends the list
    int32_t ValueType[32];
    // Items handed to StoreItem since a caller last set it to 0: lets a
    // caller tell a statement that stored nothing from one that stored an
    // empty item.
    int32_t StoreCount;
};
extern ValueListState ValueList;

// Stores one item (borrowed NUL-terminated bytes) into the variable of entry k.
void StoreItem(int32_t k, const char* text);
// The same for an item that may hold NUL bytes (UTF-16 text): a string
// variable gets all length bytes; a numeric one reads text up to its first
// NUL, so text[length] must be 0.
void StoreItemBytes(int32_t k, const char* text, int32_t length);
// Narrowing rules of StoreItem, exposed for tests.
int32_t RoundToInt32(double value);
float RoundToSingle(double value);

// Paths and arguments for the input statement (rt_args.cpp). A path of
// the system's wide form goes into out (size bytes with its NUL) in the
// ANSI code page exactly, with no comma, or in its short (8.3) form where
// that keeps those rules; else out is empty and the result says why.
enum : int32_t { RtPathOk, RtPathTooLong, RtPathNotInCodePage, RtPathHasComma };
int32_t RtPathForInput(const WCHAR* wide, char* out, int32_t size);
// One line that tells why: subject (in the code page, e.g. "引数 2") and
// the reason for a result other than RtPathOk.
RtString RtPathRefusal(const char* subject, int32_t fit);
// The command line: up to most arguments after the program's name, each
// made fit a line of lineBytes bytes as a path is, into out (the caller
// frees them; empty for one refused) with the result in fit. Returns how
// many arguments were given, which may be more than most.
int32_t RtArguments(RtString* out, int32_t* fit, int32_t most, int32_t lineBytes);

// Numeric text conversion; borrows text, never fails.
double ValParse(const char* text);
