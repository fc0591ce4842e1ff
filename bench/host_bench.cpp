// Benchmark of the whole utility on the host stand-in: for each size, a
// generated input file of that many items, the program run in a simulated
// process with its console window, the four questions answered by typing
// into the window, and the time from the last answer's Enter until the
// output file is complete. Prints items per second, the file operations per
// item (the stand-in's call counters), and from the console's recording
// front end the text runs drawn per item (each one text call in the real
// front) and the drawing passes per second.
// Then awk does the same transform on the same file, timed, and the ratio
// of the two times is printed.
//
//   host_bench [--dir DIR] [--file-only] [SIZE...]     sizes default to 1000 10000 100000
//
// --file-only runs only the item loop without the console (for a profile
// of the file side).
//
// Build it without sanitizers and with optimisation (bench/host-bench.sh
// does); a sanitizer build measures the sanitizer.
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "host_counts.h"
#include "item_loop.h"
#include "linewrap.h"
#include "program_reset.h"
#include "rt_console.h"
#include "rt_file.h"

namespace {

using Clock = std::chrono::steady_clock;

// Bounds on every wait.
constexpr auto kStartLimit = std::chrono::seconds(20);
constexpr auto kQuestionLimit = std::chrono::seconds(10);
constexpr auto kRunLimit = std::chrono::seconds(1200);

const char* const kMae = "[";
const char* const kAto = "]";

// The n-th item's input line and the line the program writes for it.
std::string InputLine(long n) { return "word" + std::to_string(n) + " more words here\r\n"; }
std::string OutputLine(long n) { return std::string(kMae) + "word" + std::to_string(n) + kAto + "\r\n"; }

bool WriteInput(const std::string& path, long items, std::string* expected) {
    std::ofstream in(path, std::ios::binary | std::ios::trunc);
    expected->clear();
    for (long n = 1; n <= items; n++) {
        in << InputLine(n);
        *expected += OutputLine(n);
    }
    return (bool)in;
}

long FileSize(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? (long)st.st_size : -1;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool WaitUntil(bool (*done)(), Clock::duration limit) {
    const auto until = Clock::now() + limit;
    while (!done()) {
        if (Clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

// Types one answer and Enter once the program asks for a line, as a user at
// the window would.
bool Answer(const std::string& text) {
    if (!WaitUntil([] { return ConLineLength() != -1; }, kQuestionLimit)) return false;
    for (unsigned char c : text + "\r") FrontRun([c] { ConLineChar(c); });
    return true;
}

bool ShowsOsimai() {
    std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
    int32_t row = ConsoleBuffer.CursorRow;
    return row > 0 && ConsoleBuffer.RowText[row - 1] && strcmp(ConsoleBuffer.RowText[row - 1], "osimai") == 0 &&
           ConsoleBuffer.CursorCol == 0;
}

struct Result {
    bool ok = false;
    std::string why;
    double seconds = 0;
    HostCallCounts counts{};
    FrontCounts drawn{};
    double awk_seconds = -1;  // below 0: awk failed or gave other bytes
};

// The utility's transform in awk: leading blanks and tabs dropped, the part
// before the first blank framed by mae and ato. (The generated items hold
// no comma or quote, so a line is an item.)
const char* const kAwkProgram =
    "BEGIN { RS = \"\\r?\\n\"; ORS = \"\\r\\n\" }\n"
    "{ sub(/^[ \\t]+/, \"\"); p = index($0, \" \"); if (p) $0 = substr($0, 1, p - 1);\n"
    "  print mae $0 ato }\n";

double TimeAwk(const std::string& dir, const std::string& in, const std::string& expected) {
    const std::string program = dir + "/transform.awk", out = dir + "/awk-out.txt";
    std::ofstream(program, std::ios::binary) << kAwkProgram;
    const std::string command = std::string("awk -v 'mae=") + kMae + "' -v 'ato=" + kAto + "' -f '" +
                                program + "' '" + in + "' > '" + out + "'";
    const auto start = Clock::now();
    int rc = std::system(command.c_str());
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    bool same = rc == 0 && ReadAll(out) == expected;
    remove(program.c_str());
    remove(out.c_str());
    return same ? seconds : -1;
}

Result RunOnce(const std::string& dir, long items) {
    Result r;
    const std::string in = dir + "/in-" + std::to_string(items) + ".txt";
    const std::string out = dir + "/out-" + std::to_string(items) + ".txt";
    std::string expected;
    if (!WriteInput(in, items, &expected)) {
        r.why = "cannot write " + in;
        return r;
    }
    remove(out.c_str());

    ForgetEarlierRun();
    HostProcessBegin();
    CreateThread(nullptr, 0, LineWrapMain, nullptr, 0, nullptr);
    bool asked = WaitUntil([] { return ConsoleWindowIsReady(); }, kStartLimit) && Answer(in) && Answer(out) &&
                 Answer(kMae);
    // The count starts while the program waits for the last answer.
    if (asked && WaitUntil([] { return ConLineLength() != -1; }, kQuestionLimit)) {
        HostCallCountsReset();
        FrontCountsReset();
    }
    asked = asked && Answer(kAto);
    const auto start = Clock::now();
    bool complete = false;
    if (asked) {
        const long want = (long)expected.size();
        const auto until = start + kRunLimit;
        while (!(complete = FileSize(out) == want) && Clock::now() < until) {
            // The front end records every row drawn for tests to read; the
            // record is dropped as it grows, so a long run does not measure
            // (or exhaust) memory.
            FrontDrawLogClear();
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    }
    r.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    r.counts = HostGetCallCounts();
    r.drawn = FrontGetCounts();
    bool finished = complete && WaitUntil(ShowsOsimai, std::chrono::seconds(10));

    FrontClose();
    int code = HostProcessWait(10000);
    HostProcessEnd();

    if (!asked) r.why = "a question was not asked in time";
    else if (!complete) r.why = "the output file did not reach its size in time";
    else if (!finished) r.why = "osimai did not appear";
    else if (code != 0) r.why = "exit code " + std::to_string(code);
    else if (ReadAll(out) != expected) r.why = "the output file differs from the expected bytes";
    else r.ok = true;
    if (r.ok) r.awk_seconds = TimeAwk(dir, in, expected);
    remove(in.c_str());
    remove(out.c_str());
    return r;
}

// The program's item loop without its console, on this thread.
Result RunFileSide(const std::string& dir, long items) {
    Result r;
    const std::string in = dir + "/file-in.txt", out = dir + "/file-out.txt";
    std::string expected;
    if (!WriteInput(in, items, &expected)) {
        r.why = "cannot write " + in;
        return r;
    }
    ForgetEarlierRun();
    RtStartup();
    HostCallCountsReset();
    const auto start = Clock::now();
    RunItemLoop(in.c_str(), out.c_str(), kMae, kAto);
    r.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    r.counts = HostGetCallCounts();
    if (ReadAll(out) != expected) r.why = "the output file differs from the expected bytes";
    else r.ok = true;
    if (r.ok) r.awk_seconds = TimeAwk(dir, in, expected);
    remove(in.c_str());
    remove(out.c_str());
    return r;
}

void PrintRow(const char* what, long items, const Result& r) {
    if (!r.ok) {
        printf("%-7s %9ld FAILED: %s\n", what, items, r.why.c_str());
        return;
    }
    double file = 0;
    for (int k = 0; k < HostCallKinds; k++) file += (double)r.counts.Calls[k];
    printf("%-7s %9ld %10.3f %12.0f %10.2f %10.2f %10.1f", what, items, r.seconds, items / r.seconds,
           file / items, (double)r.drawn.runs / items, (double)r.drawn.passes / r.seconds);
    if (r.awk_seconds >= 0) printf(" %10.3f %8.1f\n", r.awk_seconds, r.seconds / r.awk_seconds);
    else printf(" %10s %8s\n", "failed", "-");
    fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    std::string dir;
    std::vector<long> sizes;
    bool file_only = false;
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "--dir") == 0 && i + 1 < argc) {
            dir = argv[++i];
        } else if (strcmp(argv[i], "--file-only") == 0) {
            file_only = true;
        } else if (atol(argv[i]) > 0) {
            sizes.push_back(atol(argv[i]));
        } else {
            fprintf(stderr, "usage: host_bench [--dir DIR] [--file-only] [SIZE...]\n");
            return 2;
        }
    }
    if (sizes.empty()) sizes = {1000, 10000, 100000};
    const bool ownDir = dir.empty();
    if (ownDir) {
        char pattern[] = "/tmp/linewrap-bench-XXXXXX";
        if (!mkdtemp(pattern)) {
            perror("mkdtemp");
            return 2;
        }
        dir = pattern;
    }
    printf("host stand-in, item \"%s\", mae \"%s\", ato \"%s\"\n",
           InputLine(123).substr(0, InputLine(123).size() - 2).c_str(), kMae, kAto);
    printf("\"program\": the whole utility with its window; \"file\": its item loop alone, no console\n");
    printf("%-7s %9s %10s %12s %10s %10s %10s %10s %8s\n", "run", "items", "seconds", "items/s",
           "file/item", "runs/item", "passes/s", "awk s", "ratio");
    std::vector<Result> results;
    int failures = 0;
    for (long items : sizes) {
        Result r;
        if (!file_only) {
            r = RunOnce(dir, items);
            failures += !r.ok;
            PrintRow("program", items, r);
        }
        results.push_back(r);
        Result f = RunFileSide(dir, items);
        failures += !f.ok;
        PrintRow("file", items, f);
    }

    if (!file_only) {
        printf("\nfile calls per item of the whole utility, from the last answer's Enter to the complete output file\n");
        printf("%-22s", "operation");
        for (long items : sizes) printf(" %10ld", items);
        printf("\n");
        for (int k = 0; k < HostCallKinds; k++) {
            printf("%-22s", HostCallName((HostCountedCall)k));
            for (size_t i = 0; i < sizes.size(); i++) {
                if (results[i].ok) printf(" %10.3f", (double)results[i].counts.Calls[k] / sizes[i]);
                else printf(" %10s", "-");
            }
            printf("\n");
        }
    }
    if (ownDir) rmdir(dir.c_str());
    return failures ? 1 : 0;
}
