// The Win32 front end's window, under Wine: its class, title, styles and
// font as the window thread made them.
#include <gtest/gtest.h>

#include "con_win32.h"
#include "console_driver.h"

namespace {

class ConsoleWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ConsoleStart(); }
    void SetUp() override { ASSERT_TRUE(ConsoleWindowIsReady()); }
};

TEST_F(ConsoleWindowTest, WindowHasItsClassTitleStylesAndFont) {
    HWND hwnd = ConsoleFront.WindowHandle;
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(FindWindowA("PROMPT", "BASIC PROMPT"), hwnd);
    char name[64] = {};
    GetClassNameA(hwnd, name, sizeof name);
    EXPECT_STREQ(name, "PROMPT");
    GetWindowTextA(hwnd, name, sizeof name);
    EXPECT_STREQ(name, "BASIC PROMPT");
    EXPECT_EQ((DWORD)GetWindowLongA(hwnd, GWL_STYLE) & WS_OVERLAPPEDWINDOW, (DWORD)WS_OVERLAPPEDWINDOW);
    EXPECT_TRUE(GetWindowLongA(hwnd, GWL_STYLE) & WS_VISIBLE);
    EXPECT_TRUE(GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_TRUE(GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    EXPECT_EQ(GetClassLongA(hwnd, GCL_STYLE), (DWORD)(CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS));
    EXPECT_EQ((WNDPROC)GetWindowLongPtrA(hwnd, GWLP_WNDPROC), ConsoleWndProc);
    EXPECT_EQ((HBRUSH)GetClassLongPtrA(hwnd, GCLP_HBRBACKGROUND), (HBRUSH)GetStockObject(BLACK_BRUSH));
    RECT client;
    GetClientRect(hwnd, &client);
    EXPECT_GE(ConsoleFront.BlankWidth, client.right);  // the erase bitmap covers the client
    EXPECT_GE(ConsoleFront.BlankHeight, client.bottom);

    const LOGFONTA& f = ConsoleFront.FontSpec;
    EXPECT_EQ(f.lfHeight, -16);
    EXPECT_EQ(f.lfWeight, 0);
    EXPECT_EQ(f.lfCharSet, 128);
    EXPECT_EQ(f.lfPitchAndFamily, 1);
    EXPECT_STREQ(f.lfFaceName, "\x82\x6c\x82\x72\x20\x96\xbe\x92\xa9");
    // Measured from the font: both positive, the cell taller than wide.
    EXPECT_GT(ConsoleBuffer.CellWidth, 0);
    EXPECT_GT(ConsoleBuffer.CellHeight, ConsoleBuffer.CellWidth);
    EXPECT_EQ(ConsoleBuffer.ForeColor, 0x00FFFFFFu);
    EXPECT_EQ(ConsoleBuffer.BackColor, 0u);
}

// The system moves the window to a monitor of 144 DPI (Wine never does:
// the test sends what Windows would), and back.
TEST_F(ConsoleWindowTest, ANewDpiRebuildsTheFontAndCellAndTakesTheSuggestedRectangle) {
    HWND hwnd = ConsoleFront.WindowHandle;
    const UINT dpi = ConsoleFront.Dpi;
    const int32_t cw = ConsoleBuffer.CellWidth, ch = ConsoleBuffer.CellHeight;
    // Small enough that the larger size fits the screen.
    SetWindowPos(hwnd, nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT before;
    GetWindowRect(hwnd, &before);
    SIZE scaled{};
    EXPECT_TRUE(SendMessageA(hwnd, 0x02E4 /* WM_GETDPISCALEDSIZE */, dpi * 3 / 2, (LPARAM)&scaled));
    EXPECT_GT(scaled.cx, before.right - before.left);
    RECT suggested = {before.left, before.top, before.left + scaled.cx, before.top + scaled.cy};
    SendMessageA(hwnd, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(dpi * 3 / 2, dpi * 3 / 2), (LPARAM)&suggested);
    EXPECT_EQ(ConsoleFront.FontSpec.lfHeight, -MulDiv(16, (int)dpi * 3 / 2, 96));
    EXPECT_GT(ConsoleBuffer.CellHeight, ch);
    EXPECT_GT(ConsoleBuffer.CellWidth, cw);
    RECT after;
    GetWindowRect(hwnd, &after);
    EXPECT_EQ(after.right - after.left, scaled.cx);
    EXPECT_EQ(after.bottom - after.top, scaled.cy);
    SendMessageA(hwnd, 0x02E0, MAKEWPARAM(dpi, dpi), (LPARAM)&before);
    EXPECT_EQ(ConsoleBuffer.CellWidth, cw);
    EXPECT_EQ(ConsoleBuffer.CellHeight, ch);
}

}  // namespace
