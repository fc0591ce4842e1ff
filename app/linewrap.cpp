// The line-framing utility's program thread.
#include "linewrap.h"

#include <cstring>

#include "item_text.h"
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
// "」の項目が大きすぎて読めません: ": an item past what the reader holds
const char kItemTooLarge[] = "\x81\x76\x82\xcc\x8d\x80\x96\xda\x82\xaa\x91\xe5\x82\xab\x82\xb7\x82\xac"
                             "\x82\xc4\x93\xc7\x82\xdf\x82\xdc\x82\xb9\x82\xf1: ";
// "」は " and " として読みます": the line that names the input's encoding
const char kReadAs[] = "\x81\x76\x82\xcd ";
const char kReadAsEnd[] = " \x82\xc6\x82\xb5\x82\xc4\x93\xc7\x82\xdd\x82\xdc\x82\xb7\r\n";
// "引数が多すぎます: 5 番目からは使いません": more arguments than questions
const char kTooManyArguments[] = "\x88\xf8\x90\x94\x82\xaa\x91\xbd\x82\xb7\x82\xac\x82\xdc\x82\xb7\x3a\x20\x35"
                                 "\x20\x94\xd4\x96\xda\x82\xa9\x82\xe7\x82\xcd\x8e\x67\x82\xa2\x82\xdc\x82\xb9\x82\xf1\r\n";
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
// code 1 when the window is closed. The line is kept to be shown again at
// the end of the run, where a line printed among the items would have
// scrolled away.
void TellFailure(const char* role, const char* name, const char* what, DWORD code) {
    RtString line = StrConcat(StrFromText(role), StrCopy(name));
    line = StrConcat(StrConcat(line, StrFromText(what)), SystemReason(code));
    line = StrConcat(line, StrFromText("\r\n"));
    if (LineWrap.FailureCount < kFailuresKept) LineWrap.Failures[LineWrap.FailureCount++] = StrCopy(line);
    ConPrint(line);
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

// Keeps the part of LineText before its first blank (0x20, or U+0020 in a
// UTF-16 file). The item is read once, however long it is: CharPos ends on
// the blank, or one past the item's last byte when there is none.
void CutAtFirstBlank() {
    LineWrap.TextLen = StrLength(LineWrap.LineText);
    const int32_t blank = FirstBlank(LineWrap.LineText, LineWrap.TextLen, LineWrap.Encoding);
    LineWrap.CharPos = blank >= 0 ? (double)blank + 1 : (double)LineWrap.TextLen + 1;
    if (blank >= 0) StrCut(LineWrap.LineText, blank);
}

// After a write to the output: the first failure is told, and no more is
// written after it.
void CheckWritten() {
    if (DWORD error = FileError(2)) {
        TellFailure(kOutput, LineWrap.OutFileName, kCannotWrite, error);
        LineWrap.Writing = false;
    }
}

// The output is written in the input's encoding: the typed texts converted
// to it once, and a BOM first where the input had one. For an input that
// is not in the code page, the console says what it was read as.
void PrepareFraming() {
    const int32_t encoding = LineWrap.Encoding;
    LineWrap.OutMae = TextToEncoding(LineWrap.MaeText, StrLength(LineWrap.MaeText), encoding);
    LineWrap.ConsoleAto = StrConcat(StrCopy(LineWrap.AtoText), StrFromText("\r\n"));
    LineWrap.OutAto = TextToEncoding(LineWrap.ConsoleAto, StrLength(LineWrap.ConsoleAto), encoding);
    // Where the console would show the framed line as the three texts show
    // it, the line goes out as one text: only a CR ending one text and an LF
    // starting the next would make a line break in one text and not in three.
    const int32_t maeLength = StrLength(LineWrap.MaeText);
    LineWrap.JoinLine = encoding == FileEncodingAnsi && !(maeLength > 0 && LineWrap.MaeText[maeLength - 1] == '\r') &&
                        LineWrap.AtoText[0] != '\n';
    if (LineWrap.JoinLine) LineWrap.Framed = (char*)RtHeapAlloc(kFramedMax + 2 * (ConLineMax + 2) + 1, false);
    if (encoding == FileEncodingAnsi) return;
    RtString line = StrConcat(StrFromText(kInput), StrCopy(LineWrap.InFileName));
    line = StrConcat(StrConcat(line, StrFromText(kReadAs)), StrFromText(EncodingName(encoding)));
    ConPrint(StrConcat(line, StrFromText(kReadAsEnd)));
    RtString bom = ByteOrderMark(encoding);
    if (LineWrap.Writing && StrLength(bom) > 0) {
        FilePrint(2, bom);
        CheckWritten();
    } else {
        StrFree(bom);
    }
}

// The item in LineText, cut and framed, to the console (in its code page)
// and, while writing works, to the output file. An item of a code page
// file that is not too long is framed once in the Framed buffer, and the
// line goes to both in one print each: no string is made for it.
void WriteItem() {
    CutAtFirstBlank();
    const int32_t n = StrLength(LineWrap.LineText);
    if (LineWrap.JoinLine && n <= kFramedMax) {
        const int32_t mae = StrLength(LineWrap.OutMae), ato = StrLength(LineWrap.OutAto);
        char* line = LineWrap.Framed;
        RtlMoveMemory(line, LineWrap.OutMae, (size_t)mae);
        RtlMoveMemory(line + mae, LineWrap.LineText, (size_t)n);
        RtlMoveMemory(line + mae + n, LineWrap.OutAto, (size_t)ato + 1);  // with its NUL
        ConPrintText(line);
        if (!LineWrap.Writing) return;
        FilePrintBytes(2, line, (uint32_t)(mae + n + ato));
        CheckWritten();
        return;
    }
    ConPrintText(LineWrap.MaeText);
    ItemToConsole(LineWrap.LineText, n, LineWrap.Encoding);
    ConPrintText(LineWrap.ConsoleAto);
    if (!LineWrap.Writing) return;
    FilePrintBytes(2, LineWrap.OutMae, (uint32_t)StrLength(LineWrap.OutMae));
    FilePrintBytes(2, LineWrap.LineText, (uint32_t)n);
    FilePrintBytes(2, LineWrap.OutAto, (uint32_t)StrLength(LineWrap.OutAto));
    CheckWritten();
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
    // The command line's arguments answer the questions in order (a file
    // dropped on the program's icon is the first).
    const int32_t given = RtArguments(LineWrap.Arguments, LineWrap.ArgumentFits, 4, ConLineMax);
    LineWrap.ArgumentCount = given < 4 ? given : 4;
    if (given > 4) ConPrint(StrFromText(kTooManyArguments));  // never used without a word
    ConSetAnswers(LineWrap.Arguments, LineWrap.ArgumentFits, LineWrap.ArgumentCount);

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
    // The questions are over: keys typed from here on are not answers.
    ConKeepTypeAhead(false);
    LineWrap.Encoding = FileDetectEncoding(1);
    PrepareFraming();

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
            TellFailure(kInput, LineWrap.InFileName,
                        readError == ERROR_NOT_ENOUGH_MEMORY ? kItemTooLarge : kCannotRead, readError);
            break;
        }
    }

    // The output's last bytes reach the system before the run is told done,
    // so a write that fails there is told too.
    if (LineWrap.Writing) {
        FileFlush(2);
        CheckWritten();
    }
    // The last screen of a failed run never looks like a good one's.
    for (int32_t i = 0; i < LineWrap.FailureCount; i++) ConPrint(LineWrap.Failures[i]);
    LineWrap.FailureCount = 0;
    ConPrint(StrConcat(StrFromText("osimai"), StrFromText("\r\n")));
    FileClose(0);
    StrFree(LineWrap.InFileName);
    StrFree(LineWrap.OutFileName);
    StrFree(LineWrap.LineText);
    StrFree(LineWrap.MaeText);
    StrFree(LineWrap.AtoText);
    for (int32_t i = 0; i < LineWrap.ArgumentCount; i++) StrFree(LineWrap.Arguments[i]);
    ConSetAnswers(nullptr, nullptr, 0);
    StrFree(LineWrap.OutMae);
    StrFree(LineWrap.ConsoleAto);
    if (LineWrap.Framed) HeapFree(RtHeap, 0, LineWrap.Framed);
    LineWrap.Framed = nullptr;
    StrFree(LineWrap.OutAto);
    ItemTextRelease();
    return 0;
}
