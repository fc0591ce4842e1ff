// Test helper: changes the console window's size as a user does with its
// frame, or minimises and restores it, from outside the program.
//   prompt_size WIDTH HEIGHT   the window's outer size, in pixels
//   prompt_size minimise | restore
#include "gui_helper.h"

#include <cstdio>

int main() {
    std::vector<std::wstring> args = WideArgs();
    HWND w = FindPromptWindow(5000);
    if (!w || args.size() < 2) {
        fprintf(stderr, "usage: prompt_size WIDTH HEIGHT | minimise | restore (with the window open)\n");
        return 2;
    }
    BOOL ok;
    if (args[1] == L"minimise") ok = ShowWindow(w, SW_MINIMIZE) || IsIconic(w);
    else if (args[1] == L"restore") ok = ShowWindow(w, SW_RESTORE) || !IsIconic(w);
    else if (args.size() == 3)
        ok = SetWindowPos(w, nullptr, 0, 0, _wtoi(args[1].c_str()), _wtoi(args[2].c_str()),
                          SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    else return 2;
    return ok ? 0 : 1;
}
