// Entry of the Windows executable. The program runs on the thread the
// process starts on; when it is done, only that thread ends, so the console
// window stays open until the user closes it, which ends the process.
#include "linewrap.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    ExitThread(LineWrapMain(nullptr));
}
