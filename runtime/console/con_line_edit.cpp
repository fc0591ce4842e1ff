// The line editor: what the window thread does with keys while a line is
// requested. The line lives in LineMailbox.LineBuffer; its echo on the grid
// begins where the prompt left the cursor, and what the echo of each byte
// did is recorded (LineEdit.Steps: the cells the byte filled, or the line
// break of a CR LF), so that an edit can undo exactly the echo it changes.
//
// Every edit is "from byte k on, the line now reads t": typing, a paste or
// a dropped path at the caret, Backspace, Delete, Esc and a recalled answer
// all undo the echo of bytes k.. (ending the row's text there), change the
// line, and echo t again at the cursor. The caret stands at a byte of the
// line (LineEdit.Caret) and is drawn at that byte's cell, found by walking
// the steps back from the cursor, which always stands behind the echo.
//
// Left, Right, Delete and Backspace go by whole characters: the two bytes of
// a double-byte character, and the CR LF of an echoed line break. A lead byte
// typed inside the line waits for its trail (PendingLead), and the two go in
// together, so the line never holds half a character there; at the line's
// end a lead byte is laid at once, and one still alone at Enter is dropped.
// Up and Down step through the answers given earlier (History, newest first).
//
// The editor makes no window call of its own: the beep, the clipboard, the
// caret and drawing now are asked of the front end (con_front.h), which
// hands it keys, characters and dropped files.
#include <cstring>

#include "con_front.h"
#include "rt_console.h"

