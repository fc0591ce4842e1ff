// Which rows a drawing pass is due to draw: the console's logic of the
// drawing scheduler, with no window call (the pacing and the drawing are the
// front end's, front/con_draw.cpp).
//
// Printing marks the rows it touched (one span, or every row after a
// scroll) under the console lock and asks for a pass; the request reaches
// the front only when none is on its way already, so a burst of prints
// costs one message. A pass first clears the request, then takes the marks:
// a print after that point asks again, so nothing it lays is left undrawn.
#include <atomic>

#include "con_front.h"
#include "rt_console.h"

namespace {

// Marks: under ConsoleBuffer.Lock, by either thread. RequestPending: by
// either thread, atomically.
struct ConsoleDueState {
    int32_t MarkFirst = ConRows, MarkLast = -1;  // MarkFirst > MarkLast: no row
    bool MarkAll = false;
    std::atomic<bool> RequestPending{false};
};
ConsoleDueState ConsoleDue;

}  // namespace

void ConMarkRows(int32_t First, int32_t Last) {
    if (First == -1) {
        ConsoleDue.MarkAll = true;
        return;
    }
    if (First < ConsoleDue.MarkFirst) ConsoleDue.MarkFirst = First;
    if (Last > ConsoleDue.MarkLast) ConsoleDue.MarkLast = Last;
}

void ConUnmarkRows() {
    ConsoleDue.MarkAll = false;
    ConsoleDue.MarkFirst = ConRows;
    ConsoleDue.MarkLast = -1;
}

void ConRequestDraw() {
    if (!ConsoleDue.RequestPending.exchange(true, std::memory_order_seq_cst)) ConFrontDrawSoon();
}

bool ConTakeDueRows(int32_t* first, int32_t* last) {
    ConsoleDue.RequestPending.store(false, std::memory_order_seq_cst);
    std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
    if (ConsoleDue.MarkAll) {
        *first = -1, *last = 0;
    } else if (ConsoleDue.MarkFirst <= ConsoleDue.MarkLast) {
        *first = ConsoleDue.MarkFirst, *last = ConsoleDue.MarkLast;
    } else {
        return false;
    }
    ConUnmarkRows();
    return true;
}

void ConDueRowsReset() {
    std::lock_guard<std::recursive_mutex> lock(ConsoleBuffer.Lock);
    ConUnmarkRows();
    ConsoleDue.RequestPending.store(false);
}
