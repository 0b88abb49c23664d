// The three windows from the keyboard: where the focus is when each opens and when it becomes active
// again, and push buttons that are the platform's own buttons, drawn our way.
#include "TestSupport.h"
#include "Form1Fixture.h"
#include "alarm/Form3.h"
#include "app/Form1.h"
#include "app/TimerProgram.h"
#include "core/Handles.h"
#include "core/Program.h"
#include "resources/Layouts.h"
#include "tests/InputSupport.h"
#include "tray_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using testsupport::PumpUntil;

using testsupport::kTrayCallback;
int const kWait = 5000;

bool FocusBecomes(HWND control) {
    return PumpUntil([control] { return GetFocus() == control; }, kWait);
}

class Keyboard : public testing::Test {
protected:
    void SetUp() override {
        testsupport::ClearSettings();
        program.reporter = [this](const std::wstring& text) { reports.push_back(text); };
        ASSERT_TRUE(program.Create());
        // A path OK accepts, so that Alarm Options closes without a message.
        program.Form3().SetText1Text((testsupport::ProgramExecutable().parent_path() / L"alarm.wav").wstring());
        form.Show(SW_SHOWNORMAL);
        // Another program's window, somewhere the forms are not, to take the activation away.
        other = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"other", WS_POPUP, 0, 0, 60, 40, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
        ShowWindow(other, SW_SHOWNOACTIVATE);
    }
    void TearDown() override {
        DestroyWindow(other);
        for (const std::wstring& report : reports) ADD_FAILURE() << std::string(report.begin(), report.end());
        testsupport::ClearSettings();
    }

    // Activates the other window, then window again by SetForegroundWindow; true when the focus is
    // back on control.
    bool AwayAndBack(HWND window, HWND control) {
        SetForegroundWindow(other);
        if (!PumpUntil([&] { return GetForegroundWindow() == other && GetFocus() != control; }, kWait)) return false;
        SetForegroundWindow(window);
        return FocusBecomes(control);
    }

    // What the tray control asks of the shell, recorded until the window is gone.
    std::vector<traytest::ShellCall> calls;
    app::TimerProgram program;
    app::Form1& form = program.Main();
    HWND other = nullptr;
    std::vector<std::wstring> reports;
};

TEST_F(Keyboard, EachWindowOpensWithTheFocusOnItsFirstControl) {
    EXPECT_TRUE(FocusBecomes(form.cboHrs()));

    // Alarm Options: the path box, with the whole path selected by its got-focus handler.
    form.PushButton3_Click();
    alarm::Form3& options = program.Form3();
    ASSERT_TRUE(FocusBecomes(options.Text1()));
    DWORD start = 1;
    DWORD end = 0;
    SendMessageW(options.Text1(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, static_cast<DWORD>(GetWindowTextLengthW(options.Text1())));
    options.PushButton1_Click();
    ASSERT_FALSE(options.IsLoaded());

    alarm::Form2 form2(program.reporter, program.AlarmAttention, program.AlarmBuffer);
    bool onOk = false;
    testsupport::Script script;
    script.Then([] { return testsupport::TimeExpiredWindow() != nullptr; },
                [&] {
                    onOk = GetFocus() == form2.PushButton1.hwnd();
                    PostMessageW(form2.hwnd(), WM_CLOSE, 0, 0);
                });
    EXPECT_TRUE(testsupport::ShowTimeExpired(form, form2));
    EXPECT_TRUE(onOk);
}

TEST_F(Keyboard, ReactivationGivesTheFocusBackToTheControlThatHadIt) {
    ASSERT_TRUE(FocusBecomes(form.cboHrs()));
    SetFocus(form.PushButton2.hwnd());
    EXPECT_TRUE(AwayAndBack(form.hwnd(), form.PushButton2.hwnd()));

    // A click on the window's surface.
    SetForegroundWindow(other);
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == other; }, kWait));
    POINT surface{4, 4};
    ClientToScreen(form.hwnd(), &surface);
    testinput::ClickAt(surface);
    EXPECT_TRUE(FocusBecomes(form.PushButton2.hwnd()));

    // Hidden behind the tray icon and brought back by a click on it.
    traytest::Record(program.cSysTray1, calls);
    program.cSysTray1.ShowBalloon(L"", L"", 0, true);  // spend the one-time balloon
    SetFocus(form.Check3());
    ShowWindow(form.hwnd(), SW_MINIMIZE);
    ASSERT_FALSE(IsWindowVisible(form.hwnd()));
    SendMessageW(program.cSysTray1.OwnWindow(), kTrayCallback, 0, WM_LBUTTONUP);
    EXPECT_TRUE(FocusBecomes(form.Check3()));

    form.PushButton3_Click();
    alarm::Form3& options = program.Form3();
    SetFocus(options.PushButton3.hwnd());
    EXPECT_TRUE(AwayAndBack(options.hwnd(), options.PushButton3.hwnd()));
    options.PushButton1_Click();

    alarm::Form2 form2(program.reporter, program.AlarmAttention, program.AlarmBuffer);
    bool back = false;
    testsupport::Script script;
    script.Then([] { return testsupport::TimeExpiredWindow() != nullptr; },
                [&] {
                    SetFocus(form2.PushButton2.hwnd());
                    back = AwayAndBack(form2.hwnd(), form2.PushButton2.hwnd());
                    PostMessageW(form2.hwnd(), WM_CLOSE, 0, 0);
                });
    EXPECT_TRUE(testsupport::ShowTimeExpired(form, form2));
    EXPECT_TRUE(back);
}

