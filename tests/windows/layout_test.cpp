// The three windows as they open at 96 dots per inch: client sizes, every control's place in pixels
// against its twips, the Tab order, the fonts, the window styles, the centred start-up position, and a
// check box wide enough for its whole caption; and the same layout after a move to 144 dots per inch.
#include "TestSupport.h"
#include "Form1Fixture.h"
#include "alarm/Form3.h"
#include "app/Form1.h"
#include "app/TimerProgram.h"
#include "core/Handles.h"
#include "core/Program.h"
#include "resources/Layouts.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kNone = 0;
constexpr int kPoints9 = -12;     // Arial 9 at 96 dots per inch: 12 pixels
constexpr int kPoints1125 = -15;  // 11.25 points: 15 pixels
constexpr int kPoints24 = -32;    // 24 points: 32 pixels

// One control as the window's designer placed it: twips, inside the frame with id `frame` (relative to
// it) or in the client area, and the font height it shows its text in.
struct Placed {
    int id;
    int frame;
    int left, top, width, height;
    bool autoSize;
    int fontHeight;
};

constexpr Placed kForm1Placed[] = {
    {layout::form1::Frame1, kNone, 120, 120, 7800, 1065, false, kPoints9},
    {layout::form1::cboSecs, layout::form1::Frame1, 5280, 555, 2300, 345, false, kPoints9},
    {layout::form1::cboMins, layout::form1::Frame1, 2760, 555, 2300, 345, false, kPoints9},
    {layout::form1::cboHrs, layout::form1::Frame1, 240, 555, 2300, 345, false, kPoints9},
    {layout::form1::Label1_4, layout::form1::Frame1, 5130, 585, 60, 270, true, kPoints1125},
    {layout::form1::Label1_1, layout::form1::Frame1, 2610, 585, 60, 270, true, kPoints1125},
    {layout::form1::Label1_3, layout::form1::Frame1, 5280, 270, 750, 225, true, kPoints9},
    {layout::form1::Label1_2, layout::form1::Frame1, 2760, 270, 675, 225, true, kPoints9},
    {layout::form1::Label1_0, layout::form1::Frame1, 240, 270, 510, 225, true, kPoints9},
    {layout::form1::Frame4, kNone, 120, 3720, 7800, 735, false, kPoints9},
    {layout::form1::Check3, layout::form1::Frame4, 240, 300, 3660, 255, false, kPoints9},
    {layout::form1::Frame2, kNone, 120, 2775, 7800, 855, false, kPoints9},
    {layout::form1::lblTimer, layout::form1::Frame2, 120, 210, 7575, 495, false, kPoints24},
    {layout::form1::PushButton1, kNone, 120, 1305, 7800, 405, false, kPoints1125},
    {layout::form1::PushButton2, kNone, 120, 1815, 7800, 405, false, kPoints1125},
    {layout::form1::PushButton3, kNone, 120, 2325, 7800, 405, false, kPoints1125},
};

constexpr Placed kForm2Placed[] = {
    {layout::form2::PushButton1, kNone, 120, 120, 7800, 405, false, kPoints1125},
    {layout::form2::PushButton2, kNone, 120, 630, 7800, 405, false, kPoints1125},
    {layout::form2::PushButton3, kNone, 4080, 1140, 1200, 405, false, kPoints1125},
    {layout::form2::PushButton4, kNone, 5400, 1140, 1200, 405, false, kPoints1125},
    {layout::form2::PushButton5, kNone, 6720, 1140, 1200, 405, false, kPoints1125},
    {layout::form2::lblEnded, kNone, 120, 1215, 3840, 255, false, kPoints9},
};

constexpr Placed kForm3Placed[] = {
    {layout::form3::Frame3, kNone, 120, 120, 7800, 1395, false, kPoints9},
    {layout::form3::Text1, layout::form3::Frame3, 240, 330, 7275, 375, false, kPoints9},
    {layout::form3::PushButton5, layout::form3::Frame3, 240, 810, 3600, 400, false, kPoints1125},
    {layout::form3::PushButton3, layout::form3::Frame3, 3960, 810, 3600, 405, false, kPoints1125},
    {layout::form3::chkRepeat, kNone, 240, 1620, 7560, 255, false, kPoints9},
    {layout::form3::PushButton1, kNone, 120, 1995, 7800, 405, false, kPoints1125},
};

