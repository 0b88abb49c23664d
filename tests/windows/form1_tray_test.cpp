// The main window and its tray icon: hiding on minimise with a one-time balloon, coming back on a
// click on the icon, the icon put back after a shell restart, and no icon left after close.
#include "TestSupport.h"
#include "app/CountdownDisplay.h"
#include "app/Form1.h"
#include "app/TimerProgram.h"
#include "core/ErrorReport.h"
#include "core/Program.h"
#include "sound/SoundManager.h"
#include "tray_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using testsupport::kTrayCallback;

class Form1Tray : public testing::Test {
protected:
    void SetUp() override {
        testsupport::ClearSettings();
        ASSERT_TRUE(program.Create());
        form.Show(SW_SHOWNORMAL);
        traytest::Record(program.cSysTray1, calls);
    }

    // The shell reports the balloon clicked, so the balloon's wait ends as soon as it begins.
    void BalloonWillBeClicked() { PostMessageW(program.cSysTray1.OwnWindow(), kTrayCallback, 0, 1029); }
    void ClickIcon(LPARAM button) {
        SendMessageW(program.cSysTray1.OwnWindow(), kTrayCallback, 0, button);
    }
    std::size_t Balloons() const {
        return static_cast<std::size_t>(std::count_if(calls.begin(), calls.end(), [](const traytest::ShellCall& c) {
            return c.message == NIM_MODIFY && (c.record.uFlags & NIF_INFO) && !c.Info().empty();
        }));
    }
    std::size_t Calls(DWORD message) const {
        return static_cast<std::size_t>(
            std::count_if(calls.begin(), calls.end(), [&](const traytest::ShellCall& c) { return c.message == message; }));
    }

    app::TimerProgram program;
    app::Form1& form = program.Main();
    std::vector<traytest::ShellCall> calls;
    int refusals = 0;
};

TEST_F(Form1Tray, TheIconIsInTheTrayFromLoadWithTheProductNameAsTip) {
    EXPECT_TRUE(program.cSysTray1.InTray());
    EXPECT_EQ(program.cSysTray1.TrayTip(), L"Corvalin Timer Software");
}

TEST_F(Form1Tray, MinimisingTwiceHidesTwiceButShowsTheBalloonOnce) {
    BalloonWillBeClicked();
    ShowWindow(form.hwnd(), SW_MINIMIZE);
    EXPECT_FALSE(IsWindowVisible(form.hwnd()));
    EXPECT_TRUE(form.HiddenInTray);
    ASSERT_EQ(Balloons(), 1u);
    const auto balloon = std::find_if(calls.begin(), calls.end(), [](const traytest::ShellCall& c) {
        return c.message == NIM_MODIFY && (c.record.uFlags & NIF_INFO) && !c.Info().empty();
    });
    EXPECT_EQ(balloon->InfoTitle(), L"Corvalin Timer Software");
    EXPECT_EQ(balloon->Info(),
              L"has been minimized to the system tray.\r\n"
              L"Click on the blue 'V' icon (V for Vendrel) to bring the software back.");
    EXPECT_EQ(balloon->record.uTimeout, 5000u);

    ClickIcon(WM_LBUTTONUP);
    EXPECT_TRUE(IsWindowVisible(form.hwnd()));
    EXPECT_FALSE(IsIconic(form.hwnd()));
    EXPECT_FALSE(form.HiddenInTray);

    ShowWindow(form.hwnd(), SW_MINIMIZE);
    EXPECT_FALSE(IsWindowVisible(form.hwnd()));
    EXPECT_TRUE(form.HiddenInTray);
    EXPECT_EQ(Balloons(), 1u);
}

TEST_F(Form1Tray, EitherButtonReleasedOnTheIconBringsTheWindowBackButOtherEventsDoNot) {
    program.cSysTray1.ShowBalloon(L"", L"", 0, true);  // spend the one-time balloon
    ShowWindow(form.hwnd(), SW_MINIMIZE);
    ASSERT_FALSE(IsWindowVisible(form.hwnd()));
    ClickIcon(WM_MOUSEMOVE);
    ClickIcon(WM_RBUTTONDOWN);
    ClickIcon(WM_LBUTTONDBLCLK);
    EXPECT_FALSE(IsWindowVisible(form.hwnd()));
    ClickIcon(WM_RBUTTONUP);
    EXPECT_TRUE(IsWindowVisible(form.hwnd()));
    EXPECT_FALSE(form.HiddenInTray);
}

