// Fuzzes console output: prints of any bytes (tabs, CR LF, lone CR, lead
// bytes at row ends, NULs, thousands of rows at once) with the client area
// changed between them. After every print or resize and the drawing pass
// that follows it, the grid and the screen must agree (FuzzCheckScreen) and
// no string may be left behind. Every drawing pass draws each visible cell,
// so the window is kept small (up to 15 rows, 10 at the start) to keep the
// executions many. The input is a list of operations, each chosen by its
// first byte:
//   k % 4 == 0  resize: width (up to 1020 pixels) and height (up to 255)
//               from the next two bytes; height 0 is a minimised window
//   k % 4 == 1  long print: a count byte c and a length byte L, then L bytes
//               printed (c + 1) * 8 times in one text, up to 16 KB (8,192
//               line breaks: the grid of 101 rows scrolls through many times)
//   otherwise   print: a length byte L, then L bytes
#include <algorithm>
#include <string>

#include "fuzz_console.h"

namespace {

void Print(const std::string& bytes) {
    RtString s = StrAlloc((int32_t)bytes.size());
    memcpy(s, bytes.data(), bytes.size());
    ConPrint(s);  // a NUL inside ends the text, as it does for every caller
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzConsoleOpen();
    FuzzConsoleReset(640, 160);
    int32_t strings = FuzzLiveStrings();
    FuzzReader in{data, size};
    while (in.More()) {
        uint8_t k = in.Byte();
        if (k % 4 == 0) {
            std::string wh = in.Take(2);
            int width = wh.size() > 0 ? (uint8_t)wh[0] * 4 : 640;
            int height = wh.size() > 1 ? (uint8_t)wh[1] : 160;
            FuzzResize(width, height);
        } else if (k % 4 == 1) {
            std::string cl = in.Take(2);
            size_t count = cl.empty() ? 8 : ((uint8_t)cl[0] + 1) * 8u;
            std::string piece = in.Take(cl.size() > 1 ? (uint8_t)cl[1] : 0);
            std::string text;
            for (size_t i = 0; i < count && text.size() < 16384; i++) text += piece;
            Print(text);
        } else {
            std::string len = in.Take(1);
            Print(in.Take(len.empty() ? 0 : (uint8_t)len[0]));
        }
        FuzzDrawingPass();
        FuzzCheckScreen();
    }
    FuzzCheck(FuzzLiveStrings() == strings, "a string left behind");
    return 0;
}