// Twips to the nearest pixel, a half up: 15 twips to the pixel at 96 dots per inch (2300 twips are 153
// pixels, 400 are 27), 10 at 144 (345 twips are 35 pixels).
int Px(int twips, int dpi = 96) { return (twips * dpi + 720) / 1440; }

// A font height in pixels at 96 dots per inch, at another DPI, to the nearest pixel, a half up.
int FontHeightAt(int height96, int dpi) { return -((-height96 * dpi + 48) / 96); }

RECT RectInParent(HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

const Placed* Find(const Placed* begin, const Placed* end, int id) {
    for (const Placed* p = begin; p != end; ++p) {
        if (p->id == id) return p;
    }
    return nullptr;
}

// Every control stands where its twips put it; AutoSize labels take their text's size, so only their
// position counts. A closed drop-down list is as tall as its twips too.
template <std::size_t N>
void ExpectPlaced(HWND form, const Placed (&placed)[N], int dpi = 96) {
    for (const Placed& c : placed) {
        SCOPED_TRACE("control id " + std::to_string(c.id));
        const HWND control = GetDlgItem(form, c.id);
        ASSERT_NE(control, nullptr);
        int left = c.left;
        int top = c.top;
        if (c.frame != kNone) {
            const Placed* frame = Find(placed, placed + N, c.frame);
            ASSERT_NE(frame, nullptr);
            left += frame->left;
            top += frame->top;
        }
        const RECT r = RectInParent(control);
        EXPECT_EQ(r.left, Px(left, dpi));
        EXPECT_EQ(r.top, Px(top, dpi));
        if (c.autoSize) continue;
        EXPECT_EQ(r.right - r.left, Px(c.width, dpi));
        EXPECT_EQ(r.bottom - r.top, Px(c.height, dpi));
    }
}

template <std::size_t N>
void ExpectFonts(HWND form, const Placed (&placed)[N], int dpi = 96) {
    for (const Placed& c : placed) {
        SCOPED_TRACE("control id " + std::to_string(c.id));
        const auto font = reinterpret_cast<HFONT>(SendMessageW(GetDlgItem(form, c.id), WM_GETFONT, 0, 0));
        ASSERT_NE(font, nullptr);
        LOGFONTW lf{};
        ASSERT_EQ(GetObjectW(font, sizeof lf, &lf), static_cast<int>(sizeof lf));
        EXPECT_EQ(std::wstring(lf.lfFaceName), L"Arial");
        EXPECT_EQ(lf.lfWeight, FW_BOLD);
        EXPECT_EQ(lf.lfCharSet, ANSI_CHARSET);
        EXPECT_EQ(lf.lfHeight, FontHeightAt(c.fontHeight, dpi));
        EXPECT_FALSE(lf.lfItalic || lf.lfUnderline || lf.lfStrikeOut);
    }
}

SIZE ClientSize(HWND form) {
    RECT r{};
    GetClientRect(form, &r);
    return {r.right - r.left, r.bottom - r.top};
}

// Centred on the work area, to the pixel (an odd leftover may fall on either side).
void ExpectCentred(HWND form) {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT r{};
    GetWindowRect(form, &r);
    EXPECT_LE(std::abs((r.left - work.left) - (work.right - r.right)), 1);
    EXPECT_LE(std::abs((r.top - work.top) - (work.bottom - r.bottom)), 1);
}

// The controls Tab visits from the first one on, once round and back to the first.
std::vector<int> TabWalk(HWND form, std::size_t steps) {
    std::vector<int> ids;
    HWND at = GetNextDlgTabItem(form, nullptr, FALSE);
    for (std::size_t i = 0; i < steps && at; ++i) {
        ids.push_back(GetDlgCtrlID(at));
        at = GetNextDlgTabItem(form, at, FALSE);
    }
    return ids;
}

// The same walk with real Tab keys through a message loop that gives them their dialog meaning.
std::vector<int> TabKeyWalk(HWND first, std::size_t steps) {
    std::vector<int> ids;
    SetFocus(first);
    ids.push_back(GetDlgCtrlID(GetFocus()));
    for (std::size_t i = 1; i < steps; ++i) {
        const HWND before = GetFocus();
        testsupport::PressKey(VK_TAB);
        testsupport::PumpDialogUntil([before] { return GetFocus() != before; }, 500);
        ids.push_back(GetDlgCtrlID(GetFocus()));
    }
    return ids;
}

void ExpectFixedBorder(HWND form, bool minimiseBox) {
    const auto style = static_cast<DWORD>(GetWindowLongW(form, GWL_STYLE));
    EXPECT_EQ(style & WS_MAXIMIZEBOX, 0u);
    EXPECT_EQ((style & WS_MINIMIZEBOX) != 0, minimiseBox);
    EXPECT_EQ(style & WS_THICKFRAME, 0u);
    EXPECT_NE(style & WS_CAPTION, 0u);
}

// The rightmost column a control inks when it paints itself into a bitmap of the given width: the
// control paints through WM_PRINTCLIENT, with the colours its parent gives it.
int RightmostInk(HWND control, int width, int height) {
    const HDC screen = GetDC(nullptr);
    const HDC dc = CreateCompatibleDC(screen);
    const core::UniqueBitmap bitmap(CreateCompatibleBitmap(screen, width, height));
    ReleaseDC(nullptr, screen);
    int rightmost = -1;
    {
        core::ScopedSelect select(dc, bitmap.get());
        RECT all{0, 0, width, height};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
        const COLORREF back = GetPixel(dc, width - 1, 0);
        for (int x = 0; x < width; ++x) {
            for (int y = 0; y < height; ++y) {
                if (GetPixel(dc, x, y) != back) {
                    rightmost = x;
                    break;
                }
            }
        }
    }
    DeleteDC(dc);
    return rightmost;
}

class LayoutWindows : public testing::Test {
protected:
    void SetUp() override {
        testsupport::ClearSettings();
        const HDC screen = GetDC(nullptr);
        const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        ASSERT_EQ(dpi, 96) << "these sizes hold at 96 dots per inch";
        program.reporter = [this](const std::wstring& text) { reports.push_back(text); };
        ASSERT_TRUE(program.Create());
        form.Show(SW_SHOWNORMAL);
    }
    void TearDown() override {
        for (const std::wstring& report : reports) ADD_FAILURE() << std::string(report.begin(), report.end());
        testsupport::ClearSettings();
    }

    // Opens " Time Expired" over the main window and runs check while it is up, then closes it.
    void WithTimeExpired(const std::function<void(HWND)>& check) {
        alarm::Form2 form2([this](const std::wstring& text) { reports.push_back(text); }, program.AlarmAttention, program.AlarmBuffer);
        testsupport::Script script;
        script.Then([] { return testsupport::TimeExpiredWindow() != nullptr; },
                    [&] {
                        const HWND window = testsupport::TimeExpiredWindow();
                        check(window);
                        PostMessageW(window, WM_CLOSE, 0, 0);
                    });
        EXPECT_TRUE(testsupport::ShowTimeExpired(form, form2));
        EXPECT_TRUE(script.Finished());
    }

    HWND Options() {
        program.Form3().Show();
        return program.Form3().hwnd();
    }

    app::TimerProgram program;
    app::Form1& form = program.Main();
    std::vector<std::wstring> reports;
};

TEST_F(LayoutWindows, ClientAreasAre536PixelsWideAndAsTallAsEachLayout) {
    const SIZE main = ClientSize(form.hwnd());
    EXPECT_EQ(main.cx, 536);
    EXPECT_EQ(main.cy, 306);
    const SIZE options = ClientSize(Options());
    EXPECT_EQ(options.cx, 536);
    EXPECT_EQ(options.cy, 164);
    SIZE expired{};
    WithTimeExpired([&](HWND window) { expired = ClientSize(window); });
    EXPECT_EQ(expired.cx, 536);
    EXPECT_EQ(expired.cy, 110);
}

TEST_F(LayoutWindows, MainWindowControlsStandAtTheirTwips) { ExpectPlaced(form.hwnd(), kForm1Placed); }

// "Change Alarm File" is 400 twips high and its neighbour 405: both come to 27 pixels.
TEST_F(LayoutWindows, AlarmOptionsControlsStandAtTheirTwipsInsideTheirFrame) { ExpectPlaced(Options(), kForm3Placed); }

TEST_F(LayoutWindows, TimeExpiredButtonsStandAtTheirTwips) {
    WithTimeExpired([](HWND window) { ExpectPlaced(window, kForm2Placed); });
}

// A closed drop-down list is as tall as its layout (23 pixels): the box's height comes from its
// font and edit height, not from the height the list is created with.
TEST_F(LayoutWindows, ClosedDurationListsAre23PixelsHigh) {
    for (HWND picker : {form.cboHrs(), form.cboMins(), form.cboSecs()}) {
        RECT r{};
        GetWindowRect(picker, &r);
        EXPECT_EQ(r.bottom - r.top, 23);
        EXPECT_FALSE(SendMessageW(picker, CB_GETDROPPEDSTATE, 0, 0));
        // Setting the closed height leaves the opened list several items tall.
        RECT dropped{};
        SendMessageW(picker, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
        EXPECT_GE(dropped.bottom - dropped.top, 5 * 23);
    }
}

TEST_F(LayoutWindows, TabWalksMainWindowFromHoursToTheCheckBoxAndWraps) {
    namespace id = layout::form1;
    const std::vector<int> expected{id::cboHrs,      id::cboMins,     id::cboSecs, id::PushButton1,
                                    id::PushButton2, id::PushButton3, id::Check3,  id::cboHrs};
    EXPECT_EQ(TabWalk(form.hwnd(), expected.size()), expected);
    EXPECT_EQ(TabKeyWalk(form.cboHrs(), expected.size()), expected);
}

TEST_F(LayoutWindows, TabWalksAlarmOptionsFromThePathToOkAndWraps) {
    namespace id = layout::form3;
    const HWND options = Options();
    const std::vector<int> expected{id::Text1, id::PushButton5, id::PushButton3, id::chkRepeat, id::PushButton1,
                                    id::Text1};
    EXPECT_EQ(TabWalk(options, expected.size()), expected);
    EXPECT_EQ(TabKeyWalk(GetDlgItem(options, id::Text1), expected.size()), expected);
}

TEST_F(LayoutWindows, TabWalksTimeExpiredButtonsAndWraps) {
    namespace id = layout::form2;
    const std::vector<int> expected{id::PushButton1, id::PushButton2, id::PushButton3, id::PushButton4,
                                    id::PushButton5, id::PushButton1};
    WithTimeExpired([&](HWND window) {
        EXPECT_EQ(TabWalk(window, expected.size()), expected);
        EXPECT_EQ(TabKeyWalk(GetDlgItem(window, id::PushButton1), expected.size()), expected);
    });
}

TEST_F(LayoutWindows, EveryControlShowsArialBoldInItsLayoutSize) {
    ExpectFonts(form.hwnd(), kForm1Placed);
    ExpectFonts(Options(), kForm3Placed);
    WithTimeExpired([](HWND window) { ExpectFonts(window, kForm2Placed); });
}

TEST_F(LayoutWindows, OnlyTheMainWindowCanBeMinimisedAndNoneMaximisedOrResized) {
    ExpectFixedBorder(form.hwnd(), true);
    ExpectFixedBorder(Options(), false);
    WithTimeExpired([](HWND window) { ExpectFixedBorder(window, false); });
}

TEST_F(LayoutWindows, CountdownTextIsCentredInItsFrame) {
    const auto style = static_cast<DWORD>(GetWindowLongW(form.lblTimer(), GWL_STYLE));
    EXPECT_EQ(style & SS_TYPEMASK, static_cast<DWORD>(SS_CENTER));
    EXPECT_EQ(ui::WindowText(form.lblTimer()), L"000:00:00.0");
}

TEST_F(LayoutWindows, EveryWindowOpensCentredOnTheWorkArea) {
    ExpectCentred(form.hwnd());
    ExpectCentred(Options());
    WithTimeExpired([](HWND window) { ExpectCentred(window); });
}

TEST_F(LayoutWindows, EveryWindowShowsTheApplicationIcon) {
    const auto expectIcon = [](HWND window) {
        const auto icon = reinterpret_cast<HICON>(GetClassLongPtrW(window, GCLP_HICON));
        EXPECT_NE(icon, nullptr);
        EXPECT_EQ(icon, LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1)));
    };
    expectIcon(form.hwnd());
    expectIcon(Options());
    WithTimeExpired(expectIcon);
}

