// Fuzzes the item reader with arbitrary files. The first input byte chooses
// how many variables the value list has, the next ones their type codes; the
// rest is written to a file that is read to its end with FileEof/FileInput.
// Beyond what AddressSanitizer catches, it checks that every statement moves
// the position forward and never past the end, that string items fit the
// file and hold no NUL, and that no string is left behind.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "rt_file.h"

namespace {

int32_t LiveStrings() {
    EnterCriticalSection(&StringLock);
    int32_t n = StringRegistry.Count;
    LeaveCriticalSection(&StringLock);
    return n;
}

void Check(bool ok, const char* what) {
    if (!ok) {
        fprintf(stderr, "file_input_fuzzer: %s\n", what);
        abort();
    }
}

// Type codes to choose from: every stored type and one that stores nothing.
const int32_t kCodes[] = {TypeString, TypeInt8, TypeInt16, TypeInt32,
                          TypeSingle, TypeDouble, 7, 0};

// One variable of any type; strings start empty.
union Variable {
    RtString text;
    double number;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/file_input_fuzzer-" + std::to_string(getpid());
    static bool started = (RtStartup(), atexit([] { unlink(path.c_str()); }), true);
    (void)started;

    size_t entries = size ? data[0] % 33 : 1;  // up to a full list of 32
    if (entries == 0) entries = 1;
    size_t header = size ? 1 + entries : 0;
    if (header > size) header = size;
    int32_t types[32];
    for (size_t k = 0; k < entries; k++)
        types[k] = 1 + k < header ? kCodes[data[1 + k] % 8] : TypeString;

    FILE* f = fopen(path.c_str(), "wb");
    Check(f != nullptr, "cannot write the temporary file");
    fwrite(data + header, 1, size - header, f);
    fclose(f);
    DWORD file_size = (DWORD)(size - header);

    int32_t strings_at_start = LiveStrings();
    Variable vars[32];
    for (size_t k = 0; k < 32; k++) {
        if (k < entries && types[k] == TypeString) vars[k].text = StrAlloc(0);
        else vars[k].number = 0;
        ValueList.ValueAddress[k] = k < entries ? &vars[k] : nullptr;
        ValueList.ValueType[k] = k < entries ? types[k] : 0;
    }

    FileOpen(StrFromText(path.c_str()), FileModeRead, 1);
    Check(FileTable.Handles[0] != INVALID_HANDLE_VALUE, "the open failed");
    int32_t strings = LiveStrings();
    DWORD position = 0;
    size_t statements = 0;
    while (FileEof(1) == 0) {
        Check(++statements <= file_size, "more statements than bytes");
        FileInput(1);
        DWORD now = SetFilePointer(FileTable.Handles[0], 0, nullptr, FILE_CURRENT);
        Check(now > position, "a statement did not move the position forward");
        Check(now <= file_size, "the position went past the end");
        position = now;
        Check(LiveStrings() == strings, "a statement left a string behind");
        for (size_t k = 0; k < entries; k++) {
            if (types[k] != TypeString) continue;
            int32_t n = StrLength(vars[k].text);
            Check(n >= 0 && (DWORD)n <= file_size, "an item longer than the file");
            Check(memchr(vars[k].text, 0, (size_t)n) == nullptr, "a NUL inside an item");
        }
    }
    Check(SetFilePointer(FileTable.Handles[0], 0, nullptr, FILE_CURRENT) == file_size,
          "FileEof ended the loop before the end");
    FileClose(0);
    for (size_t k = 0; k < entries; k++)
        if (types[k] == TypeString) StrFree(vars[k].text);
    Check(LiveStrings() == strings_at_start, "strings left behind after the run");
    return 0;
}
