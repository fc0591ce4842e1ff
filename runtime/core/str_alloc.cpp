// StrAlloc and StrFree: the two operations every string rests on. Each live
// string is recorded in the registry so that every release can be checked.
#include "rt_core.h"

// "未知の文字列が解放されようとしました。" and CR LF, in Shift-JIS.
static const char kUnknownStringMessage[] =
    "\x96\xa2\x92\x6d\x82\xcc\x95\xb6\x8e\x9a\x97\xf1\x82\xaa\x89\xf0\x95\xfa\x82\xb3"
    "\x82\xea\x82\xe6\x82\xa4\x82\xc6\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42\r\n";

RtString StrAlloc(int32_t n) {
    // A negative length or one whose block would not fit 32 bits is a bug in
    // the caller; refuse it rather than allocate a block too small.
    if (n < 0 || n > INT32_MAX - 5) RtFatal("runtime: bad string length; ending.\r\n");
    char* block = (char*)RtHeapAlloc((uint32_t)n + 5, true);
    int32_t length = n;
    RtlMoveMemory(block, &length, 4);
    RtString s = block + 4;

    EnterCriticalSection(&StringLock);
    if (StringRegistry.Count == StringRegistry.Capacity) {
        int32_t capacity = StringRegistry.Capacity < 8 ? 8 : StringRegistry.Capacity * 2;
        uint32_t bytes = (uint32_t)capacity * (uint32_t)sizeof(RtString);
        void* grown = HeapReAlloc(RtHeap, 0, StringRegistry.Entries, bytes);
        if (!grown) {
            LeaveCriticalSection(&StringLock);
            RtFatal("runtime: the heap could not re-size a block; ending.\r\n");
        }
        StringRegistry.Entries = (RtString*)grown;
        StringRegistry.Capacity = capacity;
    }
    StringRegistry.Entries[StringRegistry.Count] = s;
    StringRegistry.Count++;
    LeaveCriticalSection(&StringLock);
    return s;
}

void StrFree(RtString s) {
    EnterCriticalSection(&StringLock);
    for (int32_t i = 0; i < StringRegistry.Count; i++) {
        if (StringRegistry.Entries[i] == s) {
            HeapFree(RtHeap, 0, s - 4);
            StringRegistry.Count--;
            for (int32_t j = i; j < StringRegistry.Count; j++)
                StringRegistry.Entries[j] = StringRegistry.Entries[j + 1];
            LeaveCriticalSection(&StringLock);
            return;
        }
    }
    LeaveCriticalSection(&StringLock);
    if (s) OutputDebugStringA(kUnknownStringMessage);
}