TEST_F(Keyboard, PushButtonsAreOwnerDrawnStandardButtonsThatBmClickPresses) {
    int clicks = 0;
    const auto expectButton = [&](ui::PushButton& button) {
        wchar_t cls[32] = {};
        GetClassNameW(button.hwnd(), cls, 32);
        EXPECT_EQ(std::wstring(cls), L"Button");
        const auto style = static_cast<DWORD>(GetWindowLongW(button.hwnd(), GWL_STYLE));
        EXPECT_EQ(style & BS_TYPEMASK, static_cast<DWORD>(BS_OWNERDRAW));
        EXPECT_NE(style & WS_TABSTOP, 0u);
        button.onClick = [&] { ++clicks; };
        const int before = clicks;
        SendMessageW(button.hwnd(), BM_CLICK, 0, 0);
        EXPECT_EQ(clicks, before + 1);
    };

    // Drawn our way: white face, caption in the button-text colour, grey when disabled.
    const auto inkOf = [](HWND button) {
        RECT r{};
        GetClientRect(button, &r);
        const HDC screen = GetDC(nullptr);
        const HDC dc = CreateCompatibleDC(screen);
        const core::UniqueBitmap bitmap(CreateCompatibleBitmap(screen, r.right, r.bottom));
        ReleaseDC(nullptr, screen);
        std::vector<COLORREF> colours;
        {
            core::ScopedSelect select(dc, bitmap.get());
            SendMessageW(button, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
            colours.push_back(GetPixel(dc, 3, r.bottom / 2));
            for (int x = 0; x < r.right; ++x) {
                for (int y = 0; y < r.bottom; ++y) {
                    const COLORREF c = GetPixel(dc, x, y);
                    if (c == GetSysColor(COLOR_BTNTEXT) || c == GetSysColor(COLOR_GRAYTEXT)) colours.push_back(c);
                }
            }
        }
        DeleteDC(dc);
        return colours;
    };
    std::vector<COLORREF> ink = inkOf(form.PushButton1.hwnd());
    EXPECT_EQ(ink.front(), RGB(255, 255, 255));
    EXPECT_NE(std::find(ink.begin() + 1, ink.end(), GetSysColor(COLOR_BTNTEXT)), ink.end());
    EnableWindow(form.PushButton1.hwnd(), FALSE);
    ink = inkOf(form.PushButton1.hwnd());
    EXPECT_NE(std::find(ink.begin() + 1, ink.end(), GetSysColor(COLOR_GRAYTEXT)), ink.end());
    EnableWindow(form.PushButton1.hwnd(), TRUE);

    for (ui::PushButton* button : {&form.PushButton1, &form.PushButton2, &form.PushButton3}) expectButton(*button);
    alarm::Form3& options = program.Form3();
    for (ui::PushButton* button : {&options.PushButton5, &options.PushButton3, &options.PushButton1}) {
        expectButton(*button);
    }
    alarm::Form2 form2(program.reporter, program.AlarmAttention, program.AlarmBuffer);
    testsupport::Script script;
    script.Then([] { return testsupport::TimeExpiredWindow() != nullptr; },
                [&] {
                    for (ui::PushButton* button : {&form2.PushButton1, &form2.PushButton2}) expectButton(*button);
                    PostMessageW(form2.hwnd(), WM_CLOSE, 0, 0);
                });
    EXPECT_TRUE(testsupport::ShowTimeExpired(form, form2));
    EXPECT_EQ(clicks, 8);
}

}  // namespace
