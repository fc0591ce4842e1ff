// Characters past U+FFFF (a surrogate pair in two cells: emoji, rare
// ideographs) on the Win32 API.
//
// GDI's text calls do not take a surrogate pair as one character on every
// system (Wine draws each half as a missing glyph), so a pair is shaped
// with Uniscribe (ScriptShape reads the font's full character map) into a
// glyph and drawn by glyph index, clipped to its two cells. The console's
// font is tried first, then the fallback face (kPairFace, the system's
// emoji face); with neither having it, the console font's missing glyph
// (a box) is drawn, as the system draws any character no font has. The
// glyph and the font found are kept for the last few characters, so a
// screen of the same emoji is shaped once.
#include <usp10.h>

#include "con_win32.h"

namespace {

const WCHAR kPairFace[] = L"Segoe UI Emoji";

// Window thread only: the fallback font and the glyphs found.
struct PairGlyphsState {
    HFONT Fallback;
    struct Found {
        uint32_t c;  // the character (0: none)
        WORD glyph;
        bool fallback;
    } Cache[64];
};
PairGlyphsState PairGlyphs;

// The glyph of pair in the font selected into dc; false when it has none.
bool Shape(HDC dc, const WCHAR* pair, WORD* glyph) {
    SCRIPT_CACHE cache = nullptr;
    SCRIPT_ANALYSIS analysis{};
    WORD glyphs[4], clusters[2];
    SCRIPT_VISATTR attributes[4];
    int count = 0;
    const bool shaped = ScriptShape(dc, &cache, pair, 2, 4, &analysis, glyphs, clusters, attributes, &count) == S_OK;
    SCRIPT_FONTPROPERTIES properties{};
    properties.cBytes = sizeof properties;
    const bool known = shaped && ScriptGetFontProperties(dc, &cache, &properties) == S_OK;
    ScriptFreeCache(&cache);
    if (!shaped || count != 1) return false;
    *glyph = glyphs[0];
    return glyphs[0] != 0 && !(known && glyphs[0] == properties.wgDefault);
}

}  // namespace

void ConPairsFont(const LOGFONTA& console) {
    ConPairsClose();
    LOGFONTW logfont{};
    logfont.lfHeight = console.lfHeight;
    logfont.lfCharSet = DEFAULT_CHARSET;
    lstrcpyW(logfont.lfFaceName, kPairFace);
    PairGlyphs.Fallback = CreateFontIndirectW(&logfont);
}

void ConPairsClose() {
    if (PairGlyphs.Fallback) DeleteObject(PairGlyphs.Fallback);
    PairGlyphs = PairGlyphsState{};
}

void ConDrawPair(HDC dc, int32_t x, int32_t y, const WCHAR* pair) {
    const uint32_t c = 0x10000 + (((uint32_t)pair[0] - 0xD800) << 10) + ((uint32_t)pair[1] - 0xDC00);
    PairGlyphsState::Found& found = PairGlyphs.Cache[c % 64];
    if (found.c != c) {
        found = PairGlyphsState::Found{c, 0, false};
        if (!Shape(dc, pair, &found.glyph) && PairGlyphs.Fallback) {
            HGDIOBJ console = SelectObject(dc, PairGlyphs.Fallback);
            WORD glyph;
            if (Shape(dc, pair, &glyph)) found.glyph = glyph, found.fallback = true;
            SelectObject(dc, console);
        }
    }
    const int32_t cw = ConsoleBuffer.CellWidth;
    const RECT cells = {x, y, x + 2 * cw, y + ConsoleBuffer.CellHeight};
    HGDIOBJ console = found.fallback ? SelectObject(dc, PairGlyphs.Fallback) : nullptr;
    INT advance = 2 * cw;
    ExtTextOutW(dc, x, y, ETO_GLYPH_INDEX | ETO_OPAQUE | ETO_CLIPPED, &cells, (LPCWSTR)&found.glyph, 1, &advance);
    if (console) SelectObject(dc, console);
}