namespace {

constexpr int32_t kHistory = 32;

// Touched by the window thread only.
struct LineEditState {
    struct Step {
        uint8_t Cells;   // cells the byte filled: 1, the blanks of a tab, 0 beyond the row's end
        bool Break;      // the CR of a CR LF echoed together: the cursor went to the next row
        uint8_t Column;  // for a Break: the column it left
    } Steps[ConLineMax];
    bool DropTrail;     // a lead byte was refused for want of room; its trail byte goes too
    int32_t Caret;      // 0..length: the byte the caret stands before
    BYTE PendingLead;   // a lead byte typed inside the line, waiting for its trail; 0: none
    char History[kHistory][ConLineMax + 1];  // newest first
    int32_t HistoryCount;
    int32_t Recalled;   // the entry on the line now, -1 for none
};
LineEditState LineEdit = {{}, false, 0, 0, {}, 0, -1};

// The start of the line's last character, scanning from the line's start
// (a trail byte may look like a lead byte). A lead byte in the last place
// has no trail yet: it is a character of its own, unfinished.
int32_t LastCharacterStart(const char* line, int32_t n) {
    int32_t start = 0;
    for (int32_t i = 0; i < n; i += IsDBCSLeadByte((BYTE)line[i]) ? 2 : 1) start = i;
    return start;
}

bool EndsInLoneLead(const char* line, int32_t n) {
    return n > 0 && LastCharacterStart(line, n) == n - 1 && IsDBCSLeadByte((BYTE)line[n - 1]);
}

// Where the character after the one at i starts: an echoed line break and a
// lead byte with its trail are two bytes (a lead byte before a line break
// is a character of its own).
int32_t NextStart(int32_t i, int32_t n) {
    const char* line = LineMailbox.LineBuffer;
    if (i + 1 < n && (LineEdit.Steps[i].Break || (IsDBCSLeadByte((BYTE)line[i]) && !LineEdit.Steps[i + 1].Break)))
        return i + 2;
    return i + 1;
}

int32_t PreviousStart(int32_t caret, int32_t n) {
    int32_t start = 0;
    for (int32_t i = 0; i < caret; i = NextStart(i, n)) start = i;
    return start;
}

// Records what ConPrint will do with bytes from..to-1 of the line, echoed as
// one text at the cursor: a tab lays blanks up to the next multiple of 8, a
// CR LF moves to the next row, any other byte takes one cell, and nothing is
// laid beyond cell 253.
void RecordEcho(int32_t from, int32_t to) {
    int32_t col;
    {
        std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
        col = ConsoleBuffer.CursorCol;
    }
    const char* line = LineMailbox.LineBuffer;
    for (int32_t i = from; i < to; i++) {
        LineEditState::Step& step = LineEdit.Steps[i];
        step = LineEditState::Step{};
        if (line[i] == '\t') {
            int32_t end = col + 8 - col % 8 < ConLastCell + 1 ? col + 8 - col % 8 : ConLastCell + 1;
            if (end > col) step.Cells = (uint8_t)(end - col), col = end;
        } else if (line[i] == '\r' && i + 1 < to && line[i + 1] == '\n') {
            step.Break = true;
            step.Column = (uint8_t)col;
            col = 0;
            LineEdit.Steps[++i] = LineEditState::Step{};
        } else if (col <= ConLastCell) {
            step.Cells = 1;
            col++;
        }
    }
}

// Undoes the echo of bytes from..n-1, last byte first: cells are cleared
// (ending the row's text there), a line break takes the cursor back to the
// end of the row above. A break whose row has scrolled out of the grid
// leaves the cursor at column 0, where the cells before it cannot be
// cleared either.
void UndoEcho(int32_t from, int32_t n) {
    bool movedUp = false;
    {
        std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
        if (!ConsoleBuffer.RowText[0]) return;  // the grid has been released
        for (int32_t i = n - 1; i >= from; i--) {
            const LineEditState::Step& step = LineEdit.Steps[i];
            if (step.Break && ConsoleBuffer.CursorRow > 0) {
                ConsoleBuffer.CursorRow--;
                ConsoleBuffer.CursorCol = step.Column;
                movedUp = true;
            }
            for (int k = 0; k < step.Cells && ConsoleBuffer.CursorCol > 0; k++)
                ConsoleBuffer.RowText[ConsoleBuffer.CursorRow][--ConsoleBuffer.CursorCol] = 0;
        }
    }
    // The row the cursor left is drawn again too.
    if (movedUp) ConFrontRedrawAll();
}

// From byte from on, the line becomes the len bytes of tail (which may lie
// in the line itself). Returns the echo to print: tail.
RtString Replace(int32_t from, const char* tail, int32_t len) {
    char copy[ConLineMax + 1];
    RtlMoveMemory(copy, tail, (size_t)len);
    UndoEcho(from, ConLineLength());
    char* line = LineMailbox.LineBuffer;
    RtlMoveMemory(line + from, copy, (size_t)len);
    line[from + len] = 0;
    RecordEcho(from, from + len);
    ConSetLineLength(from + len);
    RtString echo = StrNew(len + 1);
    RtlMoveMemory(echo, copy, (size_t)len);
    return echo;
}

// Puts len bytes in at the caret, which then stands behind them.
RtString Insert(const char* bytes, int32_t len) {
    const int32_t n = ConLineLength(), at = LineEdit.Caret;
    char tail[ConLineMax + 1];
    RtlMoveMemory(tail, bytes, (size_t)len);
    RtlMoveMemory(tail + len, LineMailbox.LineBuffer + at, (size_t)(n - at));
    RtString echo = Replace(at, tail, len + n - at);
    // A CR put in before an LF makes a line break with it: the caret goes
    // behind the whole break, never inside it.
    LineEdit.Caret = len > 0 && LineEdit.Steps[at + len - 1].Break ? at + len + 1 : at + len;
    return echo;
}

// Takes bytes from..to-1 out of the line; the caret stands at from.
RtString Remove(int32_t from, int32_t to) {
    const int32_t n = ConLineLength();
    LineEdit.Caret = from;
    return Replace(from, LineMailbox.LineBuffer + to, n - to);
}

// A typed byte joins the line at the caret; null when it does not join. A
// NUL never does (the program reads the line up to its NUL), nor a byte
// without room, nor a lead byte without room for its trail, whose trail
// byte is then dropped as well.
RtString TypeByte(BYTE c, bool dropTrail) {
    const int32_t n = ConLineLength();
    if (c == 0 || dropTrail) return nullptr;
    char bytes[2] = {(char)c, 0};
    int32_t len = 1;
    bool lead;
    if (LineEdit.Caret == n) {
        lead = IsDBCSLeadByte(c) && !EndsInLoneLead(LineMailbox.LineBuffer, n);
    } else if (LineEdit.PendingLead) {
        bytes[0] = (char)LineEdit.PendingLead, bytes[1] = (char)c, len = 2, lead = true;
        LineEdit.PendingLead = 0;
    } else {
        lead = IsDBCSLeadByte(c);
    }
    if (n + (lead ? 2 : len) > ConLineMax) {
        ConFrontBeep();
        LineEdit.DropTrail = lead && len == 1;
        return nullptr;
    }
    if (lead && len == 1 && LineEdit.Caret < n) {
        LineEdit.PendingLead = c;  // inside the line, the character goes in whole
        return nullptr;
    }
    return Insert(bytes, len);
}

// Text put in at the caret, cut to whole characters the line has room for:
// never between a lead byte and its trail, never with a lone lead byte at
// its end. Beeps when the text was cut.
RtString InsertText(const char* text, int32_t length) {
    const int32_t n = ConLineLength(), room = ConLineMax - n;
    int32_t copied = length < room ? length : room;
    char bytes[ConLineMax + 1];
    RtlMoveMemory(bytes, text, (size_t)copied);
    // At the line's end a lead byte there may be finished by the text.
    if (LineEdit.Caret == n) {
        RtlMoveMemory(LineMailbox.LineBuffer + n, bytes, (size_t)copied);
        if (copied > 0 && EndsInLoneLead(LineMailbox.LineBuffer, n + copied)) copied--;
    } else if (EndsInLoneLead(bytes, copied)) {
        copied--;
    }
    if (copied < length) ConFrontBeep();
    return Insert(bytes, copied);
}

RtString Complete();

// Ctrl+V: the clipboard's text at the caret. Its first line end acts as
// Enter; what follows it waits as typed-ahead keys do, for the next line.
// Returns the echo, or null when the clipboard holds no text.
RtString Paste() {
    // Only as much of the text is looked at as the line and the type-ahead
    // can hold, and one byte more to know whether it was cut.
    constexpr int32_t kLook = (int32_t)ConLineMax + (int32_t)ConTypeAheadMax + 1;
    char bytes[kLook];
    const int32_t length = ConFrontClipboardText(bytes, kLook);
    if (length < 0) return nullptr;
    int32_t line = 0;
    while (line < length && bytes[line] != '\r' && bytes[line] != '\n') line++;
    RtString echo = InsertText(bytes, line);
    if (line == length) return echo;
    const int32_t rest = line + (bytes[line] == '\r' && line + 1 < length && bytes[line + 1] == '\n' ? 2 : 1);
    if (!ConTypeAheadPutText(bytes + rest, length - rest) || length == kLook) ConFrontBeep();
    // The echo's block may be longer than its text, which ends at its NUL.
    RtString typed = StrFromText(echo);
    StrFree(echo);
    return StrConcat(typed, Complete());
}

// Enter: the line goes to the program, and into the history.
RtString Complete() {
    int32_t n = ConLineLength();
    // A lead byte still waiting for its trail does not go to the program.
    if (EndsInLoneLead(LineMailbox.LineBuffer, n)) {
        UndoEcho(n - 1, n);
        n--;
    }
    LineMailbox.LineBuffer[n] = 0;
    if (n > 0 && (LineEdit.HistoryCount == 0 || strcmp(LineEdit.History[0], LineMailbox.LineBuffer) != 0)) {
        int32_t keep = LineEdit.HistoryCount < kHistory ? LineEdit.HistoryCount : kHistory - 1;
        memmove(LineEdit.History[1], LineEdit.History[0], sizeof LineEdit.History[0] * (size_t)keep);
        memcpy(LineEdit.History[0], LineMailbox.LineBuffer, (size_t)n + 1);
        LineEdit.HistoryCount = keep + 1;
    }
    LineEdit.Caret = 0;
    LineEdit.Recalled = -1;
    ConSetLineLength(-1);  // release: the NUL is visible before the -1
    return StrFromText("\r\n");
}

// Up (step 1) and Down (-1): an older or newer answer replaces the line.
RtString Recall(int32_t step) {
    int32_t to = LineEdit.Recalled + step;
    if (to < 0 || to >= LineEdit.HistoryCount) return nullptr;
    LineEdit.Recalled = to;
    const char* entry = LineEdit.History[to];
    const int32_t len = (int32_t)strlen(entry);
    LineEdit.Caret = len;
    return Replace(0, entry, len);
}

// The echo shows at once, before the caret comes back at its new place.
void Show(RtString echo) {
    ConFrontCaretHide();
    if (echo) {
        ConPrint(StrCopy(echo));
        StrFree(echo);
        ConFrontDrawNow();
    }
    ConLineShowCaret();
}

// Whether a line is requested; a fresh line owes nothing to the one
// before it.
bool LineRequested() {
    const int32_t n = ConLineLength();
    if (n == -1) return false;
    if (LineEdit.Caret > n) LineEdit.Caret = n;
    return true;
}

// Keys typed ahead go before a key typed now; false when no line is
// requested, or when they completed it (the key then waits as well).
bool ReadyFor() {
    if (!LineRequested()) return false;
    ConTypeAheadReplay();
    return LineRequested();
}

// "ドロップしたファイルのパス", the subject of the line that refuses a drop.
const char kDropped[] = "\x83\x68\x83\x8d\x83\x62\x83\x76\x82\xb5\x82\xbd\x83\x74\x83\x40\x83\x43"
                        "\x83\x8b\x82\xcc\x83\x70\x83\x58";

}  // namespace

