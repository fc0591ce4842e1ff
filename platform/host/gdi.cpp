// Host stand-in for the drawing operations: device contexts, fonts with a
// fixed cell, bitmaps that remember whether they were filled black, and a
// recording surface per window. Text drawn into a window becomes a piece at
// its pixel position; copying a black bitmap over an area erases the pieces
// there. Memory contexts record nothing but their fill.
#include <algorithm>
#include <climits>

#include "host_counts.h"
#include "window_state.h"

using namespace host_window;

namespace {

DeviceContext* FindDC(HDC dc) {
    auto it = state.dcs.find((uintptr_t)dc);
    return it == state.dcs.end() ? nullptr : &it->second;
}

Object* FindObject(uintptr_t handle) {
    auto it = state.objects.find(handle);
    return it == state.objects.end() ? nullptr : &it->second;
}

void MakeStockObjects() {
    Object font{ObjectKind::Font};
    font.stock = true;
    font.cellWidth = 6;
    font.cellHeight = 12;
    state.objects[kSystemFont] = font;
    Object brush{ObjectKind::Brush};
    brush.stock = true;
    brush.black = true;
    state.objects[kBlackBrush] = brush;
    brush.black = false;
    state.objects[kWhiteBrush] = brush;
    Object bitmap{ObjectKind::Bitmap};
    bitmap.stock = true;
    bitmap.width = bitmap.height = 1;
    state.objects[kDefaultBitmap] = bitmap;
}

HDC NewDC(HWND window, bool memory) {
    if (state.objects.empty()) MakeStockObjects();
    uintptr_t id = state.nextHandle++;
    DeviceContext dc;
    dc.window = window;
    dc.memory = memory;
    dc.font = kSystemFont;
    dc.bitmap = kDefaultBitmap;
    dc.brush = kWhiteBrush;
    state.dcs[id] = dc;
    return (HDC)id;
}

bool Overlaps(const HostPiece& p, int x, int y, int w, int h) {
    return p.x < x + w && x < p.x + p.width && p.y < y + h && y < p.y + p.height;
}

// Removes the pieces that overlap a rectangle. Pieces at the same y never
// overlap (each one erases what it covers before it is kept), so in a row
// only the pieces that start inside the rectangle and the last one of width
// above 0 that starts left of it can reach it: one lookup per row, however
// many pieces the row holds. With spare set, the piece whose corner is x, y
// stays: the caller overwrites it at once, which saves a node.
void ErasePieces(Window* w, int x, int y, int width, int height, bool spare = false) {
    auto it = w->pieces.lower_bound({y - w->tallestPiece + 1, INT_MIN});
    auto end = w->pieces.lower_bound({y + height, INT_MIN});
    while (it != end) {
        int row = it->first.first;
        it = w->pieces.lower_bound({row, x});
        for (auto left = it; left != w->pieces.begin();) {
            --left;
            if (left->first.first != row) break;
            bool wide = left->second.width > 0;
            if (Overlaps(left->second, x, y, width, height)) left = w->pieces.erase(left);
            if (wide) break;
        }
        auto rowEnd = w->pieces.lower_bound({row, x + width});
        while (it != rowEnd) {
            bool kept = spare && it->first == std::pair<int, int>{y, x};
            if (!kept && Overlaps(it->second, x, y, width, height)) it = w->pieces.erase(it);
            else ++it;
        }
        it = w->pieces.lower_bound({row + 1, INT_MIN});
    }
}

// The window a context draws into, or null for memory and screen contexts.
Window* Target(DeviceContext* dc) { return dc && !dc->memory ? FindWindowLocked(dc->window) : nullptr; }

}  // namespace

void host_window::ResetGdiLocked() {
    state.dcs.clear();
    state.objects.clear();
    MakeStockObjects();
}

