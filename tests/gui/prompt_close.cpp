// Test helper: asks the console window to close, as the user does with the
// close box: WM_CLOSE posted to the window of class "PROMPT" (or of the
// class named by the one argument).
// Exit code 0 when the request was posted, 1 when no window was found in 5 s.
#include "gui_helper.h"

#include <cstdio>

int main(int argc, char** argv) {
    HWND w = argc > 1 ? FindWindowA(argv[1], nullptr) : FindPromptWindow(5000);
    if (!w || !PostMessageA(w, WM_CLOSE, 0, 0)) {
        fprintf(stderr, "prompt_close: no console window\n");
        return 1;
    }
    return 0;
}
