// The line-framing utility's program thread.
#include "linewrap.h"

#include <cstring>

#include "rt_console.h"
#include "rt_file.h"

LineWrapState LineWrap;

namespace {

// Fills the value list with one string target and asks the question.
void Ask(const char* question, RtString* answer) {
    ValueList.ValueAddress[0] = answer;
    ValueList.ValueType[0] = TypeString;
    ValueList.ValueAddress[1] = nullptr;
    ConInput(StrFromText(question));
}

void StartConsole() {
    ConSetLineLength(-1);
    ConsoleWindowSetReady(0);
    CreateThread(nullptr, 0, ConsoleThreadMain, nullptr, 0, &ConsoleWindow.ConsoleThreadId);
    do {
        Sleep(20);
    } while (!ConsoleWindowIsReady());
}

// Keeps the part of LineText before its first blank (0x20). The item is
// read once, however long it is: CharPos ends on the blank, or one past the
// item's last byte when there is none.
void CutAtFirstBlank() {
    LineWrap.TextLen = StrLength(LineWrap.LineText);
    const void* blank = memchr(LineWrap.LineText, ' ', (size_t)LineWrap.TextLen);
    LineWrap.CharPos = blank ? (double)((const char*)blank - LineWrap.LineText) + 1
                             : (double)LineWrap.TextLen + 1;
    if (blank)
        StrAssign(&LineWrap.LineText,
                  StrLeft(StrCopy(LineWrap.LineText), (int32_t)LineWrap.CharPos - 1));
}

}  // namespace

DWORD WINAPI LineWrapMain(LPVOID) {
    RtStartup();
    StartConsole();
    LineWrap.InFileName = StrAlloc(0);
    LineWrap.OutFileName = StrAlloc(0);
    LineWrap.LineText = StrAlloc(0);
    LineWrap.MaeText = StrAlloc(0);
    LineWrap.AtoText = StrAlloc(0);

    Ask(" Input file name ? ", &LineWrap.InFileName);
    Ask(" Output file name ? ", &LineWrap.OutFileName);
    FileOpen(StrCopy(LineWrap.InFileName), FileModeRead, 1);
    FileOpen(StrCopy(LineWrap.OutFileName), FileModeWrite, 2);
    Ask(" mae ? ", &LineWrap.MaeText);
    Ask(" ato ? ", &LineWrap.AtoText);

    while (!FileEof(1)) {
        ValueList.ValueAddress[0] = &LineWrap.LineText;
        ValueList.ValueType[0] = TypeString;
        ValueList.ValueAddress[1] = nullptr;
        ValueList.StoreCount = 0;
        FileInput(1);
        // Only blanks and tabs were left before the end: there is no item,
        // and LineText still holds the previous one, which must not be
        // written twice.
        if (ValueList.StoreCount == 0) continue;
        CutAtFirstBlank();

        ConPrint(StrCopy(LineWrap.MaeText));
        ConPrint(StrCopy(LineWrap.LineText));
        ConPrint(StrConcat(StrCopy(LineWrap.AtoText), StrFromText("\r\n")));
        FilePrint(2, StrCopy(LineWrap.MaeText));
        FilePrint(2, StrCopy(LineWrap.LineText));
        FilePrint(2, StrConcat(StrCopy(LineWrap.AtoText), StrFromText("\r\n")));
    }

    ConPrint(StrConcat(StrFromText("osimai"), StrFromText("\r\n")));
    FileClose(0);
    StrFree(LineWrap.InFileName);
    StrFree(LineWrap.OutFileName);
    StrFree(LineWrap.LineText);
    StrFree(LineWrap.MaeText);
    StrFree(LineWrap.AtoText);
    return 0;
}
