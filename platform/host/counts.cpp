// Host stand-in: the counters of file calls and their hooks.
#include "host_counts.h"

HostCallCounterState HostCallCounter;

HostCallCounts HostGetCallCounts() {
    HostCallCounts counts;
    for (int i = 0; i < HostCallKinds; i++) counts.Calls[i] = HostCallCounter.Calls[i].load(std::memory_order_relaxed);
    return counts;
}

void HostCallCountsReset() {
    for (std::atomic<uint64_t>& c : HostCallCounter.Calls) c.store(0, std::memory_order_relaxed);
}

const char* HostCallName(HostCountedCall call) {
    static const char* const names[HostCallKinds] = {
        "CreateFileA", "CloseHandle", "ReadFile", "WriteFile", "SetFilePointer", "GetFileSize",
    };
    return call >= 0 && call < HostCallKinds ? names[call] : "?";
}
