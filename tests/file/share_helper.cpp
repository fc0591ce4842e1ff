// A second process for the share-mode tests. Opens a file through the
// runtime and reports, by its exit code, whether the open succeeded:
//   file_share_helper try PATH                 0 opened, 1 refused
//   file_share_helper hold PATH READY RELEASE  opens PATH (2 if refused),
//       creates READY, keeps the file open until RELEASE exists, exits 0
#include <cstdio>
#include <cstring>

#include "rt_file.h"

static bool Exists(const char* path) {
    FILE* f = fopen(path, "rb");
    if (f) fclose(f);
    return f != nullptr;
}

int main(int argc, char** argv) {
    RtStartup();
    if (argc == 3 && strcmp(argv[1], "try") == 0) {
        FileOpen(StrFromText(argv[2]), FileModeRead, 1);
        int code = FileTable.Handles[0] == INVALID_HANDLE_VALUE ? 1 : 0;
        FileClose(0);
        return code;
    }
    if (argc == 5 && strcmp(argv[1], "hold") == 0) {
        FileOpen(StrFromText(argv[2]), FileModeRead, 1);
        if (FileTable.Handles[0] == INVALID_HANDLE_VALUE) return 2;
        FILE* ready = fopen(argv[3], "wb");
        if (ready) fclose(ready);
        for (int i = 0; i < 3000 && !Exists(argv[4]); i++) Sleep(10);
        FileClose(0);
        return 0;
    }
    return 3;
}
