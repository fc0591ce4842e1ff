// Fuzzes the line editor: any keys handed to it as the window procedure
// hands them, as the program asks for line after line: characters of any
// byte (Backspace 8, Enter 13, Ctrl+V 22 with clipboard text of any length,
// Esc 27), the keys Left, Right, Home, End, Delete, Up and Down, and files
// dropped on the window. A model of the line, kept here, says what the line
// must be after each key and what the program receives at Enter: typed
// bytes go in at the caret (not a NUL, which changes nothing, nor a byte
// without room, nor a lead byte without room for its trail, which then
// takes its trail with it; a lead byte typed inside the line waits for its
// trail and both go in together); Backspace and Delete take the whole character before or at the
// caret, Left and Right step over one (characters are found by a scan from
// the line's start; the CR LF of a line break echoed as one, a CR LF printed
// in one text, is one character); a paste takes the longest run of whole
// characters that fits, up to its first line end, which is Enter (what
// follows waits for the next line, each line end an Enter); a dropped path
// goes in whole or not at all, and one that cannot be had is refused with
// a line, after which the line is echoed again below the prompt; Esc
// empties the line; Up and Down bring back earlier answers; Enter drops a
// lead byte still waiting for its trail at the end. The line never holds
// more than 255 bytes and the program never receives a lone lead byte at
// its end.
//
// The model also keeps the line's echo, text by text as it was printed: an
// edit at byte k keeps the texts up to k and prints the rest of the line as
// one text. It lays them as printing does (tabs to multiples of 8, CR LF
// inside one text a new row, nothing beyond cell 253): the rows from the
// prompt on, the cursor and the caret's cell must show exactly that after
// every key (the grid scrolls only when a line break reaches row 100: no
// check after that), the caret stands at its cell of the view while that
// is in view, and at the end the screen must show the view's lines. The
// client is 15 cells by 6 rows: the view follows the caret sideways and
// the cursor's row, and a small window keeps the executions many.
//
// Input: a list of operations, each chosen by its first byte k:
//   k % 4 == 0  clipboard: a count byte c (0: no text at all) and a length
//               byte L, then L bytes, repeated c * 64 times up to 4 KB (16
//               lines' worth: a paste looks at no more than fits the line)
//   k % 4 == 1  a key: the next byte c chooses (c % 16) Left, Right, Home,
//               End, Delete, Up, Down or a key the editor ignores; a key of
//               the view (Shift+PgUp/PgDn, Ctrl+Up/Down, Ctrl+Home/End);
//               a double-click on a word (column c / 16); a right-click
//               (a copy with a selection, else a paste)
//   k % 4 == 2  a drop: a length byte L, then L bytes, each a character of
//               the path (below 0x80 itself, else one of a few characters
//               in the code page and one that is not)
//   k % 4 == 3  a typed byte: the next byte (Ctrl+A, and with a selection
//               Enter, Ctrl+C and Esc, are the selection's)
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

bool IsBreakable(const std::string& e, size_t i) { return e[i] == '\r' && i + 1 < e.size() && e[i + 1] == '\n'; }

struct Model {
    std::string line;
    std::vector<std::string> echoes;  // the texts printed for the line, in order
    bool dropTrail = false;
    uint8_t pending = 0;              // a lead byte typed inside the line
    size_t caret = 0;
    std::vector<std::string> history;  // newest first
    int recalled = -1;
    int32_t row = 0, col = 0;         // where the echo starts
    std::string before;               // the row up to there
    bool scrolled = false;            // a line break reached row 100: no screen check
    std::string ahead;                // typed ahead: pasted text, '\r' for each Enter