void ConLineShowCaret() {
    if (!LineRequested()) return;
    ConTypeAheadReplay();
    ConLinePlaceCaret();
}

void ConLinePlaceCaret() {
    if (!LineRequested()) return;
    int32_t col, row, viewCol, viewRow;
    ConLineCaretCell(&col, &row);
    if (ConViewCell(col, row, &viewCol, &viewRow)) {
        ConFrontCaretShow(viewCol, viewRow);
        return;
    }
    ConFrontCaretHide();
    // A view that follows goes to the caret at the next pass (then placed).
    if (ConsoleView.Following) {
        {
            std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
            ConMarkRows(-1, 0);
        }
        ConRequestDraw();
    }
}

void ConLineDropFile(const WCHAR* path, uint32_t length) {
    if (!LineRequested()) return;
    // The path as the input statement can take it (see RtPathForInput: its
    // short form where the code page cannot spell it, where it is too long
    // or holds a comma).
    char typed[ConLineMax + 1];
    const int32_t fit = length == 0      ? RtPathNotInCodePage
                        : length >= 1023 ? RtPathTooLong
                                         : RtPathForInput(path, typed, sizeof typed);
    if (length == 0) ConFrontBeep();
    else if (fit == RtPathOk) ConLineDrop(typed);
    else ConLineAnnounce(RtPathRefusal(kDropped, fit));
}

