// The windows in the user's colours: high-contrast mode through a stand-in for SystemParametersInfoW
// (Wine never reports it), and a white-on-black scheme set while the program runs.
#include "Form1Fixture.h"
#include "alarm/Form3.h"
#include "resources/Layouts.h"
#include "ui/Backdrop.h"

#include <gtest/gtest.h>

#include <array>

namespace {

using testsupport::kWhite;

BOOL WINAPI ReportHighContrastOn(UINT action, UINT, void* data, UINT) {
    if (action != SPI_GETHIGHCONTRAST) return FALSE;
    static_cast<HIGHCONTRASTW*>(data)->dwFlags = HCF_HIGHCONTRASTON | HCF_AVAILABLE;
    return TRUE;
}

BOOL WINAPI ReportHighContrastOff(UINT action, UINT, void* data, UINT) {
    if (action != SPI_GETHIGHCONTRAST) return FALSE;
    static_cast<HIGHCONTRASTW*>(data)->dwFlags = HCF_AVAILABLE;
    return TRUE;
}

// The colour painted at a point of a control, after it has painted whatever it had to.
COLORREF PixelAt(HWND window, int x, int y) {
    RedrawWindow(window, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    HDC dc = GetDC(window);
    const COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return colour;
}

// Left of a push button's caption, inside its edges and its focus rectangle.
COLORREF ButtonFaceOf(HWND button) {
    RECT r{};
    GetClientRect(button, &r);
    return PixelAt(button, 6, r.bottom / 2);
}

// The text colour and brush a window gives a label that asks for its colours.
std::pair<COLORREF, HBRUSH> LabelColours(HWND window, HWND label) {
    HDC dc = CreateCompatibleDC(nullptr);
    SetTextColor(dc, RGB(1, 2, 3));
    const auto brush = reinterpret_cast<HBRUSH>(
        SendMessageW(window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(label)));
    const COLORREF text = GetTextColor(dc);
    DeleteDC(dc);
    return {text, brush};
}

// The system colours of a white-on-black scheme while it lives; the user's own ones back after.
class WhiteOnBlackScheme {
public:
    WhiteOnBlackScheme() {
        for (std::size_t i = 0; i < kIndexes.size(); ++i) saved_[i] = GetSysColor(kIndexes[i]);
        const std::array<COLORREF, 5> colours = {RGB(0, 0, 0), RGB(255, 255, 255), RGB(0, 0, 0), RGB(255, 255, 255),
                                                 RGB(63, 242, 63)};
        SetSysColors(static_cast<int>(kIndexes.size()), kIndexes.data(), colours.data());
    }
    ~WhiteOnBlackScheme() { SetSysColors(static_cast<int>(kIndexes.size()), kIndexes.data(), saved_.data()); }
    WhiteOnBlackScheme(const WhiteOnBlackScheme&) = delete;
    WhiteOnBlackScheme& operator=(const WhiteOnBlackScheme&) = delete;

private:
    static constexpr std::array<int, 5> kIndexes = {COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_BTNFACE, COLOR_BTNTEXT,
                                                    COLOR_GRAYTEXT};
    std::array<COLORREF, 5> saved_{};
};

using ColourScheme = testsupport::ShownForm1;

TEST_F(ColourScheme, HighContrastModeGivesEveryWindowTheSystemsColoursUntilItEnds) {
    ASSERT_TRUE(ui::HighContrastOn(&ReportHighContrastOn));
    ASSERT_FALSE(ui::HighContrastOn(&ReportHighContrastOff));
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    ASSERT_NE(face, kWhite) << "the standard scheme's button face";
    alarm::Form3& options = program.Form3();
    options.EnsureLoaded();
    EXPECT_EQ(ButtonFaceOf(form.PushButton1.hwnd()), kWhite);

    for (HWND window : {form.hwnd(), options.hwnd()}) ui::FollowColourScheme(window, ui::HighContrastOn(&ReportHighContrastOn));
    EXPECT_EQ(ButtonFaceOf(form.PushButton1.hwnd()), face);
    const auto [text, brush] = LabelColours(form.hwnd(), form.lblTimer());
    EXPECT_EQ(text, GetSysColor(COLOR_WINDOWTEXT));
    EXPECT_EQ(brush, GetSysColorBrush(COLOR_WINDOW));
    // Alarm Options, whose backdrop is the button face: its texts take the button text colour.
    const HWND frame = GetDlgItem(options.hwnd(), layout::form3::Frame3);
    EXPECT_EQ(LabelColours(options.hwnd(), frame).first, GetSysColor(COLOR_BTNTEXT));
    EXPECT_TRUE(ui::ColoursOf(options.hwnd()).system);

    // The mode ends: the system says so, and the layouts' white comes back.
    SendMessageW(form.hwnd(), WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
    EXPECT_EQ(ButtonFaceOf(form.PushButton1.hwnd()), kWhite);
    EXPECT_EQ(LabelColours(form.hwnd(), form.lblTimer()).second, GetStockObject(WHITE_BRUSH));
}

TEST_F(ColourScheme, WhiteOnBlackSetWhileRunningRepaintsTheWindowBlackWithWhiteTexts) {
    const HWND start = form.PushButton1.hwnd();
    {
        WhiteOnBlackScheme scheme;
        // The system sends WM_SYSCOLORCHANGE to every top-level window.
        EXPECT_TRUE(testsupport::PumpUntil([&] { return ButtonFaceOf(start) == RGB(0, 0, 0); }, 5000));
        EXPECT_EQ(PixelAt(form.hwnd(), 2, 2), RGB(0, 0, 0));
        EXPECT_EQ(LabelColours(form.hwnd(), form.lblTimer()).first, kWhite);
    }
    EXPECT_TRUE(testsupport::PumpUntil([&] { return ButtonFaceOf(start) == kWhite; }, 5000));
    EXPECT_EQ(PixelAt(form.hwnd(), 2, 2), kWhite);
}

}  // namespace