HDC WINAPI GetDC(HWND hwnd) {
    HostCountCall(HostCallGetDC);
    std::lock_guard<std::mutex> lock(state.mutex);
    if (hwnd && !FindWindowLocked(hwnd)) return nullptr;
    return NewDC(hwnd, false);
}

int WINAPI ReleaseDC(HWND, HDC dc) {
    HostCountCall(HostCallReleaseDC);
    std::lock_guard<std::mutex> lock(state.mutex);
    DeviceContext* d = FindDC(dc);
    if (!d || d->memory) return 0;
    state.dcs.erase((uintptr_t)dc);
    return 1;
}

HDC WINAPI BeginPaint(HWND hwnd, PAINTSTRUCT* ps) {
    HostCountCall(HostCallBeginPaint);
    std::lock_guard<std::mutex> lock(state.mutex);
    Window* w = FindWindowLocked(hwnd);
    if (!w || !ps) return nullptr;
    w->info.paintPending = false;
    *ps = PAINTSTRUCT{};
    ps->hdc = NewDC(hwnd, false);
    ps->rcPaint = RECT{0, 0, w->clientWidth, w->clientHeight};
    return ps->hdc;
}

BOOL WINAPI EndPaint(HWND, const PAINTSTRUCT* ps) {
    HostCountCall(HostCallEndPaint);
    std::lock_guard<std::mutex> lock(state.mutex);
    if (!ps || !FindDC(ps->hdc)) return FALSE;
    state.dcs.erase((uintptr_t)ps->hdc);
    return TRUE;
}

HDC WINAPI CreateCompatibleDC(HDC) {
    std::lock_guard<std::mutex> lock(state.mutex);
    return NewDC(nullptr, true);
}

BOOL WINAPI DeleteDC(HDC dc) {
    std::lock_guard<std::mutex> lock(state.mutex);
    DeviceContext* d = FindDC(dc);
    if (!d || !d->memory) return FALSE;
    state.dcs.erase((uintptr_t)dc);
    return TRUE;
}

HFONT WINAPI CreateFontIndirectA(const LOGFONTA* lf) {
    std::lock_guard<std::mutex> lock(state.mutex);
    if (state.failFont) {
        state.failFont = false;
        return nullptr;
    }
    if (!lf) return nullptr;
    if (state.objects.empty()) MakeStockObjects();
    Object font{ObjectKind::Font};
    font.font = *lf;
    font.cellWidth = 8;
    font.cellHeight = lf->lfHeight ? std::abs((int)lf->lfHeight) : 16;
    uintptr_t id = state.nextHandle++;
    state.objects[id] = font;
    return (HFONT)id;
}

HGDIOBJ WINAPI GetStockObject(int index) {
    std::lock_guard<std::mutex> lock(state.mutex);
    if (state.objects.empty()) MakeStockObjects();
    return index == BLACK_BRUSH ? (HGDIOBJ)kBlackBrush : nullptr;
}

HBITMAP WINAPI CreateCompatibleBitmap(HDC, int width, int height) {
    std::lock_guard<std::mutex> lock(state.mutex);
    if (state.objects.empty()) MakeStockObjects();
    Object bitmap{ObjectKind::Bitmap};
    bitmap.width = width;
    bitmap.height = height;
    uintptr_t id = state.nextHandle++;
    state.objects[id] = bitmap;
    return (HBITMAP)id;
}

HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ object) {
    HostCountCall(HostCallSelectObject);
    std::lock_guard<std::mutex> lock(state.mutex);
    DeviceContext* d = FindDC(dc);
    Object* o = FindObject((uintptr_t)object);
    if (!d || !o) return nullptr;
    uintptr_t* slot = o->kind == ObjectKind::Font     ? &d->font
                      : o->kind == ObjectKind::Bitmap ? &d->bitmap
                                                      : &d->brush;
    // A bitmap goes into memory contexts only.
    if (o->kind == ObjectKind::Bitmap && !d->memory) return nullptr;
    uintptr_t previous = *slot;
    *slot = (uintptr_t)object;
    return (HGDIOBJ)previous;
}

