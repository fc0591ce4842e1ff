// Win32: OutputDebugStringA raises DBG_PRINTEXCEPTION_C with the text; a
// vectored handler sees it before anything else and records it.
#include <mutex>
#include <string>

#include "test_support.h"

#ifndef DBG_PRINTEXCEPTION_C
#define DBG_PRINTEXCEPTION_C 0x40010006L
#endif

const bool kRealWindows = true;

namespace {
std::mutex capture_mutex;
std::string captured;

LONG CALLBACK CaptureHandler(EXCEPTION_POINTERS* info) {
    EXCEPTION_RECORD* record = info->ExceptionRecord;
    if ((DWORD)record->ExceptionCode != (DWORD)DBG_PRINTEXCEPTION_C || record->NumberParameters < 2)
        return EXCEPTION_CONTINUE_SEARCH;
    const char* text = (const char*)record->ExceptionInformation[1];
    size_t length = (size_t)record->ExceptionInformation[0];
    if (length > 0 && text[length - 1] == 0) length--;
    std::lock_guard<std::mutex> lock(capture_mutex);
    captured.append(text, length);
    return EXCEPTION_CONTINUE_EXECUTION;
}

void Install() {
    static std::once_flag once;
    std::call_once(once, [] { AddVectoredExceptionHandler(1, CaptureHandler); });
}
}  // namespace

void DebugCaptureClear() {
    Install();
    std::lock_guard<std::mutex> lock(capture_mutex);
    captured.clear();
}

std::string DebugCaptureText() {
    Install();
    std::lock_guard<std::mutex> lock(capture_mutex);
    return captured;
}

std::string TestTempDir(const std::string& name) {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    std::string dir = std::string(base) + "linewrap-test-" + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(dir.c_str(), nullptr);
    dir += name + "\\";
    CreateDirectoryA(dir.c_str(), nullptr);
    // Empty it: files of an earlier run of the same test.
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((dir + "*").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileA((dir + found.cFileName).c_str());
        } while (FindNextFileA(h, &found));
        FindClose(h);
    }
    return dir;
}
