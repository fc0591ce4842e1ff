// Host stand-in: how often the file operations were called, so that a
// benchmark can tell what a program asks of the system per unit of work. Counting is a relaxed atomic increment on every call, from any thread.
#pragma once
#include <atomic>
#include <cstdint>

enum HostCountedCall {
    // files
    HostCallCreateFileA,
    HostCallCloseHandle,
    HostCallReadFile,
    HostCallWriteFile,
    HostCallSetFilePointer,
    HostCallGetFileSize,
    HostCallKinds
};

// The counters: incremented by any thread inside the stand-in, read and
// reset by the benchmark's thread.
struct HostCallCounterState {
    std::atomic<uint64_t> Calls[HostCallKinds];
};
extern HostCallCounterState HostCallCounter;

inline void HostCountCall(HostCountedCall call) {
    HostCallCounter.Calls[call].fetch_add(1, std::memory_order_relaxed);
}

// ---- Test hooks (host build only) ----

struct HostCallCounts {
    uint64_t Calls[HostCallKinds];
};
HostCallCounts HostGetCallCounts();
void HostCallCountsReset();
const char* HostCallName(HostCountedCall call);  // the operation's name, e.g. "TextOutA"
