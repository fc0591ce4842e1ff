// The line-framing utility: asks for an input file, an output file and the
// texts to put before and after each item, then writes every item of the
// input file, cut before its first blank and framed by the two texts, to the
// output file and to the console. A file that cannot be opened, read or
// written is told in the console with the system's reason, and the process
// then ends with exit code 1 when the window is closed (0 otherwise).
#pragma once
#include "platform.h"
#include "rt_core.h"

// The longest item framed in one buffer; longer ones go out in three pieces.
constexpr int32_t kFramedMax = 64 * 1024;
// A run tells at most one failure per file and step (input open, output
// open, write, read); all are shown again before the run's last line.
constexpr int32_t kFailuresKept = 4;

// The program's variables; program thread only.
struct LineWrapState {
    RtString InFileName;
    RtString OutFileName;
    RtString MaeText;   // written before each item
    RtString AtoText;   // written after each item, then CR LF
    int32_t Encoding;   // the input's (a FileEncoding value); the output's too
    RtString OutMae;    // MaeText in the output's encoding
    RtString OutAto;    // AtoText and CR LF in the output's encoding
    RtString ConsoleAto;  // AtoText and CR LF as the console shows them
    bool JoinLine;      // the framed line goes out as one text (see WriteItem)
    char* Framed;       // heap block for it: mae, an item of up to kFramedMax bytes, ato
    RtString LineText;  // the item; after the search, the part before its first blank
    int32_t TextLen;    // length of the item as read
    double CharPos;     // 1-based byte position under test
    bool Writing;       // the output file is open and no write to it has failed
    RtString Arguments[4];  // the command line's answers to the four questions
    int32_t ArgumentFits[4];  // RtPathOk, or why an argument could not be had
    int32_t ArgumentCount;
    RtString Failures[kFailuresKept];  // the failure lines told so far, to be shown again
    int32_t FailureCount;
};
extern LineWrapState LineWrap;

// The whole program on the program thread: start-up, the console thread, the
// four questions, the item loop and the clean-up. Returns 0; the caller ends
// the thread (not the process) so that the window stays open.
DWORD WINAPI LineWrapMain(LPVOID parameter);
