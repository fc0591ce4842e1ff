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
    EXPECT_EQ(ConsoleFront.ScreenWidth, GetSystemMetrics(SM_CXSCREEN));

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

}  // namespace
