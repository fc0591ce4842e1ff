// Test helper: asks the console window to close, as the user does with the
// close box: WM_CLOSE posted to the window of class "PROMPT".
// Exit code 0 when the request was posted, 1 when no window was found in 5 s.
#include "gui_helper.h"

#include <cstdio>

int main() {
    HWND w = FindPromptWindow(5000);
    if (!w || !PostMessageA(w, WM_CLOSE, 0, 0)) {
        fprintf(stderr, "prompt_close: no console window\n");
        return 1;
    }
    return 0;
}
