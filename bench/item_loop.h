// The utility's item loop without its console: FileEof, FileInput into one
// string, the cut before the first blank, the three writes of the framed
// item. What the file side costs once drawing is out of the way; shared by
// the host benchmark and file_bench. Expects the runtime started.
#pragma once
#include <cstring>

#include "rt_core.h"
#include "rt_file.h"

inline void RunItemLoop(const char* in, const char* out, const char* mae_text, const char* ato_text) {
    RtString line = StrAlloc(0), mae = StrFromText(mae_text), ato = StrFromText(ato_text);
    FileOpen(StrFromText(in), FileModeRead, 1);
    FileOpen(StrFromText(out), FileModeWrite, 2);
    while (!FileEof(1)) {
        ValueList.ValueAddress[0] = &line;
        ValueList.ValueType[0] = TypeString;
        ValueList.ValueAddress[1] = nullptr;
        ValueList.StoreCount = 0;
        FileInput(1);
        if (ValueList.StoreCount == 0) continue;
        if (const char* blank = (const char*)memchr(line, ' ', (size_t)StrLength(line)))
            StrAssign(&line, StrLeft(StrCopy(line), (int32_t)(blank - line)));
        FilePrint(2, StrCopy(mae));
        FilePrint(2, StrCopy(line));
        FilePrint(2, StrConcat(StrCopy(ato), StrFromText("\r\n")));
    }
    FileClose(0);
    StrFree(line);
    StrFree(mae);
    StrFree(ato);
}
