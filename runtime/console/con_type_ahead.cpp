// Type-ahead: keys that arrive while no line is requested (between one
// question's Enter and the next question's prompt), and the part of a paste
// after its first line end, wait here in order for the next line. When the
// program requests a line, ConLineShowCaret replays them through the line
// editor exactly as if they were typed then, until they are used up or one
// of them completes the line; the rest wait for the line after.
//
// The queue is a ring of ConTypeAheadMax entries, so that a paste's rest can
// go before keys typed after it (a Ctrl+V replayed from the queue) without
// moving anything. A key that finds it full is dropped with a beep. When the
// program says keys are no longer wanted (its questions are over), the
// queue is emptied and further keys are dropped, as with no type-ahead.
#include "con_front.h"
#include "rt_console.h"

namespace {

// Touched by the window thread only.
struct TypeAheadState {
    uint16_t Entries[ConTypeAheadMax];
    uint32_t Head;   // the oldest entry
    uint32_t Count;
    bool Dropping;   // ConKeepTypeAhead(false) was said
    bool Replaying;  // an edit's own ConLineShowCaret must not replay again
};
TypeAheadState TypeAhead;

uint16_t PopFront() {
    const uint16_t e = TypeAhead.Entries[TypeAhead.Head];
    TypeAhead.Head = (TypeAhead.Head + 1) % ConTypeAheadMax;
    TypeAhead.Count--;
    return e;
}

}  // namespace

void ConTypeAheadKeep(bool keep) {
    TypeAhead.Dropping = !keep;
    if (!keep) TypeAhead.Count = 0;
}

void ConTypeAheadPut(uint32_t entry) {
    if (TypeAhead.Dropping) return;
    if (TypeAhead.Count == ConTypeAheadMax) {
        ConFrontBeep();
        return;
    }
    TypeAhead.Entries[(TypeAhead.Head + TypeAhead.Count++) % ConTypeAheadMax] = (uint16_t)entry;
}

bool ConTypeAheadPutText(const char* text, int32_t length) {
    if (TypeAhead.Dropping) return true;
    // The entries first, at the far end of the free room, then moved to the
    // front in one step: a CR LF, a lone CR and a lone LF are each one Enter.
    uint16_t entries[ConTypeAheadMax];
    const uint32_t room = ConTypeAheadMax - TypeAhead.Count;
    uint32_t n = 0;
    int32_t i = 0;
    for (; i < length && n < room; i++) {
        const BYTE c = (BYTE)text[i];
        if (c == '\r' || c == '\n') {
            entries[n++] = 13;
            if (c == '\r' && i + 1 < length && text[i + 1] == '\n') i++;
        } else {
            entries[n++] = (uint16_t)(ConAheadText | c);
        }
    }
    TypeAhead.Head = (TypeAhead.Head + ConTypeAheadMax - n) % ConTypeAheadMax;
    for (uint32_t k = 0; k < n; k++) TypeAhead.Entries[(TypeAhead.Head + k) % ConTypeAheadMax] = entries[k];
    TypeAhead.Count += n;
    return i == length;
}

void ConTypeAheadReplay() {
    if (TypeAhead.Replaying) return;
    TypeAhead.Replaying = true;
    while (TypeAhead.Count > 0 && ConLineLength() != -1) {
        const uint16_t e = PopFront();
        if (e & ConAheadText) {
            // A run of pasted text goes in at once, as its paste would have.
            char run[ConTypeAheadMax];
            int32_t n = 0;
            run[n++] = (char)(e & 0xFF);
            while (TypeAhead.Count > 0 && (TypeAhead.Entries[TypeAhead.Head] & ConAheadText))
                run[n++] = (char)(PopFront() & 0xFF);
            ConLineInsertText(run, n);
        } else if (e & ConAheadKey) {
            ConLineKey(e & 0xFF);
        } else {
            ConLineChar(e);
        }
    }
    TypeAhead.Replaying = false;
}