TEST_F(Form1Tray, CountdownTicksRunDuringTheBalloonWaitInsideStart) {
    // Start minimises the window and the balloon waits inside Start; the countdown already ticks
    // meanwhile. After three ticks the shell reports the balloon clicked, which ends the wait.
    SendMessageW(form.cboSecs(), CB_SETCURSEL, 9, 0);
    testsupport::Script shell;
    shell.Then([&] { return form.Timer1.TicksDelivered() >= 3; },
               [&] { PostMessageW(program.cSysTray1.OwnWindow(), kTrayCallback, 0, 1029); });
    form.PushButton1_Click();
    EXPECT_TRUE(shell.Finished());
    EXPECT_GE(form.Timer1.TicksDelivered(), 3u);
    // Hidden, the ticks come in a batch each displayed second; the display shows the last one.
    const auto shown = static_cast<std::int32_t>(100 - form.Timer1.TicksDelivered());
    EXPECT_EQ(testsupport::TextOf(form.lblTimer()), app::FormatCountdown(shown / 10, static_cast<std::int16_t>(shown % 10)));
    EXPECT_EQ(form.PushButton1.Caption(), L"Pause");
    EXPECT_TRUE(form.HiddenInTray);
    form.PushButton2_Click();
}

TEST_F(Form1Tray, AShellRestartAnnouncedToTheWindowPutsTheIconBack) {
    calls.clear();
    SendMessageW(program.hwnd(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    ASSERT_EQ(Calls(NIM_ADD), 1u);
    const auto add = std::find_if(calls.begin(), calls.end(), [](const traytest::ShellCall& c) { return c.message == NIM_ADD; });
    EXPECT_EQ(add->Tip(), L"Corvalin Timer Software");
    EXPECT_EQ(add->record.uCallbackMessage, kTrayCallback);
}

TEST_F(Form1Tray, WithoutItsIconTheWindowStaysOnTheTaskbarAndGoesBehindTheIconOnceItIsIn) {
    program.cSysTray1.ShowBalloon(L"", L"", 0, true);  // spend the one-time balloon
    refusals = 1000;
    traytest::Record(program.cSysTray1, calls, false, &refusals);
    SendMessageW(program.hwnd(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    const auto onTaskbar = [&] { return IsWindowVisible(form.hwnd()) && IsIconic(form.hwnd()) && !form.HiddenInTray; };
    SendMessageW(form.cboSecs(), CB_SETCURSEL, 30, 0);
    form.PushButton1_Click();
    EXPECT_TRUE(onTaskbar());
    refusals = 0;
    EXPECT_TRUE(testsupport::PumpUntil([&] { return !IsWindowVisible(form.hwnd()) && form.HiddenInTray; }, 5000));
    refusals = 1000;
    SendMessageW(program.hwnd(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(onTaskbar()) << "the icon lost while the window was behind it";
}

TEST_F(Form1Tray, ClosingRemovesTheIcon) {
    bool ended = false;
    program.onEnd = [&] { ended = true; };
    SendMessageW(form.hwnd(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(ended);
    EXPECT_EQ(Calls(NIM_DELETE), 1u);
    EXPECT_FALSE(program.cSysTray1.InTray());
}

TEST_F(Form1Tray, SessionEndShutsTheSoundPlayerDownAndRemovesTheIconWithoutAPrompt) {
    std::vector<std::wstring> reports;
    program.reporter = [&](const std::wstring& text) { reports.push_back(text); };
    bool ended = false;
    program.onEnd = [&] { ended = true; };
    sound::CreateNotifyWindow();
    ASSERT_NE(sound::NotifyWindow(), nullptr);
    testsupport::DialogWatcher watcher;

    EXPECT_EQ(SendMessageW(form.hwnd(), WM_QUERYENDSESSION, 0, 0), TRUE);
    // A session end that was called off changes nothing.
    SendMessageW(form.hwnd(), WM_ENDSESSION, FALSE, 0);
    EXPECT_TRUE(program.cSysTray1.InTray());
    EXPECT_FALSE(ended);

    SendMessageW(form.hwnd(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_EQ(Calls(NIM_DELETE), 1u);
    EXPECT_FALSE(program.cSysTray1.InTray());
    EXPECT_EQ(sound::NotifyWindow(), nullptr);
    EXPECT_TRUE(ended);
    EXPECT_EQ(watcher.Count(), 0u);
    EXPECT_TRUE(reports.empty());
}

TEST_F(Form1Tray, AStepThatFailsAtSessionEndIsNotReported) {
    std::vector<std::wstring> reports;
    program.reporter = [&](const std::wstring& text) { reports.push_back(text); };
    bool ended = false;
    program.onEnd = [&] { ended = true; };
    program.cSysTray1.UseShell([](DWORD message, NOTIFYICONDATAW&) -> BOOL {
        if (message == NIM_DELETE) throw core::HandlerError(L"Automation error");
        return TRUE;
    });
    SendMessageW(form.hwnd(), WM_ENDSESSION, TRUE, 0);
    EXPECT_TRUE(reports.empty());
    EXPECT_TRUE(ended);
    traytest::Record(program.cSysTray1, calls);
}

}  // namespace