    // Whether byte i of the line is the CR of a line break.
    bool BreakAt(size_t i) const {
        size_t at = 0;
        for (const std::string& e : echoes) {
            if (i < at + e.size()) return IsBreakable(e, i - at);
            at += e.size();
        }
        return false;
    }
    size_t Next(size_t i) const {
        if (i + 1 < line.size() && (BreakAt(i) || (IsDBCSLeadByte((BYTE)line[i]) && !BreakAt(i + 1)))) return i + 2;
        return i + 1;
    }
    size_t Previous(size_t at) const {
        size_t start = 0;
        for (size_t i = 0; i < at; i = Next(i)) start = i;
        return start;
    }
    // From byte k on the line reads tail, printed as one text.
    void Replace(size_t k, const std::string& tail) {
        size_t extra = line.size() - k;
        while (extra > 0) {
            size_t n = std::min(extra, echoes.back().size());
            echoes.back().resize(echoes.back().size() - n);
            if (echoes.back().empty()) echoes.pop_back();
            extra -= n;
        }
        line = line.substr(0, k) + tail;
        if (!tail.empty()) echoes.push_back(tail);
    }
    void Insert(const std::string& bytes) {
        Replace(caret, bytes + line.substr(caret));
        caret += bytes.size();
        if (!bytes.empty() && BreakAt(caret - 1)) caret++;  // behind the break a CR put in made
    }
    void Remove(size_t from, size_t to) {
        Replace(from, line.substr(to));
        caret = from;
    }
    void InsertText(std::string text) {
        size_t room = (size_t)ConLineMax - line.size();
        text.resize(std::min(text.size(), room));
        if (caret == line.size() ? (!text.empty() && LoneLead(line + text)) : LoneLead(text)) text.pop_back();
        Insert(text);
    }
    // The echo laid as printing lays it: the rows from the start row on, the
    // cursor, and the cell of byte stop (the caret's).
    std::vector<std::string> Lay(int32_t& cursorRow, int32_t& cursorCol, size_t stop, int32_t& stopRow,
                                 int32_t& stopCol) const {
        std::vector<std::string> rows{before};
        int32_t c = col;
        size_t at = 0;
        stopRow = row, stopCol = col;
        for (const std::string& e : echoes) {
            for (size_t i = 0; i < e.size(); i++, at++) {
                if (at == stop) stopRow = row + (int32_t)rows.size() - 1, stopCol = c;
                if (e[i] == '\t') {
                    int32_t end = std::min(c + 8 - c % 8, ConLastCell + 1);
                    if (end > c) rows.back().append((size_t)(end - c), ' '), c = end;
                } else if (IsBreakable(e, i)) {
                    rows.emplace_back(), c = 0, i++, at++;
                } else if (c <= ConLastCell) {
                    rows.back() += e[i], c++;
                }
            }
        }
        cursorRow = row + (int32_t)rows.size() - 1;
        cursorCol = c;
        if (stop >= at) stopRow = cursorRow, stopCol = c;
        return rows;
    }
};

void Print(const std::string& text) {
    RtString s = StrAlloc((int32_t)text.size());
    memcpy(s, text.data(), text.size());
    ConPrint(s);
}

// What the program does to ask for a line (ConInput), without the wait.
void Request(Model& m) {
    Print(kPrompt);
    FuzzDrawingPass();  // the prompt is on the screen before the line is requested
    m.line.clear();
    m.echoes.clear();
    m.caret = 0;
    m.scrolled = false;
    {
        std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
        m.row = ConsoleBuffer.CursorRow;
        m.col = ConsoleBuffer.CursorCol;
        m.before.assign(ConsoleBuffer.RowText[m.row], (size_t)m.col);
    }
    LineMailbox.Prompt = kPrompt.c_str();
    ConSetLineLength(0);
    ConLineShowCaret();
}

void Enter(Model& m);

// Enter was pressed (typed, pasted or typed ahead): the program receives
// the line and asks for the next, and what was typed ahead goes into that
// one, as far as its next Enter.
void Completed(Model& m) {
    for (;;) {
        Enter(m);
        FuzzCheck(ConLineLength() == -1, "Enter did not complete the line");
        std::string received = LineMailbox.LineBuffer;
        FuzzCheck(received == m.line, "the program receives another line than was typed");
        FuzzCheck(!LoneLead(received), "the program receives a lone lead byte at the end");
        ConFrontCaretHide();
        Request(m);
        size_t end = m.ahead.find('\r');
        if (!m.ahead.empty()) {
            m.pending = 0;
            m.dropTrail = false;
            m.InsertText(m.ahead.substr(0, end));
        }
        m.ahead.erase(0, end == std::string::npos ? end : end + 1);
        FuzzDrawingPass();
        if (end == std::string::npos) return;
    }
}

// Ctrl+V: the text up to its first line end goes in; a line end is Enter,
// and what follows it waits (its line ends each one Enter, 4096 at most).
bool Paste(Model& m, const std::string& whole) {
    // A paste looks at no more than the line and the type-ahead can hold,
    // and a byte more (a copy from the window may put more there).
    const std::string clip = whole.substr(0, (size_t)ConLineMax + ConTypeAheadMax + 1);
    size_t end = clip.find_first_of("\r\n");
    m.InsertText(clip.substr(0, end));
    if (end == std::string::npos) return false;
    end += clip.compare(end, 2, "\r\n") == 0 ? 2 : 1;
    m.ahead.clear();
    for (size_t i = end; i < clip.size() && m.ahead.size() < (size_t)ConTypeAheadMax; i++) {
        bool lineEnd = clip[i] == '\r' || clip[i] == '\n';
        m.ahead += lineEnd ? '\r' : clip[i];
        if (clip.compare(i, 2, "\r\n") == 0) i++;
    }
    return true;
}

