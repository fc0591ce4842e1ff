// Starting the utility again inside one test or benchmark program: gives
// back what an earlier run left, so that the program's own start-up begins
// from nothing, as in a new process. Host build only.
#pragma once
#include "rt_console.h"
#include "rt_core.h"
#include "file_write_buffer.h"
#include "front_double.h"
#include "rt_file.h"

inline void ForgetEarlierRun() {
    if (StringRegistry.Entries) {
        for (int32_t i = 0; i < StringRegistry.Count; i++)
            HeapFree(GetProcessHeap(), 0, StringRegistry.Entries[i] - 4);
        HeapFree(GetProcessHeap(), 0, StringRegistry.Entries);
        StringRegistry.Entries = nullptr;
        StringRegistry.Count = 0;
        StringRegistry.Capacity = 0;
    }
    FileClose(0);  // clears the error record with the files
    FileWrite.Ended = false;  // the last run's process has ended; this one has not
    RtSetExitCode(0);
    // A new process starts with zeroed globals; the program itself sets
    // these two before its window exists, which typing must not overtake.
    ConSetLineLength(-1);
    ConsoleWindowSetReady(0);
    FrontReset();  // and a window that has shown nothing yet
}
