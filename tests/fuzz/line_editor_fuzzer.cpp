// Fuzzes the line editor: any keystrokes sent to the window procedure as
// WM_CHAR (any byte; Backspace 8, Enter 13, Ctrl+V 22 with clipboard text of
// any length), as the program asks for line after line. A model of the
// line, kept here, says what the line must be after each key and what the
// program receives at Enter: typed bytes join it (not a NUL, nor a byte
// without room, nor a lead byte without room for its trail, which then
// takes its trail with it); Backspace takes the last whole character, found
// by a scan from the line's start, or the CR LF of a line break echoed as
// one (a CR LF printed in one text); a paste takes
// the longest run of whole characters that fits; Enter drops a lead byte
// still waiting for its trail. The line never holds more than 255 bytes and
// the program never receives a lone lead byte at its end.
//
// The model also keeps the line's echo, text by text as it was printed, and
// lays it as printing does (tabs to multiples of 8, CR LF inside one text a
// new row, nothing beyond cell 253): the rows from the prompt on and the
// cursor must show exactly that after every key (the client area is tall
// enough that nothing scrolls unless a line break reaches row 100), and at
// the end the screen must show the grid. The client is 20 cells wide: every
// key redraws its row, and the cells beyond the edge are not drawn, so a
// narrow window keeps the executions many.
//
// Input: a list of operations, each chosen by its first byte k:
//   k % 4 == 0  clipboard: a count byte c (0: no text at all) and a length
//               byte L, then L bytes, repeated c * 64 times up to 4 KB (16
//               lines' worth: a paste looks at no more than fits the line)
//   otherwise   a key: the next byte
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_console.h"

namespace {

const std::string kPrompt = "> ";

size_t LastStart(const std::string& s) {
    size_t start = 0;
    for (size_t i = 0; i < s.size(); i += IsDBCSLeadByte((BYTE)s[i]) ? 2 : 1) start = i;
    return start;
}
bool LoneLead(const std::string& s) {
    return !s.empty() && LastStart(s) == s.size() - 1 && IsDBCSLeadByte((BYTE)s.back());
}

struct Model {
    std::string line;
    std::vector<std::string> echoes;  // the texts printed for the line, in order
    bool dropTrail = false;
    int32_t row = 0, col = 0;         // where the echo starts
    std::string before;               // the row up to there
    bool scrolled = false;            // a line break reached row 100: no screen check

