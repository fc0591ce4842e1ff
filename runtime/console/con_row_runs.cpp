// How a drawing pass cuts a copied row into text calls: the console's
// logic, with no window call (front/con_render.cpp makes one call a run).
//
// Cells of the same colours go into one run, each byte later placed at its
// own cell by the front's advance array, so a run looks exactly like its
// cells drawn one by one. A double-byte character takes the colours of its
// lead cell and goes in whole. What a run may not hold stands alone, as one
// byte, or a lead byte with the byte after it unless that is the row's NUL:
// control bytes, 0x7F, 0x80, 0xA0 and 0xFD to 0xFF (which the font draws
// differently inside a run) and a lead byte without a trail byte (which the
// system would not map to exactly one character). A run that would start
// at or past the client's right edge is left out: it would be clipped away.
// Cells that hold UTF-16 characters make runs of their own, of the same
// colours, drawn in UTF-16; a two-cell character goes in whole.
#include "rt_console.h"

namespace {

bool IsTrailByte(BYTE b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

// Bytes of the character at text[col] that a run may hold: 1 for a
// printable single byte, 2 for a lead byte with a trail byte; 0 for what
// must stand alone.
int32_t JoinableLength(const char* text, int32_t col) {
    BYTE b = (BYTE)text[col];
    if (IsDBCSLeadByte(b)) return IsTrailByte((BYTE)text[col + 1]) ? 2 : 0;
    return (b >= 0x20 && b <= 0x7E) || (b >= 0xA1 && b <= 0xDF) ? 1 : 0;
}

}  // namespace

int32_t ConRowRuns(const ConRowCopy& c, int32_t cols, ConRun* runs) {
    int32_t count = 0;
    for (int32_t col = 0; col < c.n && col < cols;) {
        const COLORREF f = c.fore[col], b = c.back[col];
        const int32_t start = col;
        if (c.uni[col]) {
            while (col < c.n && c.uni[col] && c.fore[col] == f && c.back[col] == b)
                col += col + 1 < c.n && ConUniSecond(c.uni[col + 1]) ? 2 : 1;
            runs[count++] = ConRun{start, col - start, f, b, false, true};
            continue;
        }
        int32_t length;
        while (col < c.n && !c.uni[col] && c.fore[col] == f && c.back[col] == b &&
               (length = JoinableLength(c.text, col)) > 0)
            col += length;
        const bool joined = col > start;
        if (!joined) col += IsDBCSLeadByte((BYTE)c.text[col]) && c.text[col + 1] != 0 && !c.uni[col + 1] ? 2 : 1;
        runs[count++] = ConRun{start, col - start, f, b, joined, false};
    }
    return count;
}
