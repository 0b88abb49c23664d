// The real program on a screen of the DPI its Wine prefix gives: the main window and its Start button
// at their twips for that DPI. A second CTest run starts it under a prefix at 144 dots per inch.
#include "E2eSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// Twips to the nearest pixel at the given DPI, a half up.
int Px(int twips, int dpi) { return (twips * dpi + 720) / 1440; }

TEST(EndToEnd, MainWindowOpensLaidOutAtTheScreensDpi) {
    // Sizes of another program's windows are seen unscaled only by a program that knows about DPI.
    SetProcessDPIAware();
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    if (const char* expected = std::getenv("CORVALIN_EXPECT_DPI")) {
        ASSERT_EQ(dpi, std::atoi(expected)) << "the screen's DPI";
    }

    e2e::Program program;
    const HWND main = program.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    RECT client{};
    GetClientRect(main, &client);
    EXPECT_EQ(client.right, Px(layout::kForm1.clientWidth, dpi));
    EXPECT_EQ(client.bottom, Px(layout::kForm1.clientHeight, dpi));
    // "Start": 120, 1305, 7800 x 405 twips.
    RECT start{};
    GetWindowRect(GetDlgItem(main, layout::form1::PushButton1), &start);
    MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&start), 2);
    EXPECT_EQ(start.left, Px(120, dpi));
    EXPECT_EQ(start.top, Px(1305, dpi));
    EXPECT_EQ(start.right - start.left, Px(7800, dpi));
    EXPECT_EQ(start.bottom - start.top, Px(405, dpi));
}

}  // namespace
