// The file side alone, on either platform: writes an input of N items
// ("wordN more words here") and runs the utility's item loop on it without
// a console, three times, printing items per second for each. Under Wine
// (bench/run-bench.sh --only file) it shows what reading, cutting and
// writing cost there, apart from drawing.
//
//   file_bench [ITEMS]      ITEMS defaults to 100000
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "item_loop.h"

int main(int argc, char** argv) {
    long items = argc > 1 ? atol(argv[1]) : 100000;
    if (items <= 0) {
        fprintf(stderr, "usage: file_bench [ITEMS]\n");
        return 2;
    }
    const char* in = "file-bench-in.txt";
    const char* out = "file-bench-out.txt";
    FILE* f = fopen(in, "wb");
    if (!f) return 2;
    for (long n = 1; n <= items; n++) fprintf(f, "word%ld more words here\r\n", n);
    fclose(f);
    RtStartup();
    for (int run = 1; run <= 3; run++) {
        auto start = std::chrono::steady_clock::now();
        RunItemLoop(in, out, "[", "]");
        double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        printf("file side, run %d: %ld items %.3f s %.0f items/s\n", run, items, s, items / s);
        fflush(stdout);
    }
    remove(in);
    remove(out);
    return 0;
}
