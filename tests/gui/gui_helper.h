// Small pieces shared by the helper programs that the GUI test script runs
// under Wine next to the console window: finding that window, and reading
// the command line as Unicode so that UTF-8 arguments from the Unix side
// reach us whole (argv in the ANSI code page would turn them into '?').
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <string>
#include <vector>

// The console window, looked for every 50 ms for up to timeoutMs.
inline HWND FindPromptWindow(DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        HWND w = FindWindowA("PROMPT", nullptr);
        if (w) return w;
        if (GetTickCount() - start >= timeoutMs) return nullptr;
        Sleep(50);
    }
}

// The arguments as UTF-16, argv[0] included.
inline std::vector<std::wstring> WideArgs() {
    std::vector<std::wstring> args;
    int n = 0;
    LPWSTR* w = CommandLineToArgvW(GetCommandLineW(), &n);
    if (!w) return args;
    for (int i = 0; i < n; i++) args.emplace_back(w[i]);
    LocalFree(w);
    return args;
}

// UTF-16 text in the ANSI code page (932 in the test prefix).
inline std::string ToAnsi(const std::wstring& text) {
    if (text.empty()) return std::string();
    int n = WideCharToMultiByte(CP_ACP, 0, text.c_str(), (int)text.size(), nullptr, 0, nullptr, nullptr);
    std::string out((size_t)n, '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), (int)text.size(), &out[0], n, nullptr, nullptr);
    return out;
}

// Backslash escapes of the test script: \r \n \t \\ and \xHH (one raw byte,
// for bytes that no UTF-8 argument can carry).
inline std::string Unescape(const std::string& in) {
    std::string out;
    for (size_t i = 0; i < in.size(); i++) {
        char c = in[i];
        if (c != '\\' || i + 1 >= in.size()) { out += c; continue; }
        char e = in[++i];
        if (e == 'r') out += '\r';
        else if (e == 'n') out += '\n';
        else if (e == 't') out += '\t';
        else if (e == 'x' && i + 2 < in.size()) {
            std::string hex = in.substr(i + 1, 2);
            out += (char)strtoul(hex.c_str(), nullptr, 16);
            i += 2;
        } else out += e;
    }
    return out;
}
