// The countdown in a real main window: the state table, tick timing, pause and resume, reports.
#include "Form1Fixture.h"
#include "TestSupport.h"
#include "alarm/Form3.h"
#include "app/CountdownDisplay.h"
#include "app/Form1.h"
#include "app/TimerProgram.h"
#include "core/Program.h"
#include "resources/Layouts.h"
#include "sound/SoundManager.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using testsupport::DialogWatcher;
using testsupport::TextOf;
using testsupport::WindowAnswerer;
using testsupport::WindowWatcher;

constexpr EXECUTION_STATE kCounting = ES_SYSTEM_REQUIRED;
constexpr EXECUTION_STATE kAlarm = ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED;

class Form1Countdown : public testsupport::ShownForm1 {
protected:
    void Pick(HWND picker, const wchar_t* text) {
        const LRESULT index =
            SendMessageW(picker, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
        ASSERT_NE(index, CB_ERR);
        SendMessageW(picker, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
    void Set(const wchar_t* h, const wchar_t* m, const wchar_t* s) {
        Pick(form.cboHrs(), h);
        Pick(form.cboMins(), m);
        Pick(form.cboSecs(), s);
    }
    // The tick handler runs directly here, so the count of ticks is exact and nothing else pumps but
    // the program's loop after the tick that brings Time Expired up, until its answer is taken.
    void Ticks(int n) {
        for (int i = 0; i < n; ++i) {
            form.Timer1_Tick();
            if (form.countdown().State() == core::CountdownState::Ringing) { EXPECT_TRUE(testsupport::AlarmAnswered(form)); }
        }
    }
    std::wstring Display() { return TextOf(form.lblTimer()); }
    bool PickersEnabled() {
        return IsWindowEnabled(form.cboHrs()) && IsWindowEnabled(form.cboMins()) && IsWindowEnabled(form.cboSecs());
    }
    bool PickersDisabled() {
        return !IsWindowEnabled(form.cboHrs()) && !IsWindowEnabled(form.cboMins()) &&
               !IsWindowEnabled(form.cboSecs());
    }
    void ExpectIdle() {
        EXPECT_EQ(form.PushButton1.Caption(), L"Start");
        EXPECT_EQ(Display(), L"000:00:00.0");
        EXPECT_FALSE(form.Timer1.Enabled());
        EXPECT_EQ(form.Timer1.Interval(), 0);
        EXPECT_TRUE(PickersEnabled());
    }
    // Records the execution states asked of the system; the input clock, just before its wrap, is ours.
    void ListenToTheHold(app::TimerProgram& p) {
        p.AlarmAttention.UseSystem({{}, [&](EXECUTION_STATE s) { held.push_back(s); }, [&] { return now; }, [&] { return lastInput; }});
    }
    void TearDown() override { program.AlarmAttention.UseSystem({}); }
    std::vector<EXECUTION_STATE> held;
    DWORD now = 0xFFFFF000;
    DWORD lastInput = now - 1000;
};

TEST_F(Form1Countdown, StartsIdleWithTheListsFilled) {
    ExpectIdle();
    EXPECT_EQ(SendMessageW(form.cboHrs(), CB_GETCOUNT, 0, 0), 24);
    EXPECT_EQ(SendMessageW(form.cboMins(), CB_GETCOUNT, 0, 0), 60);
    EXPECT_EQ(SendMessageW(form.cboSecs(), CB_GETCOUNT, 0, 0), 60);
    EXPECT_EQ(TextOf(form.hwnd()), L"Corvalin Timer Software");
    EXPECT_EQ(core::program::AppTitle, L"Corvalin Timer");
}

TEST_F(Form1Countdown, StartRunsMinimisesAndGreysThePickers) {
    Set(L"00", L"00", L"05");
    form.PushButton1_Click();
    EXPECT_EQ(form.PushButton1.Caption(), L"Pause");
    EXPECT_TRUE(PickersDisabled());
    EXPECT_TRUE(form.Timer1.Enabled());
    EXPECT_EQ(form.Timer1.Interval(), 100);
    // Minimised behind the tray icon.
    EXPECT_FALSE(IsWindowVisible(form.hwnd()));
    EXPECT_TRUE(form.HiddenInTray);
    EXPECT_EQ(form.countdown().SecondsLeft(), 5);
    EXPECT_EQ(form.countdown().TenthsLeft(), 9);
    Ticks(1);
    EXPECT_EQ(Display(), L"000:00:05.9");
    Ticks(10);
    EXPECT_EQ(Display(), L"000:00:04.9");
}

TEST_F(Form1Countdown, OneSecondExpiresOnTheTwentiethTick) {
    Set(L"00", L"00", L"01");
    form.PushButton1_Click();
    Ticks(1);
    EXPECT_EQ(Display(), L"000:00:01.9");
    Ticks(18);
    EXPECT_EQ(Display(), L"000:00:00.1");
    EXPECT_EQ(form.PushButton1.Caption(), L"Pause");
    WindowAnswerer ok(L" Time Expired", layout::form2::PushButton1);
    Ticks(1);
    EXPECT_EQ(ok.Answers(), 1);
    // Expired: the window is back on screen and the countdown reset.
    ExpectIdle();
    EXPECT_TRUE(IsWindowVisible(form.hwnd()));
    EXPECT_FALSE(IsIconic(form.hwnd()));
    EXPECT_FALSE(form.HiddenInTray);
}

TEST_F(Form1Countdown, LongestDurationsFirstShowTheirFullValue) {
    Set(L"23", L"59", L"59");
    form.PushButton1_Click();
    EXPECT_EQ(form.countdown().SecondsLeft(), 86399);
    Ticks(1);
    EXPECT_EQ(Display(), L"023:59:59.9");
    form.PushButton2_Click();

    // Ten hours do not overflow the sum.
    Set(L"10", L"00", L"00");
    form.PushButton1_Click();
    EXPECT_EQ(form.countdown().SecondsLeft(), 36000);
    Ticks(1);
    EXPECT_EQ(Display(), L"010:00:00.9");
}

TEST_F(Form1Countdown, PauseHoldsTheValueAndStartResumesFromIt) {
    Set(L"00", L"01", L"00");
    form.PushButton1_Click();
    Ticks(14);
    EXPECT_EQ(Display(), L"000:00:59.6");
    form.PushButton1_Click();  // pause
    EXPECT_EQ(form.PushButton1.Caption(), L"Start");
    EXPECT_FALSE(form.Timer1.Enabled());
    EXPECT_EQ(form.Timer1.Interval(), 0);
    EXPECT_TRUE(PickersDisabled());
    EXPECT_EQ(Display(), L"000:00:59.6");

    // The pickers change while paused: resuming must not reload from them.
    Set(L"05", L"00", L"00");
    ShowWindow(form.hwnd(), SW_RESTORE);
    form.PushButton1_Click();  // resume
    EXPECT_EQ(form.PushButton1.Caption(), L"Pause");
    Ticks(1);
    EXPECT_EQ(Display(), L"000:00:59.5");
}

TEST_F(Form1Countdown, ResetFromRunningOrPausedReturnsToIdleAndReloadsNextTime) {
    Set(L"00", L"00", L"30");
    form.PushButton1_Click();
    Ticks(3);
    form.PushButton2_Click();
    ExpectIdle();

    form.PushButton1_Click();
    Ticks(2);
    form.PushButton1_Click();  // pause
    form.PushButton2_Click();
    ExpectIdle();

    Set(L"00", L"00", L"07");
    form.PushButton1_Click();
    Ticks(1);
    EXPECT_EQ(Display(), L"000:00:07.9");
}

TEST_F(Form1Countdown, StartWithAllZeroAsksToSetTheTimerAndChangesNothingElse) {
    DialogWatcher watcher;
    form.PushButton1_Click();
    const auto boxes = watcher.Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, L"You forgot to set the timer.");
    EXPECT_EQ(boxes[0].caption, L"Corvalin Timer");
    EXPECT_FALSE(boxes[0].hasIcon);
    ExpectIdle();
    EXPECT_FALSE(IsIconic(form.hwnd()));
    EXPECT_TRUE(IsWindowVisible(form.hwnd()));
    EXPECT_EQ(GetFocus(), form.cboHrs());
}

TEST_F(Form1Countdown, EmptyPickerIsReportedAtLine102ThenAsksToSetTheTimer) {
    Set(L"00", L"02", L"00");
    SendMessageW(form.cboHrs(), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    DialogWatcher watcher;
    form.PushButton1_Click();
    const auto boxes = watcher.Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].caption, L"Application Error");
    EXPECT_TRUE(boxes[0].hasIcon);
    EXPECT_NE(boxes[0].text.find(L"in CorvalinTimer2021/08/31.Form1.PushButton1_Click at line 102\r\r"),
              std::wstring::npos);
    EXPECT_EQ(boxes[1].text, L"You forgot to set the timer.");
    ExpectIdle();
}

TEST_F(Form1Countdown, RealTimerExpiresAfterExactlyTwentyTicks) {
    Set(L"00", L"00", L"01");
    int ticks = 0;
    std::wstring first;
    // Count the real ticks through the label: each tick writes it once.
    WindowAnswerer ok(L" Time Expired", layout::form2::PushButton1);
    form.PushButton1_Click();
    ASSERT_TRUE(testsupport::PumpUntil(
        [&] {
            if (first.empty() && Display() != app::kIdleDisplay) first = Display();
            return form.PushButton1.Caption() == L"Start";
        },
        5000));
    EXPECT_TRUE(testsupport::AlarmAnswered(form));
    ticks = static_cast<int>(form.Timer1.TicksDelivered());
    EXPECT_EQ(first, L"000:00:01.9");
    EXPECT_EQ(ticks, 20);
    ExpectIdle();
    EXPECT_TRUE(IsWindowVisible(form.hwnd()));
}

TEST_F(Form1Countdown, MissingAlarmFile_TheSystemsSoundPlaysInstead) {
    int fallbacks = 0;
    const sound::SoundSystem platform = sound::SoundSystem::Platform();
    sound::UseSystem({platform.openDevice, [&] { ++fallbacks; }, platform.queryFormat});
    program.Form3().SetText1Text(L"C:\\no such alarm.wav");
    Set(L"00", L"00", L"01");
    form.PushButton1_Click();
    WindowAnswerer ok(L" Time Expired", layout::form2::PushButton1);
    Ticks(20);
    sound::UseSystem(sound::SoundSystem::Platform());
    EXPECT_EQ(fallbacks, 1);
}

TEST_F(Form1Countdown, ClosingAsksFirstWhileACountdownIsLoadedButNotWhenIdleNorAtTheSessionsEnd) {
    bool ended = false;
    program.onEnd = [&] { ended = true; };
    // Closes as the close box does and answers the question; returns it, with No as its default.
    const auto closeAnswering = [&](int answer) {
        std::wstring question;
        WindowWatcher asker(L"Corvalin Timer", [&](HWND box) {
            const bool noIsDefault = (GetWindowLongW(GetDlgItem(box, IDNO), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
            question = TextOf(GetDlgItem(box, 0xFFFF)) + (noIsDefault ? L" (No)" : L"");
            PostMessageW(GetDlgItem(box, answer), BM_CLICK, 0, 0);
        });
        SendMessageW(form.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
        return question;
    };
    Set(L"00", L"00", L"09");
    form.PushButton1_Click();
    Ticks(11);
    EXPECT_EQ(closeAnswering(IDNO), L"A countdown is running with 000:00:08 left. Close the timer? (No)");
    EXPECT_FALSE(ended);
    EXPECT_EQ(form.PushButton1.Caption(), L"Pause");
    {  // It ends while the question is up: the question goes as No; the window takes input afterwards.
        WindowAnswerer ok(L" Time Expired", layout::form2::PushButton1);
        HWND left = nullptr;  // a question left behind, answered so that the close returns
        testsupport::Script script;
        script.Then([] { return FindWindowW(L"#32770", nullptr) != nullptr; },
                    [&] { while (form.PushButton1.Caption() == L"Pause") form.Timer1_Tick(); });
        script.Then([&] { return ok.Answers() == 1; }, [&] { if ((left = FindWindowW(L"#32770", nullptr))) PostMessageW(left, WM_COMMAND, IDNO, 0); });
        SendMessageW(form.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_TRUE(testsupport::AlarmAnswered(form));
        EXPECT_TRUE(ok.Answers() == 1 && left == nullptr && !ended && IsWindowEnabled(form.hwnd()));
    }
    form.PushButton1_Click();  // start again, then pause
    Ticks(1);
    form.PushButton1_Click();
    const std::wstring paused = closeAnswering(IDYES);
    EXPECT_TRUE(paused.starts_with(L"A countdown is paused with 000:00:0")) << testing::PrintToString(paused);
    EXPECT_EQ(program.AlarmAttention.Held(), 0u);
    EXPECT_TRUE(ended);


    // Whether a main window, idle or holding a paused countdown, ends the program on the message
    // without a question (which would be answered No and keep it).
    const auto endsUnasked = [](bool loaded, UINT message, WPARAM wParam, LPARAM lParam) {
        app::TimerProgram otherProgram;
        app::Form1& other = otherProgram.Main();
        bool ended = false;
        otherProgram.onEnd = [&] { ended = true; };
        otherProgram.Create();
        otherProgram.cSysTray1.ShowBalloon(L"", L"", 0, true);
        if (loaded) {
            SendMessageW(other.cboSecs(), CB_SETCURSEL, 5, 0);
            other.PushButton1_Click();
            other.Timer1_Tick();
            other.PushButton1_Click();
        }
        WindowAnswerer no(L"Corvalin Timer", IDNO);
        SendMessageW(other.hwnd(), message, wParam, lParam);
        return ended && no.Answers() == 0;
    };
    EXPECT_TRUE(endsUnasked(false, WM_CLOSE, 0, 0));
    EXPECT_TRUE(endsUnasked(true, WM_CLOSE, 0, app::Form1::kCloseForSetup));
    EXPECT_TRUE(endsUnasked(true, WM_ENDSESSION, TRUE, 0));
}

TEST_F(Form1Countdown, ButtonsAnswerClicksFromOutside) {
    Set(L"00", L"00", L"03");
    SendMessageW(form.PushButton1.hwnd(), BM_CLICK, 0, 0);
    EXPECT_EQ(TextOf(form.PushButton1.hwnd()), L"Pause");
    SendMessageW(form.PushButton2.hwnd(), BM_CLICK, 0, 0);
    ExpectIdle();
}

TEST_F(Form1Countdown, TheComputerIsHeldAwakeExactlyWhileACountdownRuns) {
    ListenToTheHold(program);
    Set(L"00", L"00", L"01");
    form.PushButton1_Click();  // start
    form.PushButton1_Click();  // pause
    form.PushButton1_Click();  // resume
    form.PushButton2_Click();  // reset
    form.PushButton1_Click();
    // At the end the display is held too while Time Expired is up; its restart counts again.
    WindowAnswerer restart(L" Time Expired", layout::form2::PushButton2);
    Ticks(20);
    ASSERT_EQ(restart.Answers(), 1);
    // A main window destroyed without its close gives it back too.
    DestroyWindow(form.hwnd());
    // The alarm's hold comes before the countdown's ends: never a moment with none.
    EXPECT_EQ(held, (std::vector<EXECUTION_STATE>{kCounting, 0, kCounting, 0, kCounting, kAlarm, 0, kCounting, 0}));
}

TEST_F(Form1Countdown, TheAlarmLetsTheComputerSleepAfterTenMinutesWithNobodyAtTheKeyboard) {
    ListenToTheHold(program);
    Set(L"00", L"00", L"01");
    form.PushButton1_Click();
    const DWORD up = now;
    std::vector<EXECUTION_STATE> seen;  // ~0: Time Expired gone
    const auto lookAt = [&](DWORD after) {
        now = up + after;
        program.AlarmAttention.CheckPresence();
        seen.push_back(testsupport::TimeExpiredWindow() ? program.AlarmAttention.Held() : ~0ul);
    };
    testsupport::Script script;
    script.Then([] { return testsupport::TimeExpiredWindow() != nullptr; }, [&] {
        lookAt(ui::kAlarmAwayMs - 1);
        lastInput = up + 60'000;  // the user moved the mouse a minute in
        lookAt(ui::kAlarmAwayMs + 1000);
        lookAt(60'000 + ui::kAlarmAwayMs);
        PostMessageW(GetDlgItem(testsupport::TimeExpiredWindow(), layout::form2::PushButton1), BM_CLICK, 0, 0);
    });
    Ticks(20);
    EXPECT_EQ(seen, (std::vector<EXECUTION_STATE>{kAlarm, kAlarm, 0}));
    EXPECT_EQ(held, (std::vector<EXECUTION_STATE>{kCounting, kAlarm, 0}));
}

}  // namespace