// A dropped path refused with a line: the echo goes, the line and the
// prompt go on the two rows below, and the line is echoed again as one text.
void Announce(Model& m) {
    m.row += 2;
    m.col = (int32_t)kPrompt.size();
    m.before = kPrompt;
    m.echoes.clear();
    if (!m.line.empty()) m.echoes.push_back(m.line);
}

// A typed byte; true when it completed the line.
bool Type(Model& m, uint8_t c, const std::string* clip) {
    if (c == 0) return false;  // changes nothing at all
    bool dropTrail = m.dropTrail && !m.line.empty();
    m.dropTrail = false;
    if (c != 8 && c != 13 && c != 22 && c != 27 && m.pending) {
        std::string pair{(char)m.pending, (char)c};
        m.pending = 0;
        if (m.line.size() + 2 <= (size_t)ConLineMax) m.Insert(pair);
        return false;
    }
    m.pending = 0;
    if (c == 8) {
        if (m.caret > 0) m.Remove(m.Previous(m.caret), m.caret);
    } else if (c == 22) {
        if (clip) return Paste(m, *clip);
    } else if (c == 27) {
        m.recalled = -1;
        m.Remove(0, m.line.size());
    } else if (c != 13 && c != 0 && !dropTrail) {
        bool atEnd = m.caret == m.line.size();
        bool lead = IsDBCSLeadByte(c) && !(atEnd && LoneLead(m.line));
        if (m.line.size() + (lead ? 2 : 1) > (size_t)ConLineMax) {
            m.dropTrail = lead;
            return false;
        }
        if (lead && !atEnd) m.pending = c;
        else m.Insert(std::string(1, (char)c));
    }
    return c == 13;
}

void KeyDown(Model& m, uint32_t key) {
    const size_t n = m.line.size();
    if (key == 0) return;  // ignored: a lead byte waiting inside the line keeps waiting
    m.pending = 0;
    switch (key) {
    case ConKeyLeft: m.caret = m.caret > 0 ? m.Previous(m.caret) : 0; break;
    case ConKeyRight: m.caret = m.caret < n ? m.Next(m.caret) : n; break;
    case ConKeyHome: m.caret = 0; break;
    case ConKeyEnd: m.caret = n; break;
    case ConKeyDelete:
        if (m.caret < n) m.Remove(m.caret, m.Next(m.caret));
        break;
    default: {
        int to = m.recalled + (key == ConKeyUp ? 1 : -1);
        if (to < 0 || to >= (int)m.history.size()) break;
        m.recalled = to;
        m.caret = m.history[(size_t)to].size();
        m.Replace(0, m.history[(size_t)to]);
    }
    }
}

void Enter(Model& m) {
    m.pending = 0;
    if (LoneLead(m.line)) m.Replace(m.line.size() - 1, "");
    if (!m.line.empty() && (m.history.empty() || m.history[0] != m.line)) {
        m.history.insert(m.history.begin(), m.line);
        if (m.history.size() > 32) m.history.pop_back();
    }
    m.recalled = -1;
}

void CheckEcho(Model& m) {
    int32_t row, col, caretRow, caretCol;
    std::vector<std::string> rows = m.Lay(row, col, m.caret, caretRow, caretCol);
    m.scrolled = m.scrolled || row >= ConRows;  // printing scrolled the grid: checked no further
    if (m.scrolled) return;
    for (size_t i = 0; i < rows.size(); i++) {
        std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
        const char* text = ConsoleBuffer.RowText[m.row + (int32_t)i];
        FuzzCheck(std::string(text, strnlen(text, ConCols)) == rows[i], "a row differs from the echo of the line");
    }
    // On the client: the caret stands at its cell while that is in view.
    int32_t viewCol, viewRow;
    const bool inView = ConViewCell(caretCol, caretRow, &viewCol, &viewRow);
    FrontCaret caret = FrontGetCaret();
    FuzzCheck(caret.shown == inView, "the caret shows where its cell is out of view, or hides in view");
    FuzzCheck(!inView || (caret.col == viewCol && caret.row == viewRow), "the caret is not at its byte's cell");
    FuzzCheck(!ConsoleView.Following || inView || viewRow < 0 || viewRow >= ConsoleView.FullRows,
              "the view follows the cursor but not the caret along its row");
    std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
    FuzzCheck(ConsoleBuffer.CursorRow == row && ConsoleBuffer.CursorCol == col, "the cursor is not after the echo");
    for (int32_t r = row + 1; r < ConRows; r++)
        FuzzCheck(ConsoleBuffer.RowText[r][0] == 0, "a row below the echo is not empty");
}

