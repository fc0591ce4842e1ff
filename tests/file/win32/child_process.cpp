// Win32: the helper program is started with CreateProcessA from the folder
// of the running test program.
#include <string>

#include "file_test_util.h"

intptr_t StartHelper(const std::vector<std::string>& args) {
    char self[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, self, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return -1;
    std::string path(self, n);
    path = path.substr(0, path.find_last_of("\\/") + 1) + "file_share_helper.exe";
    std::string command = "\"" + path + "\"";
    for (const std::string& a : args) command += " \"" + a + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(path.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info))
        return -1;
    CloseHandle(info.hThread);
    return (intptr_t)info.hProcess;
}

int WaitHelper(intptr_t child) {
    if (child == -1) return -1;
    HANDLE process = (HANDLE)child;
    DWORD code = (DWORD)-1;
    if (WaitForSingleObject(process, 30000) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(process, &code))
        code = (DWORD)-1;
    CloseHandle(process);
    return (int)code;
}
