// The exit code the process ends with when its console window is closed.
// The program decides it (0 while everything went well, 1 once something it
// was asked to do failed); the console window thread ends the process, at
// whatever moment the user closes the window, with the code set so far. A
// closing before anything failed therefore ends with 0.
#include "rt_core.h"

ProcessExitState ProcessExit;  // 0 at start

void RtSetExitCode(uint32_t code) { ProcessExit.Code.store(code, std::memory_order_relaxed); }
uint32_t RtExitCode() { return ProcessExit.Code.load(std::memory_order_relaxed); }

void RtSetBeforeExit(void (*hook)()) { ProcessExit.BeforeExit.store(hook, std::memory_order_release); }
void RtBeforeExit() {
    if (void (*hook)() = ProcessExit.BeforeExit.load(std::memory_order_acquire)) hook();
}