// The editing keys as the window procedure hands them over, and a key it
// does not (0: the editor ignores it).
const uint32_t kKeys[8] = {ConKeyLeft, ConKeyRight, ConKeyHome, ConKeyEnd, ConKeyDelete, ConKeyUp, ConKeyDown, 0};
// Characters of dropped paths beyond ASCII: four the code page has
// (日, あ, ｱ, ─) and one it lacks (€), which refuses the drop.
// The view's keys with their Shift and Ctrl.
struct ViewKey {
    ConKey key;
    bool shift, ctrl;
};
const ViewKey kViewKeys[6] = {{ConKeyPageUp, true, false}, {ConKeyPageDown, true, false}, {ConKeyUp, false, true},
                              {ConKeyDown, false, true},   {ConKeyHome, false, true},     {ConKeyEnd, false, true}};
const char16_t kWide[5] = {u'\u65e5', u'\u3042', u'\uff71', u'\u2500', u'\u20ac'};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzConsoleOpen();
    FuzzConsoleReset(15 * 8, 6 * 16);  // 15 cells of 6 rows: the view follows the caret
    int32_t strings = FuzzLiveStrings();
    FrontSetClipboard(nullptr);
    std::string clip;
    bool hasClip = false;
    Model m;
    Request(m);
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
            FrontSetClipboard(hasClip ? clip.c_str() : nullptr);
            continue;
        }
        if (!in.More()) break;
        uint8_t c = in.Byte();
        if (k % 4 == 1 && c % 16 < 8) {
            KeyDown(m, kKeys[c % 8]);
            ConLineKey(kKeys[c % 8]);
        } else if (k % 4 == 1 && c % 16 < 14) {
            // The view's keys, as the window procedure hands them over:
            // Ctrl+Home/End are the editor's while the line holds text.
            const ViewKey& v = kViewKeys[c % 16 - 8];
            if (!ConViewKey(v.key, v.shift, v.ctrl)) {
                KeyDown(m, v.key);
                ConLineKey(v.key);
            }
        } else if (k % 4 == 1 && c % 16 == 14) {
            ConMouse(ConMouseDouble, c / 16, (int32_t)(m.row % 7), false, false);  // a word selected
        } else if (k % 4 == 1) {
            // A right-click: copies what is selected, else pastes.
            if (ConSelectionShown()) {
                ConMouse(ConMouseRight, 0, 0, false, false);
                clip = FrontClipboard();
                hasClip = true;
            } else {
                const bool entered = Type(m, 22, hasClip ? &clip : nullptr);
                ConMouse(ConMouseRight, 0, 0, false, false);
                FuzzDrawingPass();
                if (entered) Completed(m);
                continue;
            }
        } else if (k % 4 == 2) {
            std::string bytes = in.Take(c);
            std::u16string path;
            for (unsigned char b : bytes) path += b < 0x80 ? (char16_t)(b ? b : '0') : kWide[b % 5];
            char ansi[ConLineMax + 1];
            const int32_t fit = path.empty() ? RtPathOk : RtPathForInput(path.c_str(), ansi, sizeof ansi);
            if (fit != RtPathOk) {
                Announce(m);
            } else if (!path.empty()) {
                m.pending = 0;
                if (m.line.size() + strlen(ansi) <= (size_t)ConLineMax) m.InsertText(ansi);
            }
            ConLineDropFile((const WCHAR*)path.data(), (uint32_t)path.size());
        }
        bool entered = false;
        if (k % 4 == 3) {
            // The selection takes its keys first, as in the window.
            const bool shown = ConSelectionShown();
            if (c == 1 || (shown && (c == 3 || c == 13 || c == 27))) {
                FuzzCheck(ConSelectChar(c), "a key of the selection went to the editor");
                if (c == 3 || c == 13) clip = FrontClipboard(), hasClip = true;
            } else {
                FuzzCheck(!ConSelectChar(c), "the selection took a key of the editor");
                entered = Type(m, c, hasClip ? &clip : nullptr);
                ConLineChar(c);
            }
        }
        FuzzDrawingPass();
        if (entered) {
            Completed(m);
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
