// Runtime start-up and the heap wrappers every part allocates through.
#include "rt_core.h"

StringRegistryState StringRegistry;
CRITICAL_SECTION StringLock;
HANDLE RtHeap;

void RtFatal(const char* message) {
    OutputDebugStringA(message);
    RtBeforeExit();  // what was written and not yet handed to the system is kept
    ExitProcess(RT_EXIT_OUT_OF_MEMORY);
    for (;;) {  // ExitProcess does not return; keeps [[noreturn]] honest
    }
}

void* RtHeapAlloc(uint32_t bytes, bool zero) {
    void* block = HeapAlloc(RtHeap, zero ? HEAP_ZERO_MEMORY : 0, bytes);
    if (!block) RtFatal("runtime: the heap could not supply a block; ending.\r\n");
    return block;
}

void* RtHeapReAlloc(void* block, uint32_t bytes) {
    void* moved = HeapReAlloc(RtHeap, 0, block, bytes);
    if (!moved) RtFatal("runtime: the heap could not re-size a block; ending.\r\n");
    return moved;
}

void RtStartup() {
    InitializeCriticalSection(&StringLock);
    RtHeap = GetProcessHeap();
    StringRegistry.Entries = (RtString*)RtHeapAlloc(1, false);
    StringRegistry.Count = 0;
    StringRegistry.Capacity = 0;
}
