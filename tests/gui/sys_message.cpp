// Test helper: prints the system's own text for an error code as the
// utility shows it (FormatMessageA from the system, default language, in the
// ANSI code page), without its line end, so the GUI checks can draw the
// line the console should show.
//   sys_message CODE
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    char text[1024];
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             (DWORD)strtoul(argv[1], nullptr, 10), 0, text, sizeof text, nullptr);
    if (n == 0) return 1;
    while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == ' ')) n--;
    fwrite(text, 1, n, stdout);
    return 0;
}
