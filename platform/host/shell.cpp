// Host stand-in: the command line, split by the system's rules: blanks and tabs separate arguments outside quotes, a
// quote toggles quoting, 2n backslashes before a quote give n and the quote
// toggles, 2n+1 give n and a literal quote; other backslashes are literal.
#include "platform.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

namespace {

struct CommandLineState {
    std::mutex mutex;
    std::u16string line = u"linewrap.exe";
} command_line;

}  // namespace

void HostSetCommandLine(const std::u16string& line) {
    std::lock_guard<std::mutex> lock(command_line.mutex);
    command_line.line = line;
}

LPWSTR WINAPI GetCommandLineW() {
    // The text lives as long as the stand-in: the real one is never freed either.
    static thread_local std::u16string copy;
    std::lock_guard<std::mutex> lock(command_line.mutex);
    copy = command_line.line;
    return copy.data();
}

LPWSTR* WINAPI CommandLineToArgvW(LPCWSTR line, int* argc) {
    std::vector<std::u16string> args;
    std::u16string arg;
    bool in_arg = false, quoted = false;
    for (const WCHAR* p = line; *p; p++) {
        if (!quoted && (*p == u' ' || *p == u'\t')) {
            if (in_arg) args.push_back(arg), arg.clear(), in_arg = false;
            continue;
        }
        in_arg = true;
        if (*p == u'\\') {
            size_t n = 0;
            while (p[n] == u'\\') n++;
            if (p[n] == u'"') {
                arg.append(n / 2, u'\\');
                p += n;
                if (n % 2) arg += u'"';
                else quoted = !quoted;
            } else {
                arg.append(n, u'\\');
                p += n - 1;
            }
        } else if (*p == u'"') {
            quoted = !quoted;
        } else {
            arg += *p;
        }
    }
    if (in_arg) args.push_back(arg);
    // One block: the pointers, then the texts, freed by LocalFree.
    size_t bytes = (args.size() + 1) * sizeof(LPWSTR);
    for (const std::u16string& a : args) bytes += (a.size() + 1) * sizeof(WCHAR);
    char* block = (char*)malloc(bytes);
    LPWSTR* argv = (LPWSTR*)block;
    WCHAR* text = (WCHAR*)(block + (args.size() + 1) * sizeof(LPWSTR));
    for (size_t i = 0; i < args.size(); i++) {
        argv[i] = text;
        memcpy(text, args[i].c_str(), (args[i].size() + 1) * sizeof(WCHAR));
        text += args[i].size() + 1;
    }
    argv[args.size()] = nullptr;
    *argc = (int)args.size();
    return argv;
}

HLOCAL WINAPI LocalFree(HLOCAL mem) {
    free(mem);
    return nullptr;
}

DWORD WINAPI GetShortPathNameW(LPCWSTR, LPWSTR, DWORD) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return 0;
}
