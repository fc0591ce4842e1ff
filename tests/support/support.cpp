// Helpers shared by the tests of both builds.
#include "test_support.h"

#include <cstring>
#include <mutex>

void TestRuntimeStart() {
    static std::once_flag once;
    std::call_once(once, [] { RtStartup(); });
}

int32_t RegistryCount() {
    EnterCriticalSection(&StringLock);
    int32_t n = StringRegistry.Count;
    LeaveCriticalSection(&StringLock);
    return n;
}

TestString::TestString(const char* bytes, int32_t n) : s(StrAlloc(n)) { memcpy(s, bytes, (size_t)n); }