void ConLineChar(uint32_t c) {
    // A NUL never joins the line, and changes nothing either: a trail byte
    // to be dropped after it is still dropped.
    if (c == 0) return;
    ConViewFollow();  // a typed key brings the view back to the cursor
    if (!ReadyFor()) {
        ConTypeAheadPut((uint32_t)(c & 0xFF));
        return;
    }
    const int32_t n = ConLineLength();  // only this thread changes it now
    bool dropTrail = LineEdit.DropTrail && n > 0;
    LineEdit.DropTrail = false;
    const BYTE pending = LineEdit.PendingLead;
    if (c != 8 && c != 13 && c != 22 && c != 27 && pending) {
        // The trail of a lead byte typed inside the line.
        Show(TypeByte((BYTE)c, false));
        return;
    }
    LineEdit.PendingLead = 0;
    RtString echo;
    if (c == 8) {
        echo = LineEdit.Caret > 0 ? Remove(PreviousStart(LineEdit.Caret, n), LineEdit.Caret) : nullptr;
    } else if (c == 13) {
        echo = Complete();
    } else if (c == 22) {
        echo = Paste();
        if (!echo) return;  // no text: line, screen and caret stay as they are
    } else if (c == 27) {
        LineEdit.Recalled = -1;
        echo = Remove(0, n);  // Esc: the line is cleared
    } else {
        echo = TypeByte((BYTE)c, dropTrail);
        if (!echo) return;
    }
    Show(echo);
}

