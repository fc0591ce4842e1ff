// Host: the stand-in keeps the debugger channel in memory.
#include <filesystem>
#include <unistd.h>

#include "test_support.h"

const bool kRealWindows = false;

void DebugCaptureClear() { HostDebugOutputClear(); }
std::string DebugCaptureText() { return HostDebugOutput(); }

std::string TestTempDir(const std::string& name) {
    std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                ("linewrap-test-" + std::to_string(getpid())) / name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string() + "/";
}
