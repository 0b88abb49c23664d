// The real program on a screen of the DPI the prefix gives: the main window and each of its controls
// at their twips for that DPI. A second CTest run starts it under a Wine prefix at 144 dots per inch.
#include "E2eSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

// Twips to the nearest pixel at the given DPI, a half up.
int Px(int twips, int dpi) { return (twips * dpi + 720) / 1440; }

RECT RectInParent(HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

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
    ASSERT_TRUE(program.Started());
    const HWND main = program.WaitForWindow(L"Corvalin Timer Software", 20000);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(e2e::WaitFor([&] { return IsWindowVisible(main) != FALSE; }, 20000));
    RECT client{};
    GetClientRect(main, &client);
    EXPECT_EQ(client.right, Px(layout::kForm1.clientWidth, dpi));
    EXPECT_EQ(client.bottom, Px(layout::kForm1.clientHeight, dpi));
    for (const layout::Control& c : layout::kForm1Controls) {
        SCOPED_TRACE(std::string(c.name, c.name + wcslen(c.name)));
        int left = c.left;
        int top = c.top;
        if (c.frame != layout::kNoFrame) {
            left += layout::kForm1Controls[static_cast<std::size_t>(c.frame)].left;
            top += layout::kForm1Controls[static_cast<std::size_t>(c.frame)].top;
        }
        const RECT r = RectInParent(GetDlgItem(main, c.id));
        EXPECT_EQ(r.left, Px(left, dpi));
        EXPECT_EQ(r.top, Px(top, dpi));
        if (c.autoSize) continue;
        EXPECT_EQ(r.right - r.left, Px(c.width, dpi));
        EXPECT_EQ(r.bottom - r.top, Px(c.height, dpi));
    }
}

}  // namespace
