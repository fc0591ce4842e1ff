// The console's drawing on the Win32 API (the front end's half): the block
// the rows are copied into, the drawing of one row, and ConRender, which has
// the view's logic fit the view and copy the rows due (ConCopyRows) and cut
// each into runs (ConRowRuns), draws them with the console lock released,
// and sets the scroll bars to the view's place.
// The copy has room for every row and lives as long as the window
// (ConRenderOpen, ConRenderClose), so a pass calls no heap function.
#include "con_win32.h"

namespace {

// The copy of the rows a pass draws; the window thread's only.
ConRowCopy* RenderCopy = nullptr;

}  // namespace

void ConRenderOpen() {
    if (!RenderCopy) RenderCopy = (ConRowCopy*)RtHeapAlloc(ConRows * (uint32_t)sizeof(ConRowCopy), false);
}

void ConRenderClose() {
    if (RenderCopy) HeapFree(RtHeap, 0, RenderCopy);
    RenderCopy = nullptr;
}

namespace {

// A run of UTF-16 characters: drawn together, each placed at its own
// cell(s) by the advance array so the grid stays fixed-pitch whatever
// width the glyph (or the font the system links in for it) has; a wide
// character's second cell gives no unit, only its width. A surrogate pair
// is drawn by a call of its own.
void DrawUnicode(HDC dc, int32_t y, const ConRowCopy& row, const ConRun& r) {
    const int32_t cw = ConsoleBuffer.CellWidth;
    WCHAR units[ConCols];
    INT advance[ConCols];
    int32_t count = 0, x = r.Col * cw;
    auto flush = [&] {
        if (count) ExtTextOutW(dc, x, y, 0, nullptr, units, (UINT)count, advance);
        for (int32_t i = 0; i < count; i++) x += advance[i];
        count = 0;
    };
    for (int32_t col = r.Col; col < r.Col + r.Length; col++) {
        const WCHAR u = row.uni[col];
        if (u >= 0xD800 && u <= 0xDBFF) {
            flush();
            ConDrawPair(dc, x, y, row.uni + col);
            x += 2 * cw;
            col++;
        } else if (u == ConUniTrail) {
            if (count) advance[count - 1] += cw;
            else x += cw;
        } else {
            units[count] = u, advance[count] = cw;
            count++;
        }
    }
    flush();
}

}  // namespace

void ConDrawRow(HDC dc, int32_t y, int32_t right, const ConRowCopy& row) {
    const int32_t cw = ConsoleBuffer.CellWidth, ch = ConsoleBuffer.CellHeight;
    SIZE extent = {0, 0};
    GetTextExtentPoint32A(dc, row.text, row.n, &extent);
    BitBlt(dc, extent.cx, y, right, ch, ConsoleFront.BlankDC, extent.cx, y, SRCCOPY);
    SetBkMode(dc, OPAQUE);
    ConRun runs[ConCols];
    const int32_t count = ConRowRuns(row, cw > 0 ? (right + cw - 1) / cw : 0, runs);
    // A joined run places every byte at its own cell.
    INT advance[ConCols];
    for (int32_t i = 0; i < row.n; i++) advance[i] = cw;
    for (int32_t i = 0; i < count; i++) {
        const ConRun& r = runs[i];
        if (i == 0 || r.Fore != runs[i - 1].Fore) SetTextColor(dc, r.Fore);
        if (i == 0 || r.Back != runs[i - 1].Back) SetBkColor(dc, r.Back);
        if (r.Unicode) DrawUnicode(dc, y, row, r);
        else if (r.Joined) ExtTextOutA(dc, r.Col * cw, y, 0, nullptr, row.text + r.Col, (UINT)r.Length, advance);
        else TextOutA(dc, r.Col * cw, y, row.text + r.Col, r.Length);
    }
}

namespace {

// The scroll bars show the view's place: set when it changed since the
// last pass. A bar whose page holds everything is hidden by the system.
void SetBar(int bar, int32_t total, int32_t page, int32_t pos, int32_t* shown) {
    if (shown[0] == total && shown[1] == page && shown[2] == pos) return;
    shown[0] = total, shown[1] = page, shown[2] = pos;
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = 0;
    si.nMax = total - 1;
    si.nPage = (UINT)page;
    si.nPos = pos;
    SetScrollInfo(ConsoleFront.WindowHandle, bar, &si, TRUE);
}

}  // namespace

void ConRender(HDC dc, int32_t FirstRow, int32_t LastRow) {
    ConRowCopy* copies = RenderCopy;
    if (!copies) return;  // the window is not open
    // Without a client area (the window is gone) there is nothing to show,
    // and the view must not be fitted to a size it does not have.
    RECT client;
    if (!GetClientRect(ConsoleFront.WindowHandle, &client)) return;
    ConViewInfo info{};
    const int32_t count = ConCopyRows(client.right, client.bottom, FirstRow, LastRow, copies, &info);
    if (count == 0) return;
    HGDIOBJ previousFont = SelectObject(dc, ConsoleFront.FontHandle);
    for (int32_t i = 0; i < count; i++)
        ConDrawRow(dc, copies[i].row * ConsoleBuffer.CellHeight, client.right, copies[i]);
    SelectObject(dc, previousFont);
    SetBar(SB_VERT, info.Lines, info.Page, info.Top, ConsoleFront.VertBar);
    SetBar(SB_HORZ, info.Widest, info.PageCols, info.Left, ConsoleFront.HorzBar);
    // The caret stands at its cell of the view.
    if (info.Moved) ConLinePlaceCaret();
}