BOOL WINAPI DeleteObject(HGDIOBJ object) {
    std::lock_guard<std::mutex> lock(state.mutex);
    Object* o = FindObject((uintptr_t)object);
    if (!o) return FALSE;
    if (o->stock) return TRUE;
    state.objects.erase((uintptr_t)object);
    return TRUE;
}

BOOL WINAPI PatBlt(HDC dc, int, int, int, int, DWORD rop) {
    HostCountCall(HostCallPatBlt);
    std::lock_guard<std::mutex> lock(state.mutex);
    DeviceContext* d = FindDC(dc);
    if (!d) return FALSE;
    Object* brush = FindObject(d->brush);
    if (d->memory && rop == PATCOPY) {
        if (Object* bitmap = FindObject(d->bitmap)) bitmap->blackFilled = brush && brush->black;
    }
    return TRUE;
}

BOOL WINAPI BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int, int, DWORD rop) {
    HostCountCall(HostCallBitBlt);
    std::lock_guard<std::mutex> lock(state.mutex);
    DeviceContext* d = FindDC(dst);
    DeviceContext* s = FindDC(src);
    if (!d || !s) return FALSE;
    Window* w = Target(d);
    if (!w) return TRUE;
    Object* bitmap = s->memory ? FindObject(s->bitmap) : nullptr;
    bool erase = rop == SRCCOPY && bitmap && bitmap->blackFilled;
    HostDrawCall call;
    call.kind = erase ? HostDrawCall::Erase : HostDrawCall::Blit;
    call.x = x, call.y = y, call.width = width, call.height = height;
    w->log.push_back(call);
    if (erase) ErasePieces(w, x, y, width, height);
    return TRUE;
}

COLORREF WINAPI SetTextColor(HDC dc, COLORREF color) {
    HostCountCall(HostCallSetTextColor);
    std::lock_guard<std::mutex> lock(state.mutex);
    DeviceContext* d = FindDC(dc);
    if (!d) return 0xFFFFFFFF;
    COLORREF old = d->textColor;
    d->textColor = color;
    return old;
}

COLORREF WINAPI SetBkColor(HDC dc, COLORREF color) {
    HostCountCall(HostCallSetBkColor);
    std::lock_guard<std::mutex> lock(state.mutex);
    DeviceContext* d = FindDC(dc);
    if (!d) return 0xFFFFFFFF;
    COLORREF old = d->bkColor;
    d->bkColor = color;
    return old;
}

int WINAPI SetBkMode(HDC dc, int mode) {
    HostCountCall(HostCallSetBkMode);
    std::lock_guard<std::mutex> lock(state.mutex);
    DeviceContext* d = FindDC(dc);
    if (!d) return 0;
    int old = d->bkMode;
    d->bkMode = mode;
    return old;
}

namespace {

// Records text drawn at x, y; dx null: the font's cell for every byte.
BOOL RecordText(HDC dc, int x, int y, LPCSTR text, int length, const INT* dx) {
    std::lock_guard<std::mutex> lock(state.mutex);
    DeviceContext* d = FindDC(dc);
    if (!d || !text || length < 0) return FALSE;
    Window* w = Target(d);
    if (!w) return TRUE;
    Object* font = FindObject(d->font);
    const int cell = font ? font->cellWidth : 8;
    HostDrawCall call;
    call.kind = HostDrawCall::Text;
    call.x = x, call.y = y, call.width = 0, call.height = font ? font->cellHeight : 16;
    for (int i = 0; i < length; i++) call.width += dx ? dx[i] : cell;
    call.bytes.assign(text, (size_t)length);
    call.fore = d->textColor, call.back = d->bkColor, call.opaque = d->bkMode == OPAQUE;
    // Clipped to the client area: a piece that starts outside it is not seen.
    const bool seen = x >= 0 && y >= 0 && x < w->clientWidth && y < w->clientHeight;
    ErasePieces(w, x, y, call.width, call.height, seen);
    if (seen) {
        // Characters that start beyond the right edge are not seen either.
        int right = x, keep = 0;
        while (keep < length && right < w->clientWidth) {
            int bytes = IsDBCSLeadByte((BYTE)text[keep]) && keep + 1 < length ? 2 : 1;
            for (int i = 0; i < bytes; i++, keep++) right += dx ? dx[keep] : cell;
        }
        HostPiece& piece = w->pieces[{y, x}];
        piece.x = x, piece.y = y;
        piece.bytes.assign(text, (size_t)keep);
        piece.fore = call.fore, piece.back = call.back, piece.opaque = call.opaque;
        piece.width = right - x;
        piece.height = call.height;
        w->tallestPiece = std::max(w->tallestPiece, piece.height);
    }
    w->log.push_back(std::move(call));
    return TRUE;
}

}  // namespace

