// Test program for the real console window: starts the runtime and the
// console thread as the application does, asks its questions through the
// console input statement and appends every answer, byte for byte, to
// probe_out.txt in the working folder, so that the GUI test script can type
// the answers with real key presses and check what arrived.
//   1. " name ? "  one string               -> "name=<answer>\r\n"
//   2. waits, with no line requested, until the file probe_go exists
//      (at most 60 s): keys typed now must be dropped, no caret shown
//   3. " two ? "   two strings              -> "two=<first>|<second>\r\n"
//   4. " more ? "  one string, again and again -> "more=<answer>\r\n"
//      Once the file probe_noise exists, a second thread prints numbered
//      lines as fast as it can, a burst at a time, until probe_quiet exists:
//      typing must go on working while the console is flooded.
// The process ends only when the window is closed (the console thread ends
// it with exit code 0).
#include <cstdio>
#include <cstring>

#include "rt_console.h"

static struct {
    RtString Name, First, Second, More;  // program thread only
} Probe;

static void Record(const char* label, const char* a, const char* b) {
    FILE* f = fopen("probe_out.txt", "ab");
    if (!f) return;
    fputs(label, f);
    fputc('=', f);
    fwrite(a, 1, (size_t)StrLength(a), f);
    if (b) {
        fputc('|', f);
        fwrite(b, 1, (size_t)StrLength(b), f);
    }
    fputs("\r\n", f);
    fclose(f);
}

static void AskOne(RtString* target, const char* prompt) {
    ValueList.ValueAddress[0] = target;
    ValueList.ValueType[0] = TypeString;
    ValueList.ValueAddress[1] = nullptr;
    ConInput(StrFromText(prompt));
}

static bool Exists(const char* name) {
    FILE* f = fopen(name, "rb");
    if (f) fclose(f);
    return f != nullptr;
}

static DWORD WINAPI Noise(LPVOID) {
    for (int i = 0; !Exists("probe_quiet"); i++) {
        char line[32];
        snprintf(line, sizeof line, "noise %d\r\n", i);
        ConPrint(StrFromText(line));
        if (i % 200 == 199) Sleep(1);
    }
    return 0;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    RtStartup();
    ConSetLineLength(-1);
    ConsoleWindowSetReady(0);
    CreateThread(nullptr, 0, ConsoleThreadMain, nullptr, 0, &ConsoleWindow.ConsoleThreadId);
    do {
        Sleep(20);
    } while (!ConsoleWindowIsReady());

    Probe.Name = StrAlloc(0);
    Probe.First = StrAlloc(0);
    Probe.Second = StrAlloc(0);
    Probe.More = StrAlloc(0);

    AskOne(&Probe.Name, " name ? ");
    Record("name", Probe.Name, nullptr);

    for (int i = 0; i < 3000; i++) {
        FILE* go = fopen("probe_go", "rb");
        if (go) {
            fclose(go);
            break;
        }
        Sleep(20);
    }

    ValueList.ValueAddress[0] = &Probe.First;
    ValueList.ValueType[0] = TypeString;
    ValueList.ValueAddress[1] = &Probe.Second;
    ValueList.ValueType[1] = TypeString;
    ValueList.ValueAddress[2] = nullptr;
    ConInput(StrFromText(" two ? "));
    Record("two", Probe.First, Probe.Second);

    bool noisy = false;
    for (;;) {
        if (!noisy && Exists("probe_noise")) {
            noisy = true;
            CreateThread(nullptr, 0, Noise, nullptr, 0, nullptr);
        }
        AskOne(&Probe.More, " more ? ");
        Record("more", Probe.More, nullptr);
    }
}