// A move to a monitor of 144 dots per inch: each window lays itself out again from its twips, with fonts
// made for that DPI, at the place the system suggests. The system's own DPI stays 96 here, so each
// window must use the DPI the message carries.
TEST_F(LayoutWindows, DpiChangeTo144LaysEachWindowOutAtItsTwipsWithFontsForThatDpi) {
    const auto moveTo144 = [](HWND window) {
        RECT r{};
        GetWindowRect(window, &r);
        // The system suggests the window's rectangle scaled, frame and all.
        RECT suggested{r.left + 7, r.top + 5, r.left + 7 + (r.right - r.left) * 3 / 2,
                       r.top + 5 + (r.bottom - r.top) * 3 / 2};
        SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
        GetWindowRect(window, &r);
        EXPECT_EQ(r.left, suggested.left);
        EXPECT_EQ(r.top, suggested.top);
    };
    moveTo144(form.hwnd());
    EXPECT_EQ(ClientSize(form.hwnd()).cx, 804);
    EXPECT_EQ(ClientSize(form.hwnd()).cy, 459);
    ExpectPlaced(form.hwnd(), kForm1Placed, 144);
    ExpectFonts(form.hwnd(), kForm1Placed, 144);

    const HWND options = Options();
    moveTo144(options);
    EXPECT_EQ(ClientSize(options).cx, 804);
    EXPECT_EQ(ClientSize(options).cy, 246);
    ExpectPlaced(options, kForm3Placed, 144);
    ExpectFonts(options, kForm3Placed, 144);

    WithTimeExpired([&](HWND window) {
        moveTo144(window);
        EXPECT_EQ(ClientSize(window).cx, 804);
        EXPECT_EQ(ClientSize(window).cy, 165);
        ExpectPlaced(window, kForm2Placed, 144);
        ExpectFonts(window, kForm2Placed, 144);
    });
}

// The check box's caption is not cut off: the same box drawn much wider inks nothing beyond the
// width the layout gives it.
TEST_F(LayoutWindows, StartupCheckBoxShowsItsWholeCaption) {
    const HWND check = form.Check3();
    RECT r{};
    GetClientRect(check, &r);
    const auto style = static_cast<DWORD>(GetWindowLongW(check, GWL_STYLE)) & ~WS_VISIBLE;
    const core::UniqueWindow wide(CreateWindowExW(0, L"BUTTON", ui::WindowText(check).c_str(), style, 0, 0, 1000,
                                                r.bottom, form.hwnd(), nullptr, GetModuleHandleW(nullptr), nullptr));
    ASSERT_TRUE(wide);
    SendMessageW(wide.get(), WM_SETFONT, SendMessageW(check, WM_GETFONT, 0, 0), FALSE);
    const int inkWide = RightmostInk(wide.get(), 1000, r.bottom);
    EXPECT_GT(inkWide, 100) << "the caption was drawn";
    EXPECT_LT(inkWide, r.right - 1) << "the caption needs " << inkWide + 2 << " pixels";
}

}  // namespace