BOOL WINAPI TextOutA(HDC dc, int x, int y, LPCSTR text, int length) {
    HostCountCall(HostCallTextOutA);
    return RecordText(dc, x, y, text, length, nullptr);
}

BOOL WINAPI ExtTextOutA(HDC dc, int x, int y, UINT, const RECT*, LPCSTR text, UINT length, const INT* dx) {
    HostCountCall(HostCallExtTextOutA);
    return RecordText(dc, x, y, text, (int)length, dx);
}

BOOL WINAPI GetTextExtentPoint32A(HDC dc, LPCSTR, int length, LPSIZE size) {
    HostCountCall(HostCallGetTextExtentPoint32A);
    std::lock_guard<std::mutex> lock(state.mutex);
    DeviceContext* d = FindDC(dc);
    Object* font = d ? FindObject(d->font) : nullptr;
    if (!font || !size || length < 0) return FALSE;
    size->cx = length * font->cellWidth;
    size->cy = font->cellHeight;
    return TRUE;
}

BOOL WINAPI GetTextMetricsA(HDC dc, TEXTMETRICA* tm) {
    std::lock_guard<std::mutex> lock(state.mutex);
    DeviceContext* d = FindDC(dc);
    Object* font = d ? FindObject(d->font) : nullptr;
    if (!font || !tm) return FALSE;
    *tm = TEXTMETRICA{};
    tm->tmHeight = font->cellHeight;
    tm->tmAscent = font->cellHeight * 7 / 8;
    tm->tmDescent = font->cellHeight - tm->tmAscent;
    tm->tmAveCharWidth = tm->tmMaxCharWidth = font->cellWidth;
    tm->tmPitchAndFamily = 0;  // fixed pitch: the bit is clear
    tm->tmCharSet = font->font.lfCharSet;
    return TRUE;
}

// ---- test hooks ----

std::vector<HostPiece> HostScreenPieces(HWND hwnd) {
    std::lock_guard<std::mutex> lock(state.mutex);
    Window* w = FindWindowLocked(hwnd);
    if (!w) return {};
    std::vector<HostPiece> pieces;
    for (auto& [corner, piece] : w->pieces) pieces.push_back(piece);
    return pieces;
}

void HostScreenClear(HWND hwnd) {
    std::lock_guard<std::mutex> lock(state.mutex);
    if (Window* w = FindWindowLocked(hwnd)) w->pieces.clear();
}

std::vector<HostDrawCall> HostDrawLog(HWND hwnd) {
    std::lock_guard<std::mutex> lock(state.mutex);
    Window* w = FindWindowLocked(hwnd);
    return w ? w->log : std::vector<HostDrawCall>{};
}

void HostDrawLogClear(HWND hwnd) {
    std::lock_guard<std::mutex> lock(state.mutex);
    if (Window* w = FindWindowLocked(hwnd)) w->log.clear();
}

int HostOpenDCCount() {
    std::lock_guard<std::mutex> lock(state.mutex);
    return (int)state.dcs.size();
}
