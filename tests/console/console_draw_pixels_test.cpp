// The console draws a row's cells of the same colours with one call. This
// checks, with the real font under the real drawing code, that such a row
// looks exactly like its cells drawn one by one at column x cell width:
// every single byte, every lead byte with trail bytes in and out of range,
// lone lead bytes, Japanese text and changing colours.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "con_win32.h"

namespace {

struct Surface {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    uint32_t* bits = nullptr;
};

Surface MakeSurface(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    Surface s;
    s.dc = CreateCompatibleDC(nullptr);
    s.bitmap = CreateDIBSection(s.dc, &info, DIB_RGB_COLORS, (void**)&s.bits, nullptr, 0);
    SelectObject(s.dc, s.bitmap);
    PatBlt(s.dc, 0, 0, width, height, BLACKNESS);
    return s;
}

// How the console drew a row before it joined cells: one call per cell.
void DrawCellByCell(HDC dc, int y, int right, const std::string& text, const std::vector<COLORREF>& fore,
                    const std::vector<COLORREF>& back) {
    const int cw = ConsoleBuffer.CellWidth, ch = ConsoleBuffer.CellHeight;
    int n = (int)text.size();
    SIZE extent = {0, 0};
    GetTextExtentPoint32A(dc, text.c_str(), n, &extent);
    BitBlt(dc, extent.cx, y, right, ch, ConsoleFront.BlankDC, extent.cx, y, SRCCOPY);
    for (int col = 0; col < n; col++) {
        SetTextColor(dc, fore[col]);
        SetBkMode(dc, OPAQUE);
        SetBkColor(dc, back[col]);
        int length = (IsDBCSLeadByte((BYTE)text[col]) && text[col + 1] != 0) ? 2 : 1;
        TextOutA(dc, col * cw, y, text.c_str() + col, length);
        col += length - 1;
    }
}

struct Row {
    std::string text;
    int colourEvery;  // cells per colour change; 0: white on black throughout
};

std::vector<Row> Rows() {
    std::vector<Row> rows;
    std::string text;
    auto flush = [&](int colourEvery) {
        rows.push_back({text, colourEvery});
        text.clear();
    };
    for (int b = 1; b < 256; b++) {
        if (IsDBCSLeadByte((BYTE)b)) continue;
        text += (char)b;
        if (text.size() >= 120) flush(0);
    }
    flush(0);
    const BYTE trails[] = {0x40, 0x5c, 0x7e, 0x80, 0x9f, 0xa0, 0xfc, 0x20, 0x0d, 0x7f, 0xfd, 0x31};
    for (int lead = 0x81; lead <= 0xfc; lead++) {
        if (!IsDBCSLeadByte((BYTE)lead)) continue;
        for (BYTE t : trails) {
            text += (char)lead;
            text += (char)t;
        }
        text += "a";
        if (text.size() >= 200) flush(0);
    }
    flush(0);
    // 日本語のテキスト, then ASCII, then a lone lead byte at the row's end.
    const std::string japanese = "\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x83\x65\x83\x4c\x83\x58\x83\x67";
    rows.push_back({"<" + japanese + "> word, \"quoted\" " + japanese + "\x82", 0});
    rows.push_back({japanese + "abc" + japanese + "xyz" + japanese, 3});
    rows.push_back({japanese + "abc" + japanese + "xyz" + japanese, 5});
    rows.push_back({std::string(253, 'W'), 7});
    rows.push_back({"", 0});
    return rows;
}

TEST(ConsoleDrawPixels, JoinedCellsLookLikeSingleCells) {
    ASSERT_EQ(GetACP(), 932u);
    LOGFONTA font{};
    font.lfHeight = -16;
    font.lfCharSet = SHIFTJIS_CHARSET;
    font.lfPitchAndFamily = FIXED_PITCH;
    lstrcpyA(font.lfFaceName, "\x82\x6c\x82\x72\x20\x96\xbe\x92\xa9");  // ＭＳ 明朝
    ConsoleFront.FontHandle = CreateFontIndirectA(&font);
    ASSERT_NE(ConsoleFront.FontHandle, nullptr);

    const int width = 254 * 16, height = 40;
    Surface blank = MakeSurface(width, height);
    ConsoleFront.BlankDC = blank.dc;
    Surface before = MakeSurface(width, height), after = MakeSurface(width, height);
    SelectObject(before.dc, ConsoleFront.FontHandle);
    SelectObject(after.dc, ConsoleFront.FontHandle);
    SIZE cell;
    GetTextExtentPoint32A(before.dc, " ", 1, &cell);
    TEXTMETRICA tm;
    GetTextMetricsA(before.dc, &tm);
    ConsoleBuffer.CellWidth = cell.cx;
    ConsoleBuffer.CellHeight = tm.tmHeight;

    const COLORREF palette[] = {RGB(255, 255, 255), RGB(0, 0, 0), RGB(255, 0, 0), RGB(0, 128, 255)};
    std::vector<Row> rows = Rows();
    for (size_t r = 0; r < rows.size(); r++) {
        const Row& row = rows[r];
        std::vector<COLORREF> fore(row.text.size() + 1), back(row.text.size() + 1);
        for (size_t i = 0; i < row.text.size(); i++) {
            int k = row.colourEvery ? (int)(i / row.colourEvery) : 0;
            fore[i] = palette[k % 4 == 1 ? 0 : k % 4];
            back[i] = row.colourEvery ? palette[(k + 1) % 4] : RGB(0, 0, 0);
        }
        // Rows start on a screen that is not blank, as a redrawn row does.
        PatBlt(before.dc, 0, 0, width, height, WHITENESS);
        PatBlt(after.dc, 0, 0, width, height, WHITENESS);
        const int y = 10;
        DrawCellByCell(before.dc, y, width, row.text, fore, back);
        static ConRowCopy copy;
        copy.row = 0;
        copy.n = (int32_t)row.text.size();
        memcpy(copy.text, row.text.c_str(), row.text.size() + 1);
        memcpy(copy.fore, fore.data(), row.text.size() * sizeof(COLORREF));
        memcpy(copy.back, back.data(), row.text.size() * sizeof(COLORREF));
        ConDrawRow(after.dc, y, width, copy);
        GdiFlush();
        int differing = 0, firstX = -1;
        for (int i = 0; i < width * height; i++) {
            if (before.bits[i] != after.bits[i]) {
                if (firstX < 0) firstX = i % width;
                differing++;
            }
        }
        EXPECT_EQ(differing, 0) << "row " << r << " differs first at x " << firstX << " (cell "
                                << firstX / ConsoleBuffer.CellWidth << ")";
    }
}

}  // namespace