    void Cut(size_t keep) {
        size_t extra = line.size() - keep;
        line.resize(keep);
        while (extra > 0) {
            size_t k = std::min(extra, echoes.back().size());
            echoes.back().resize(echoes.back().size() - k);
            if (echoes.back().empty()) echoes.pop_back();
            extra -= k;
        }
    }
    // The echo laid as printing lays it: the rows from the start row on and
    // the cursor.
    std::vector<std::string> Lay(int32_t& cursorRow, int32_t& cursorCol) const {
        std::vector<std::string> rows{before};
        int32_t c = col;
        for (const std::string& e : echoes) {
            for (size_t i = 0; i < e.size(); i++) {
                if (e[i] == '\t') {
                    int32_t end = std::min(c + 8 - c % 8, ConLastCell + 1);
                    if (end > c) rows.back().append((size_t)(end - c), ' '), c = end;
                } else if (e[i] == '\r' && i + 1 < e.size() && e[i + 1] == '\n') {
                    rows.emplace_back(), c = 0, i++;
                } else if (c <= ConLastCell) {
                    rows.back() += e[i], c++;
                }
            }
        }
        cursorRow = row + (int32_t)rows.size() - 1;
        cursorCol = c;
        return rows;
    }
};

void Print(const std::string& text) {
    RtString s = StrAlloc((int32_t)text.size());
    memcpy(s, text.data(), text.size());
    ConPrint(s);
}

// What the program does to ask for a line (ConInput), without the wait.
void Request(HWND hwnd, Model& m) {
    Print(kPrompt);
    FuzzDrawingPass();  // the prompt is on the screen before the line is requested
    m.line.clear();
    m.echoes.clear();
    m.scrolled = false;
    {
        std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
        m.row = ConsoleBuffer.CursorRow;
        m.col = ConsoleBuffer.CursorCol;
        m.before.assign(ConsoleBuffer.RowText[m.row], (size_t)m.col);
    }
    ConSetLineLength(0);
    SendMessageA(hwnd, WM_SETFOCUS, 0, 0);
}

void Key(Model& m, uint8_t c, const std::string* clip) {
    bool dropTrail = m.dropTrail && !m.line.empty();
    m.dropTrail = false;
    if (c == 8) {
        if (m.line.empty()) return;
        size_t start = LastStart(m.line);
        const std::string& last = m.echoes.back();
        if (last.size() >= 2 && last.compare(last.size() - 2, 2, "\r\n") == 0) start = m.line.size() - 2;
        m.Cut(start);
    } else if (c == 22) {
        if (!clip || clip->empty()) return;
        std::string all = m.line + clip->substr(0, (size_t)ConLineMax - m.line.size());
        if (LoneLead(all) && all.size() > m.line.size()) all.pop_back();
        if (all.size() > m.line.size()) m.echoes.push_back(all.substr(m.line.size()));
        m.line = all;
    } else if (c != 13 && c != 0 && !dropTrail) {
        bool lead = IsDBCSLeadByte(c) && !LoneLead(m.line);
        if (m.line.size() + (lead ? 2 : 1) > (size_t)ConLineMax) {
            m.dropTrail = lead;
            return;
        }
        m.line += (char)c;
        m.echoes.push_back(std::string(1, (char)c));
    }
}

void CheckEcho(Model& m) {
    int32_t row, col;
    std::vector<std::string> rows = m.Lay(row, col);
    m.scrolled = m.scrolled || row >= ConRows;  // printing scrolled the grid: checked no further
    if (m.scrolled) return;
    for (size_t i = 0; i < rows.size(); i++) {
        std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
        const char* text = ConsoleBuffer.RowText[m.row + (int32_t)i];
        FuzzCheck(std::string(text, strnlen(text, ConCols)) == rows[i], "a row differs from the echo of the line");
    }
    std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
    FuzzCheck(ConsoleBuffer.CursorRow == row && ConsoleBuffer.CursorCol == col, "the cursor is not after the echo");
    for (int32_t r = row + 1; r < ConRows; r++)
        FuzzCheck(ConsoleBuffer.RowText[r][0] == 0, "a row below the echo is not empty");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    HWND hwnd = FuzzConsoleOpen();
    FuzzConsoleReset(20 * 6, ConRows * 16);  // every row visible, 20 cells of each
    int32_t strings = FuzzLiveStrings();
    HostSetClipboardText(nullptr);
    std::string clip;
    bool hasClip = false;
    Model m;
    Request(hwnd, m);
    FuzzReader in{data, size};
    while (in.More()) {
        uint8_t k = in.Byte();
        if (k % 4 == 0) {
            std::string cl = in.Take(2);
            size_t count = cl.empty() ? 0 : (uint8_t)cl[0] * 64u;
            std::string piece = in.Take(cl.size() > 1 ? (uint8_t)cl[1] : 0);
            clip.clear();
            for (size_t i = 0; i < count && clip.size() < 4096; i++) clip += piece;
            clip.resize(strlen(clip.c_str()));  // the clipboard's text ends at a NUL
            hasClip = count > 0;
            HostSetClipboardText(hasClip ? clip.c_str() : nullptr);
            continue;
        }
        if (!in.More()) break;
        uint8_t c = in.Byte();
        Key(m, c, hasClip ? &clip : nullptr);
        SendMessageA(hwnd, WM_CHAR, c, 0);
        FuzzDrawingPass();
        if (c == 13) {
            if (LoneLead(m.line)) m.Cut(m.line.size() - 1);
            FuzzCheck(ConLineLength() == -1, "Enter did not complete the line");
            std::string received = LineMailbox.LineBuffer;
            FuzzCheck(received == m.line, "the program receives another line than was typed");
            FuzzCheck(!LoneLead(received), "the program receives a lone lead byte at the end");
            SendMessageA(hwnd, WM_KILLFOCUS, 0, 0);
            Request(hwnd, m);
        } else {
            int32_t n = ConLineLength();
            FuzzCheck(n >= 0 && n <= ConLineMax, "the line is out of its bounds");
            FuzzCheck(std::string(LineMailbox.LineBuffer, (size_t)n) == m.line, "the line differs from what was typed");
            CheckEcho(m);
        }
    }
    FuzzCheckScreen();
    FuzzCheck(FuzzLiveStrings() == strings, "a string left behind");
    return 0;
}
