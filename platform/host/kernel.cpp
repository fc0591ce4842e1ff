// Host stand-in for the kernel services of the runtime core: heap, critical
// section, debugger output, text helpers, threads and the end of a process.
#include "platform.h"

#include <atomic>
#include <cctype>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace {

struct DebugChannel {
    std::mutex mutex;
    std::string text;
} debug_channel;

std::atomic<int> heap_fail_countdown{0};

// The simulated process: its threads and its recorded exit.
struct Process {
    std::mutex mutex;
    std::condition_variable changed;
    bool simulating = false;
    int live_threads = 0;
    int exit_code = -1;
    std::string last_message_box;
} process;
std::atomic<bool> process_exited{false};
std::atomic<uint32_t> next_thread_id{100};
thread_local uint32_t this_thread_id = 0;

// Thrown to unwind a thread of the simulated process once it has ended.
struct ThreadUnwind {};

int HeapHandleDummy;

}  // namespace

HANDLE WINAPI GetProcessHeap() { return &HeapHandleDummy; }

static bool HeapShouldFail() {
    int n = heap_fail_countdown.load();
    while (n > 0) {
        if (heap_fail_countdown.compare_exchange_weak(n, n - 1)) return n == 1;
    }
    return false;
}

LPVOID WINAPI HeapAlloc(HANDLE, DWORD flags, SIZE_T bytes) {
    if (HeapShouldFail()) return nullptr;
    if (bytes == 0) bytes = 1;
    return (flags & HEAP_ZERO_MEMORY) ? calloc(1, bytes) : malloc(bytes);
}

LPVOID WINAPI HeapReAlloc(HANDLE, DWORD, LPVOID block, SIZE_T bytes) {
    if (HeapShouldFail()) return nullptr;
    return realloc(block, bytes ? bytes : 1);
}

BOOL WINAPI HeapFree(HANDLE, DWORD, LPVOID block) {
    free(block);
    return TRUE;
}

void WINAPI InitializeCriticalSection(CRITICAL_SECTION* cs) {
    pthread_mutexattr_t attr;
    pthread_mutexattr_init(&attr);
    pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(&cs->mutex, &attr);
    pthread_mutexattr_destroy(&attr);
}
void WINAPI EnterCriticalSection(CRITICAL_SECTION* cs) { pthread_mutex_lock(&cs->mutex); }
void WINAPI LeaveCriticalSection(CRITICAL_SECTION* cs) { pthread_mutex_unlock(&cs->mutex); }
void WINAPI DeleteCriticalSection(CRITICAL_SECTION* cs) { pthread_mutex_destroy(&cs->mutex); }

void WINAPI OutputDebugStringA(LPCSTR text) {
    std::lock_guard<std::mutex> lock(debug_channel.mutex);
    debug_channel.text += text;
}

int WINAPI CompareStringA(LCID, DWORD, LPCSTR a, int alen, LPCSTR b, int blen) {
    if (!a || !b) return 0;
    if (alen < 0) alen = (int)strlen(a);
    if (blen < 0) blen = (int)strlen(b);
    int n = alen < blen ? alen : blen;
    int c = memcmp(a, b, (size_t)n);
    if (c == 0) c = (alen > blen) - (alen < blen);
    return c < 0 ? CSTR_LESS_THAN : c > 0 ? CSTR_GREATER_THAN : CSTR_EQUAL;
}

BOOL WINAPI IsDBCSLeadByte(BYTE b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
UINT WINAPI GetACP() { return 932; }

LPSTR WINAPI CharUpperA(LPSTR text) {
    for (unsigned char* p = (unsigned char*)text; *p; ++p) {
        if (IsDBCSLeadByte(*p)) {
            if (!p[1]) break;
            ++p;  // the trail byte of a pair is never a letter
        } else if (*p >= 'a' && *p <= 'z') {
            *p = (unsigned char)(*p - 'a' + 'A');
        }
    }
    return text;
}

int WINAPI lstrlenA(LPCSTR text) { return text ? (int)strlen(text) : 0; }
LPSTR WINAPI lstrcpyA(LPSTR dst, LPCSTR src) { return strcpy(dst, src); }

void HostCheckExit() {
    if (process_exited.load(std::memory_order_acquire) && this_thread_id != 0) throw ThreadUnwind{};
}

HANDLE WINAPI CreateThread(SECURITY_ATTRIBUTES*, SIZE_T, LPTHREAD_START_ROUTINE start, LPVOID param,
                           DWORD, LPDWORD id) {
    uint32_t tid = next_thread_id.fetch_add(1);
    {
        std::lock_guard<std::mutex> lock(process.mutex);
        process.live_threads++;
    }
    std::thread([start, param, tid] {
        this_thread_id = tid;
        try {
            start(param);
        } catch (const ThreadUnwind&) {
        }
        std::lock_guard<std::mutex> lock(process.mutex);
        process.live_threads--;
        process.changed.notify_all();
    }).detach();
    if (id) *id = tid;
    return (HANDLE)(uintptr_t)tid;
}

void WINAPI ExitThread(DWORD) { throw ThreadUnwind{}; }

void WINAPI Sleep(DWORD ms) {
    HostCheckExit();
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    HostCheckExit();
}

DWORD WINAPI GetTickCount() {
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch());
    return (DWORD)ms.count();
}

DWORD WINAPI GetCurrentThreadId() {
    if (this_thread_id == 0) this_thread_id = 1;  // the first thread
    return this_thread_id;
}

void WINAPI ExitProcess(UINT code) {
    {
        std::lock_guard<std::mutex> lock(process.mutex);
        if (!process.simulating) _exit((int)code);
        if (process.exit_code < 0) process.exit_code = (int)code;
        process_exited.store(true, std::memory_order_release);
        process.changed.notify_all();
    }
    throw ThreadUnwind{};
}

HMODULE WINAPI GetModuleHandleA(LPCSTR) { return (HMODULE)&HeapHandleDummy; }

std::string HostDebugOutput() {
    std::lock_guard<std::mutex> lock(debug_channel.mutex);
    return debug_channel.text;
}
void HostDebugOutputClear() {
    std::lock_guard<std::mutex> lock(debug_channel.mutex);
    debug_channel.text.clear();
}
void HostFailHeapAllocAfter(int n) { heap_fail_countdown.store(n); }

void HostProcessBegin() {
    std::lock_guard<std::mutex> lock(process.mutex);
    process.simulating = true;
    process.exit_code = -1;
    process_exited.store(false);
}

int HostProcessWait(unsigned timeout_ms) {
    std::unique_lock<std::mutex> lock(process.mutex);
    process.changed.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                             [] { return process.live_threads == 0; });
    return process.exit_code;
}

bool HostProcessExited() { return process_exited.load(std::memory_order_acquire); }

void HostProcessEnd() {
    HostProcessWait(10000);
    std::lock_guard<std::mutex> lock(process.mutex);
    process.simulating = false;
    process.exit_code = -1;
    process_exited.store(false);
}

