// The line-framing utility's program thread.
#include "linewrap.h"

#include <cstring>

#include "rt_console.h"
#include "rt_file.h"

LineWrapState LineWrap;

namespace {

// The console's lines about a failed file (Shift-JIS): the file's role and
// name, what failed, then the system's reason.
// "入力「" and "出力「"
const char kInput[] = "\x93\xfc\x97\xcd\x81\x75";
const char kOutput[] = "\x8f\x6f\x97\xcd\x81\x75";
// "」を開けません（出力ファイルはそのまま）: "
const char kCannotOpenInput[] =
    "\x81\x76\x82\xf0\x8a\x4a\x82\xaf\x82\xdc\x82\xb9\x82\xf1\x81\x69\x8f\x6f\x97\xcd\x83\x74\x83\x40"
    "\x83\x43\x83\x8b\x82\xcd\x82\xbb\x82\xcc\x82\xdc\x82\xdc\x81\x6a: ";
// "」を作れません: ", "」に書けません: ", "」を読めません: "
const char kCannotCreate[] = "\x81\x76\x82\xf0\x8d\xec\x82\xea\x82\xdc\x82\xb9\x82\xf1: ";
const char kCannotWrite[] = "\x81\x76\x82\xc9\x8f\x91\x82\xaf\x82\xdc\x82\xb9\x82\xf1: ";
const char kCannotRead[] = "\x81\x76\x82\xf0\x93\xc7\x82\xdf\x82\xdc\x82\xb9\x82\xf1: ";
// "エラー ", before the bare code when the system has no text for it
const char kErrorCode[] = "\x83\x47\x83\x89\x81\x5b ";

// The system's own text for an error code, in the system's language, made
// one line: its trailing CR LF (and blanks) dropped, any line break inside
// turned into a blank.
RtString SystemReason(DWORD code) {
    char text[1024];
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                             text, sizeof text, nullptr);
    if (n >= sizeof text) n = 0;
    // A trail byte of Shift-JIS is never below 0x40, so CR, LF and the blank
    // are always characters of their own.
    while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == ' ')) n--;
    if (n == 0) {
        char* digits = text + sizeof text - 1;
        *digits = 0;
        do {
            *--digits = (char)('0' + code % 10);
            code /= 10;
        } while (code);
        return StrConcat(StrFromText(kErrorCode), StrFromText(digits));
    }
    text[n] = 0;
    for (DWORD i = 0; i < n; i++) {
        if (text[i] == '\r' || text[i] == '\n') text[i] = ' ';
    }
    return StrFromText(text);
}

// One console line about a failed file; the process will end with exit
// code 1 when the window is closed.
void TellFailure(const char* role, const char* name, const char* what, DWORD code) {
    RtString line = StrConcat(StrFromText(role), StrCopy(name));
    line = StrConcat(StrConcat(line, StrFromText(what)), SystemReason(code));
    ConPrint(StrConcat(line, StrFromText("\r\n")));
    RtSetExitCode(1);
}

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

// The item in LineText, cut and framed, to the console and, while writing
// works, to the output file; the first failed write is told, and no more
// is written after it.
void WriteItem() {
    CutAtFirstBlank();
    ConPrint(StrCopy(LineWrap.MaeText));
    ConPrint(StrCopy(LineWrap.LineText));
    ConPrint(StrConcat(StrCopy(LineWrap.AtoText), StrFromText("\r\n")));
    if (!LineWrap.Writing) return;
    FilePrint(2, StrCopy(LineWrap.MaeText));
    FilePrint(2, StrCopy(LineWrap.LineText));
    FilePrint(2, StrConcat(StrCopy(LineWrap.AtoText), StrFromText("\r\n")));
    if (DWORD error = FileError(2)) {
        TellFailure(kOutput, LineWrap.OutFileName, kCannotWrite, error);
        LineWrap.Writing = false;
    }
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
    // The output is only made (or emptied) when there is an input to fill it
    // from: a mistyped input name must not cost the old output its content.
    FileOpen(StrCopy(LineWrap.InFileName), FileModeRead, 1);
    LineWrap.Writing = false;
    if (DWORD error = FileError(1)) {
        TellFailure(kInput, LineWrap.InFileName, kCannotOpenInput, error);
    } else {
        FileOpen(StrCopy(LineWrap.OutFileName), FileModeWrite, 2);
        if (DWORD error = FileError(2)) TellFailure(kOutput, LineWrap.OutFileName, kCannotCreate, error);
        else LineWrap.Writing = true;
    }
    Ask(" mae ? ", &LineWrap.MaeText);
    Ask(" ato ? ", &LineWrap.AtoText);

    while (!FileEof(1)) {
        ValueList.ValueAddress[0] = &LineWrap.LineText;
        ValueList.ValueType[0] = TypeString;
        ValueList.ValueAddress[1] = nullptr;
        ValueList.StoreCount = 0;
        FileInput(1);
        DWORD readError = FileError(1);
        // Only blanks and tabs were left before the end (or the read failed
        // first): there is no item, and LineText still holds the previous
        // one, which must not be written twice.
        if (ValueList.StoreCount != 0) WriteItem();
        if (readError) {
            // What follows the failed byte cannot be trusted: the run ends here.
            TellFailure(kInput, LineWrap.InFileName, kCannotRead, readError);
            break;
        }
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
