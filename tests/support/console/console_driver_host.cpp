// Test helpers of the host build: the console inside a simulated process,
// its window the recording double (front_double.h).
#include "con_front.h"
#include "console_driver.h"
#include "front_double.h"

void ConsoleStartThread();

void ConsoleStart() {
    HostProcessBegin();
    FrontReset();
    ConsoleStartThread();
}

int ConsoleClose() {
    FrontClose();
    int code = HostProcessWait(10000);
    HostProcessEnd();
    return code;
}

void ConsoleType(const std::string& bytes) {
    for (unsigned char c : bytes) FrontRun([c] { ConLineChar(c); });
}

void ConsoleFlush() { FrontRun(ConFrontDrawNow); }

std::string ConsoleScreenRow(int32_t row) {
    ConsoleFlush();
    int64_t shown;
    {
        std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
        shown = ConsoleBuffer.Top + row - ConsoleView.Top;
    }
    return shown >= 0 && shown < ConRows ? FrontScreenRow((int32_t)shown) : std::string();
}

void ConsoleEndSession() { ConsoleClose(); }
