// The real program in the user's colours: the countdown, a button caption and a list caption stand out
// from what is behind them on the screen. A second CTest run starts it in a Wine prefix whose scheme
// is white text on black.
#include "E2eSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <vector>

namespace {

double Luminance(COLORREF c) {
    const auto channel = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(GetRValue(c)) + 0.7152 * channel(GetGValue(c)) + 0.0722 * channel(GetBValue(c));
}

double Contrast(COLORREF a, COLORREF b) {
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// What the screen shows inside a control, shrunk by inset pixels all round.
std::vector<COLORREF> Screenshot(HWND control, int inset) {
    RECT r{};
    GetWindowRect(control, &r);
    InflateRect(&r, -inset, -inset);
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    std::vector<COLORREF> pixels;
    if (width <= 0 || height <= 0) return pixels;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) pixels.push_back(GetPixel(memory, x, y));
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

struct Legibility {
    COLORREF background = 0;
    int textPixels = 0;  // pixels at 4.5:1 or more against the background
};

// The background is the colour most pixels have; the text is what differs from it enough to read.
Legibility Measure(const std::vector<COLORREF>& pixels) {
    Legibility out;
    std::map<COLORREF, int> counts;
    for (COLORREF c : pixels) ++counts[c];
    if (counts.empty()) return out;
    out.background = std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) {
                         return a.second < b.second;
                     })->first;
    for (COLORREF c : pixels) out.textPixels += Contrast(c, out.background) >= 4.5;
    return out;
}

TEST(EndToEnd, MainWindowTextsStandOutInTheUsersColours) {
    SetProcessDPIAware();
    const bool whiteOnBlack = std::getenv("CORVALIN_EXPECT_WHITE_ON_BLACK") != nullptr;
    if (whiteOnBlack) {
        ASSERT_EQ(GetSysColor(COLOR_WINDOW), RGB(0, 0, 0)) << "the prefix's scheme";
        ASSERT_EQ(GetSysColor(COLOR_WINDOWTEXT), RGB(255, 255, 255)) << "the prefix's scheme";
    }
    e2e::Program program;
    const HWND main = program.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    SetForegroundWindow(main);
    struct Text {
        const char* name;
        int id;
        int inset;  // a push button's edges and focus rectangle are left out
    };
    for (const Text& text : {Text{"countdown", layout::form1::lblTimer, 0}, Text{"Start", layout::form1::PushButton1, 6},
                             Text{"Hours", layout::form1::Label1_0, 0}}) {
        const HWND control = GetDlgItem(main, text.id);
        ASSERT_NE(control, nullptr) << text.name;
        // Drawn once the window has painted: wait for the text to appear rather than for a time.
        Legibility seen;
        e2e::WaitFor([&] { return (seen = Measure(Screenshot(control, text.inset))).textPixels >= 10; }, 10000);
        EXPECT_GE(seen.textPixels, 10) << text.name << " on background " << std::hex << seen.background;
        if (whiteOnBlack) {
            EXPECT_EQ(seen.background, RGB(0, 0, 0)) << text.name;
        }
    }
}

}  // namespace
