// The console input statement: prompt, the line requested from the window
// thread through the LineMailbox, and its comma-separated items stored
// through the value list.
#include "con_front.h"
#include "rt_console.h"

LineMailboxState LineMailbox;

namespace {

// "入力データの個数が多すぎます" and "入力データの個数が足りません", CR LF.
const char kTooMany[] =
    "\x93\xfc\x97\xcd\x83\x66\x81\x5b\x83\x5e\x82\xcc\x8c\xc2\x90\x94\x82\xaa\x91\xbd\x82\xb7\x82\xac"
    "\x82\xdc\x82\xb7\r\n";
const char kTooFew[] =
    "\x93\xfc\x97\xcd\x83\x66\x81\x5b\x83\x5e\x82\xcc\x8c\xc2\x90\x94\x82\xaa\x91\xab\x82\xe8\x82\xdc"
    "\x82\xb9\x82\xf1\r\n";

// "引数 " before an argument's number in the line that refuses it.
const char kArgument[] = "\x88\xf8\x90\x94\x20";

// The answers given before their questions; program thread only.
struct ConAnswersState {
    const RtString* Items;
    const int32_t* Fits;  // RtPathOk, or why the answer could not be had
    int32_t Count;
    int32_t Next;
};
ConAnswersState ConAnswers;

// The next given answer as the line, shown as if typed: cut, as typing
// would, to the bytes a line holds and to whole characters. False when no
// answer is left, or when it could not be had: that is told in one line,
// and the question is then asked.
bool GivenLine(RtString prompt, char* line) {
    if (ConAnswers.Next >= ConAnswers.Count) return false;
    const int32_t index = ConAnswers.Next;
    const char* answer = ConAnswers.Items[ConAnswers.Next++];
    if (ConAnswers.Fits && ConAnswers.Fits[index] != RtPathOk) {
        char number[3] = {(char)('1' + index % 9), ' ', 0};  // a question's argument: 1 to 9
        RtString subject = StrConcat(StrFromText(kArgument), StrFromText(number));
        RtString why = RtPathRefusal(subject, ConAnswers.Fits[index]);
        StrFree(subject);
        ConPrint(StrConcat(why, StrFromText("\r\n")));
        return false;
    }
    int32_t n = 0;
    for (int32_t i = 0; answer[i] && i < ConLineMax;) {
        int32_t len = IsDBCSLeadByte((BYTE)answer[i]) ? 2 : 1;
        if (i + len > ConLineMax || (len == 2 && !answer[i + 1])) break;
        i += len;
        n = i;
    }
    RtlMoveMemory(line, answer, (size_t)n);
    line[n] = 0;
    ConPrint(StrCopy(prompt));
    ConPrint(StrConcat(StrFromText(line), StrFromText("\r\n")));
    return true;
}

// Prompts, requests a line and waits until the window thread completes it.
void ReadLine(RtString prompt) {
    ConPrint(StrCopy(prompt));
    // Everything printed so far is on the screen before the line is typed.
    ConFrontFlush();
    LineMailbox.Prompt = prompt;  // published by the store below
    ConSetLineLength(0);
    // The window shows its caret only while a line is requested, hence after the store.
    ConFrontLineRequested();
    while (ConLineLength() != -1) Sleep(10);
    // Returns only once the window thread is back in its loop, the echo of
    // Enter included, so nothing printed from here on overtakes it.
    ConFrontLineTaken();
}

}  // namespace

void ConSetAnswers(const RtString* answers, const int32_t* fits, int32_t count) {
    ConAnswers = ConAnswersState{answers, fits, count, 0};
}

void ConKeepTypeAhead(bool keep) { ConFrontKeepTypeAhead(keep); }

void ConInput(RtString prompt) {
    RtString item = StrAlloc(0);
    char given[ConLineMax + 1];
    // A given answer is taken once: when the question refuses it, the
    // question is asked.
    bool first = true;
    for (;;) {
        const char* line = LineMailbox.LineBuffer;
        if (first && GivenLine(prompt, given)) line = given;
        else ReadLine(prompt);
        first = false;
        StrFree(item);
        item = StrNew(lstrlenA(line) + 1);
        int32_t read = 0, k = 0;
        const char* complaint = nullptr;
        for (;;) {
            int32_t write = 0;
            while (line[read] != ',' && line[read] != 0) item[write++] = line[read++];
            item[write] = 0;
            StoreItem(k, item);
            k++;
            bool more = line[read] == ',';
            // The list ends at its first zero address, and at the latest
            // after its 32 entries.
            bool listEnds = k >= 32 || !ValueList.ValueAddress[k];
            if (listEnds && more) {
                complaint = kTooMany;
                break;
            }
            if (!more) {
                if (!listEnds) complaint = kTooFew;
                break;
            }
            read++;  // past the comma
        }
        if (!complaint) break;
        ConPrint(StrFromText(complaint));
    }
    StrFree(prompt);
    StrFree(item);
}
