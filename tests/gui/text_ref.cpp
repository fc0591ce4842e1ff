// Test helper: draws console rows the way the console should look, for a
// pixel comparison with a screenshot of the real window. The font is the
// console's ("ＭＳ 明朝", 16 pixels, Shift-JIS, fixed pitch), white on black,
// one byte per cell, a double-byte character drawn once from its lead byte.
//   text_ref OUT.bmp WIDTH HEIGHT ROW0 [ROW1 ...]
// Rows are UTF-8 arguments stored in the ANSI code page; the environment's
// TEXT_REF_DPI scales the font as the console scales it at that DPI. Prints the cell size
// measured from the font as "cell=W H" and the face the system chose for it
// as "face=NAME". With TEXT_REF_WIDE set, rows are drawn as UTF-16 instead,
// each character by a call of its own at its cell: two cells from U+1100
// on, one below it (true of the texts the checks use). A surrogate pair is
// drawn by the glyph Uniscribe finds for it in the console font or, failing
// that, in "Segoe UI Emoji", clipped to its two cells.
#include "gui_helper.h"

#include <usp10.h>

#include <cstdio>
#include <cstring>

// The glyph of a surrogate pair in the font selected into dc, or 0.
WORD PairGlyph(HDC dc, const wchar_t* pair) {
    SCRIPT_CACHE cache = nullptr;
    SCRIPT_ANALYSIS analysis{};
    WORD glyphs[4], clusters[2];
    SCRIPT_VISATTR attributes[4];
    int count = 0;
    HRESULT shaped = ScriptShape(dc, &cache, pair, 2, 4, &analysis, glyphs, clusters, attributes, &count);
    ScriptFreeCache(&cache);
    return shaped == S_OK && count == 1 ? glyphs[0] : 0;
}

void DrawPair(HDC dc, HFONT font, int x, int y, int w, int h, const wchar_t* pair) {
    LOGFONTA logfont;
    GetObjectA(font, sizeof logfont, &logfont);
    LOGFONTW emoji{};
    emoji.lfHeight = logfont.lfHeight;
    emoji.lfCharSet = DEFAULT_CHARSET;
    lstrcpyW(emoji.lfFaceName, L"Segoe UI Emoji");
    HFONT fallback = CreateFontIndirectW(&emoji);
    WORD glyph = PairGlyph(dc, pair);
    if (!glyph) {
        SelectObject(dc, fallback);
        glyph = PairGlyph(dc, pair);
        if (!glyph) SelectObject(dc, font);
    }
    RECT cells = {x, y, x + w, y + h};
    ExtTextOutW(dc, x, y, ETO_GLYPH_INDEX | ETO_OPAQUE | ETO_CLIPPED, &cells, (LPCWSTR)&glyph, 1, &w);
    SelectObject(dc, font);
    DeleteObject(fallback);
}

int main() {
    SetProcessDPIAware();  // pixels are pixels, whatever the system's DPI
    std::vector<std::wstring> args = WideArgs();
    if (args.size() < 4) {
        fprintf(stderr, "usage: text_ref OUT.bmp WIDTH HEIGHT ROW...\n");
        return 2;
    }
    int width = _wtoi(args[2].c_str()), height = _wtoi(args[3].c_str());
    if (width <= 0 || height <= 0) return 2;

    LOGFONTA logfont;
    memset(&logfont, 0, sizeof logfont);
    // At the DPI in TEXT_REF_DPI (96 without it) the console's font is
    // MulDiv(16, dpi, 96) pixels.
    const char* dpi = getenv("TEXT_REF_DPI");
    logfont.lfHeight = -MulDiv(16, dpi && atoi(dpi) > 0 ? atoi(dpi) : 96, 96);
    logfont.lfCharSet = SHIFTJIS_CHARSET;
    logfont.lfPitchAndFamily = FIXED_PITCH;
    strcpy(logfont.lfFaceName, "\x82\x6c\x82\x72\x20\x96\xbe\x92\xa9");  // ＭＳ 明朝
    HFONT font = CreateFontIndirectA(&logfont);

    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    SelectObject(dc, bitmap);
    PatBlt(dc, 0, 0, width, height, BLACKNESS);
    SelectObject(dc, font);
    SIZE blank;
    GetTextExtentPoint32A(dc, " ", 1, &blank);
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    int cellW = blank.cx, cellH = tm.tmHeight;
    char face[LF_FACESIZE] = "";
    GetTextFaceA(dc, sizeof face, face);
    printf("cell=%d %d\n", cellW, cellH);
    printf("face=%s\n", face);

    SetTextColor(dc, RGB(255, 255, 255));
    SetBkColor(dc, RGB(0, 0, 0));
    const bool wide = getenv("TEXT_REF_WIDE") != nullptr;
    for (size_t r = 4; r < args.size() && wide; r++) {
        const std::wstring& row = args[r];
        int y = (int)(r - 4) * cellH, cell = 0;
        for (size_t c = 0; c < row.size(); c++) {
            int n = IS_HIGH_SURROGATE(row[c]) && c + 1 < row.size() ? 2 : 1;
            if (n == 2) DrawPair(dc, font, cell * cellW, y, 2 * cellW, cellH, row.c_str() + c);
            else ExtTextOutW(dc, cell * cellW, y, 0, nullptr, row.c_str() + c, 1, nullptr);
            cell += n == 2 || row[c] >= 0x1100 ? 2 : 1;
            c += n - 1;
        }
    }
    for (size_t r = 4; r < args.size() && !wide; r++) {
        std::string row = Unescape(ToAnsi(args[r]));
        int y = (int)(r - 4) * cellH;
        for (size_t c = 0; c < row.size(); c++) {
            int n = IsDBCSLeadByte((BYTE)row[c]) && c + 1 < row.size() ? 2 : 1;
            TextOutA(dc, (int)c * cellW, y, row.c_str() + c, n);
            c += n - 1;
        }
    }

    // 24-bit bottom-up BMP
    BITMAPINFO info;
    memset(&info, 0, sizeof info);
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    int stride = (width * 3 + 3) & ~3;
    std::vector<char> pixels((size_t)stride * height);
    GetDIBits(dc, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
    BITMAPFILEHEADER file;
    memset(&file, 0, sizeof file);
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + (DWORD)pixels.size();
    info.bmiHeader.biSizeImage = (DWORD)pixels.size();
    std::string out = ToAnsi(args[1]);
    FILE* f = fopen(out.c_str(), "wb");
    if (!f) return 1;
    fwrite(&file, sizeof file, 1, f);
    fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, f);
    fwrite(pixels.data(), 1, pixels.size(), f);
    fclose(f);
    return 0;
}