void ConLineKey(uint32_t key) {
    if (key < ConKeyLeft || key > ConKeyDown) return;
    ConViewFollow();
    if (!ReadyFor()) {
        ConTypeAheadPut(ConAheadKey | (uint32_t)key);
        return;
    }
    const int32_t n = ConLineLength(), caret = LineEdit.Caret;
    LineEdit.PendingLead = 0;  // a lead byte waiting inside the line is dropped
    RtString echo = nullptr;
    switch (key) {
    case ConKeyLeft: LineEdit.Caret = caret > 0 ? PreviousStart(caret, n) : 0; break;
    case ConKeyRight: LineEdit.Caret = caret < n ? NextStart(caret, n) : n; break;
    case ConKeyHome: LineEdit.Caret = 0; break;
    case ConKeyEnd: LineEdit.Caret = n; break;
    case ConKeyDelete:
        if (caret == n) return;
        echo = Remove(caret, NextStart(caret, n));
        break;
    case ConKeyUp:
    case ConKeyDown:
        echo = Recall(key == ConKeyUp ? 1 : -1);
        if (!echo) return;
        break;
    }
    Show(echo);
}

void ConLineDrop(const char* text) {
    if (!LineRequested()) return;
    const int32_t length = (int32_t)strlen(text);
    LineEdit.PendingLead = 0;
    // A path is typed whole or not at all.
    if (ConLineLength() + length > ConLineMax) {
        ConFrontBeep();
        return;
    }
    Show(InsertText(text, length));
}

void ConLineInsertText(const char* text, int32_t length) {
    if (!LineRequested()) return;
    LineEdit.PendingLead = 0;
    LineEdit.DropTrail = false;
    Show(InsertText(text, length));
}

void ConLineAnnounce(RtString text) {
    if (!LineRequested()) {
        StrFree(text);
        return;
    }
    const int32_t n = ConLineLength();
    ConFrontCaretHide();
    UndoEcho(0, n);
    ConPrint(StrConcat(StrConcat(StrFromText("\r\n"), text), StrFromText("\r\n")));
    ConPrint(StrFromText(LineMailbox.Prompt ? LineMailbox.Prompt : ""));
    RecordEcho(0, n);
    RtString echo = StrNew(n + 1);
    RtlMoveMemory(echo, LineMailbox.LineBuffer, (size_t)n);
    ConPrint(echo);
    ConFrontDrawNow();
    ConLineShowCaret();
}

void ConLineCaretCell(int32_t* col, int32_t* row) {
    std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
    *col = ConsoleBuffer.CursorCol;
    *row = ConsoleBuffer.CursorRow;
    const int32_t n = ConLineLength();
    for (int32_t i = n - 1; i >= LineEdit.Caret && i >= 0; i--) {
        const LineEditState::Step& step = LineEdit.Steps[i];
        if (step.Break) {
            if (*row > 0) (*row)--, *col = step.Column;
        } else {
            *col -= step.Cells;
        }
    }
    if (*col < 0) *col = 0;
}

void ConLineForget() {
    LineEdit = LineEditState{{}, false, 0, 0, {}, 0, -1};
    ConTypeAheadKeep(false);  // and nothing typed ahead
    ConTypeAheadKeep(true);
}
