// Several timers in one program: new windows, labels, switches by label, records kept and brought
// back, and two alarms up at once.
#include "Form1Fixture.h"
#include "TestSupport.h"
#include "alarm/Form3.h"
#include "app/Form1.h"
#include "core/Files.h"
#include "core/Settings.h"
#include "resources/Layouts.h"

#include <gtest/gtest.h>

namespace {

using testsupport::TextOf;
using State = core::CountdownState;

// The windows a live region's event named, as a screen reader would hear of them.

class Form1Timers : public testsupport::ShownForm1 {
protected:
    static void Pick(app::Form1& timer, int hours, int minutes, int seconds) {
        SendMessageW(timer.cboHrs(), CB_SETCURSEL, hours, 0);
        SendMessageW(timer.cboMins(), CB_SETCURSEL, minutes, 0);
        SendMessageW(timer.cboSecs(), CB_SETCURSEL, seconds, 0);
        SendMessageW(timer.hwnd(), WM_COMMAND, MAKEWPARAM(layout::form1::cboSecs, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(timer.cboSecs()));
    }
    app::Form1& NewTimer() {
        SendMessageW(form.hwnd(), WM_SYSCOMMAND, app::Form1::kNewTimerCommand, 0);
        return *program.Timers().back();
    }
    std::optional<platform::TimerRecord> Stored(const std::wstring& id) {
        for (const platform::StoredTimer& timer : program.Records.LoadAll(app::UtcNow())) {
            if (timer.id == id) return timer.record;
        }
        return std::nullopt;
    }
    // Starts a timer of that many seconds and ticks it to its alarm.
    static void Ring(app::Form1& timer, int seconds) {
        Pick(timer, 0, 0, seconds);
        timer.PushButton1_Click();
        while (timer.countdown().State() != State::Ringing) timer.Timer1_Tick();
    }
    void Switch(app::CommandLineRequest::Kind kind, const std::wstring& label) {
        app::CommandLineRequest request;
        request.kind = kind;
        request.label = label;
        ASSERT_EQ(program.HandOver(request), app::kHandOverTaken);
        testsupport::PumpPending();
    }
};

TEST_F(Form1Timers, NewTimersOpenCascadedWithTheirLabelsAndRecordsAndTheSwitchesFindThemByLabel) {
    wchar_t item[32] = {};
    GetMenuStringW(GetSystemMenu(form.hwnd(), FALSE), app::Form1::kNewTimerCommand, item, 32, MF_BYCOMMAND);
    EXPECT_STREQ(item, L"&New Timer\tCtrl+N");
    // Ctrl+N typed in a timer's window, the pointer over it (keys go where the pointer is under Xvfb).
    ASSERT_TRUE(testsupport::MoveMouseOnto(testsupport::CentreOf(form.lblTimer())));
    SetForegroundWindow(form.hwnd());
    INPUT keys[4] = {};
    const WORD codes[4] = {VK_CONTROL, 'N', 'N', VK_CONTROL};
    for (int i = 0; i < 4; ++i) {
        keys[i].type = INPUT_KEYBOARD;
        keys[i].ki.wVk = codes[i];
        keys[i].ki.dwFlags = i < 2 ? 0 : KEYEVENTF_KEYUP;
    }
    SendInput(4, keys, sizeof(INPUT));
    ASSERT_TRUE(testsupport::RunProgramLoopUntil([&] { return program.Timers().size() == 2; }));
    app::Form1& tea = *program.Timers().back();
    RECT first{}, second{};
    GetWindowRect(form.hwnd(), &first);
    GetWindowRect(tea.hwnd(), &second);
    EXPECT_TRUE(second.left > first.left && second.top > first.top && IsWindowVisible(tea.hwnd()));
    EXPECT_EQ(TextOf(tea.hwnd()), L"Corvalin Timer Software");
    // "Label..." in its system menu asks for the label: text that is no label is refused with the rule.
    std::wstring refusal;
    testsupport::Script user;
    const auto answer = [](const wchar_t* text) {
        const HWND dialog = FindWindowW(L"#32770", L"Label");
        SetWindowTextW(GetDlgItem(dialog, 100), text);
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    };
    user.Then([] { return FindWindowW(L"#32770", L"Label") != nullptr; }, [&] { answer(L"Tea\a"); });
    user.Then([] { return FindWindowW(L"#32770", L"Corvalin Timer") != nullptr; }, [&] {
        const HWND box = FindWindowW(L"#32770", L"Corvalin Timer");
        refusal = TextOf(GetDlgItem(box, 0xFFFF));
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    user.Then([] { return !FindWindowW(L"#32770", L"Corvalin Timer"); }, [&] { answer(L"  Tea "); });
    SendMessageW(tea.hwnd(), WM_SYSCOMMAND, app::Form1::kLabelCommand, 0);
    EXPECT_EQ(refusal, L"A label is at most 40 characters of printable text.");
    EXPECT_EQ(TextOf(tea.hwnd()), L"Tea - Corvalin Timer Software");
    // Its picks are its record's; the stored settings stay the first timer's.
    Pick(tea, 0, 4, 0);
    EXPECT_NE(testsupport::RegistryText(HKEY_CURRENT_USER, core::kSettingsKeyPath, L"Minutes"), L"04");
    tea.PushButton1_Click();
    Pick(form, 0, 0, 9);
    form.PushButton1_Click();
    const auto running = Stored(L"2");
    ASSERT_TRUE(running);
    EXPECT_TRUE(running->label == L"Tea" && running->minutes == 4 && running->state == platform::TimerState::Running);
    EXPECT_NEAR(static_cast<double>(running->endsUtcMs - app::UtcNow()), 240'000.0, 2000.0);
    EXPECT_TRUE(testsupport::RunProgramLoopUntil([&] { return program.cSysTray1.TrayTip().find(L"\nTea 000:0") != std::wstring::npos; }))
        << testing::PrintToString(program.cSysTray1.TrayTip());

    // "/pause /label:Tea" pauses the tea alone; "/reset" resets every timer.
    Switch(app::CommandLineRequest::Kind::Pause, L"Tea");
    EXPECT_EQ(tea.PushButton1.Caption(), L"Start");
    EXPECT_EQ(form.PushButton1.Caption(), L"Pause");
    EXPECT_EQ(Stored(L"2")->state, platform::TimerState::Paused);
    Switch(app::CommandLineRequest::Kind::Reset, L"");
    EXPECT_TRUE(tea.PushButton1.Caption() == L"Start" && !form.Timer1.Enabled() && !tea.Timer1.Enabled());

    // A closed timer's record goes with it; twenty at most.
    SendMessageW(tea.hwnd(), WM_CLOSE, 0, 0);
    testsupport::PumpPending();
    EXPECT_TRUE(program.Timers().size() == 1 && !Stored(L"2"));
    testsupport::DialogWatcher boxes;
    for (int i = 1; i < 20; ++i) NewTimer();
    EXPECT_EQ(program.Timers().size(), 20u);
    // Cascaded from a main window hidden behind the tray icon, every new window is on the screen.
    for (app::Form1* timer : program.Timers()) {
        RECT rect{};
        GetWindowRect(timer->hwnd(), &rect);
        EXPECT_TRUE(timer == &form || MonitorFromRect(&rect, MONITOR_DEFAULTTONULL)) << rect.left << "," << rect.top;
    }
    SendMessageW(program.Timers().back()->hwnd(), WM_SYSCOMMAND, app::Form1::kNewTimerCommand, 0);
    EXPECT_EQ(program.Timers().size(), 20u);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, L"Corvalin Timer Software runs at most 20 timers at once. Close a timer to open another.");
}

TEST_F(Form1Timers, TheMainWindowClosedBeforeTheOthersGoesAwayComesBackForADurationAndTheLastCloseEnds) {
    bool ended = false;
    program.onEnd = [&] { ended = true; };
    app::Form1& tea = NewTimer();
    const auto closeMain = [&] {
        SendMessageW(program.Main().hwnd(), WM_CLOSE, 0, 0);
        testsupport::PumpPending();
        EXPECT_TRUE(!program.Find(L"1") && !ended && program.Timers().size() == 1);
        EXPECT_FALSE(Stored(L"1"));
    };
    closeMain();
    app::CommandLineRequest duration;
    duration.kind = app::CommandLineRequest::Kind::Duration;
    duration.seconds = 300;
    ASSERT_EQ(program.HandOver(duration), app::kHandOverTaken);
    testsupport::PumpPending();
    EXPECT_TRUE(program.Find(L"1") && program.Main().countdown().State() == core::CountdownState::Running);
    EXPECT_EQ(program.Timers().size(), 2u);
    Switch(app::CommandLineRequest::Kind::Reset, L"");
    closeMain();
    SendMessageW(tea.hwnd(), WM_CLOSE, 0, 0);
    testsupport::PumpPending();
    EXPECT_TRUE(ended);
}

TEST_F(Form1Timers, StoredTimersComeBackRunningPausedHiddenOrRingingForAnEndThatPassed) {
    const std::int64_t now = app::UtcNow();
    using State = platform::TimerState;
    ASSERT_TRUE(program.Records.Write(L"1", {L"", 0, 0, 30, State::Running, now + 20'000, 0, 0, 40, 40, false}));
    ASSERT_TRUE(program.Records.Write(L"2", {L"Tea", 0, 5, 0, State::Paused, 0, 120, 3, 100, 100, false}));
    ASSERT_TRUE(program.Records.Write(L"3", {L"Soup", 0, 10, 0, State::Running, now + 300'000, 0, 0, 0, 0, true}));
    ASSERT_TRUE(program.Records.Write(L"4", {L"Bread", 0, 0, 30, State::Running, now - 60'000, 0, 0, 0, 0, true}));
    // Its alarm was up when the program ended, a day ago.
    ASSERT_TRUE(program.Records.Write(L"5", {L"Cake", 0, 0, 30, State::Ringing, now - 26 * 3'600'000LL, 0, 0, 0, 0, false}));
    std::vector<std::wstring> balloons;
    program.cSysTray1.UseShell([&](DWORD, NOTIFYICONDATAW& record) -> BOOL {
        if ((record.uFlags & NIF_INFO) && record.szInfo[0]) balloons.push_back(record.szInfo);
        return TRUE;
    });
    testsupport::WindowAnswerer ok(L" Time Expired - Bread", layout::form2::PushButton1);
    testsupport::WindowAnswerer cake(L" Time Expired - Cake", layout::form2::PushButton1);
    ASSERT_TRUE(program.RestoreTimers());
    const std::vector<app::Form1*> timers = program.Timers();
    ASSERT_EQ(timers.size(), 5u);
    EXPECT_TRUE(form.countdown().State() == core::CountdownState::Running && form.countdown().SecondsLeft() >= 18);
    EXPECT_TRUE(TextOf(timers[1]->hwnd()) == L"Tea - Corvalin Timer Software" && IsWindowVisible(timers[1]->hwnd()));
    EXPECT_EQ(TextOf(timers[1]->lblTimer()), L"000:02:00.3");
    EXPECT_TRUE(timers[1]->countdown().State() == core::CountdownState::Paused && !IsWindowEnabled(timers[1]->cboHrs()));
    EXPECT_TRUE(timers[2]->HiddenInTray && !IsWindowVisible(timers[2]->hwnd()) && timers[2]->Timer1.Enabled());
    EXPECT_NEAR(timers[2]->countdown().SecondsLeft(), 299, 2);
    // The bread rang while the program was away: Time Expired at once, and the balloon says when.
    EXPECT_TRUE(testsupport::RunProgramLoopUntil([&] {
        return ok.Answers() == 1 && cake.Answers() == 1 && timers[3]->countdown().State() != core::CountdownState::Ringing &&
               !balloons.empty();
    }));
    ASSERT_EQ(balloons.size(), 1u);
    EXPECT_TRUE(balloons[0].starts_with(L"Bread ended at ") && balloons[0].find(L"\r\nCake ended at ") != std::wstring::npos &&
                balloons[0].find(L" on ") != std::wstring::npos)
        << testing::PrintToString(balloons[0]);
    EXPECT_EQ(timers[3]->countdown().State(), core::CountdownState::Idle);
    EXPECT_EQ(Stored(L"4")->state, State::Idle);
    // Had the shell refused the icon, the hidden soup would wait minimised on the taskbar instead.
    program.cSysTray1.InTray(false);
    program.KeepHiddenTimersReachable();
    EXPECT_TRUE(!timers[2]->HiddenInTray && IsWindowVisible(timers[2]->hwnd()) && IsIconic(timers[2]->hwnd()));
}

TEST_F(Form1Timers, TwoAlarmsComeUpApartRecordedRingingAndHoldEverythingButSwitchesUntilTheLastAnswer) {
    app::Form1& tea = NewTimer();
    tea.SetLabel(L"Tea");
    app::Form1& soup = NewTimer();
    soup.SetLabel(L"Soup");
    Pick(soup, 0, 5, 0);
    soup.PushButton1_Click();
    soup.Timer1_Tick();
    for (app::Form1* timer : {&form, &tea}) {
        Pick(*timer, 0, 0, 1);
        timer->PushButton1_Click();
        while (timer->countdown().State() != core::CountdownState::Ringing) timer->Timer1_Tick();
    }
    const HWND first = FindWindowW(L"CorvalinForm2", L" Time Expired");
    const HWND second = FindWindowW(L"CorvalinForm2", L" Time Expired - Tea");
    ASSERT_TRUE(first && second);
    RECT a{}, b{};
    GetWindowRect(first, &a);
    GetWindowRect(second, &b);
    EXPECT_TRUE(b.left > a.left && b.top > a.top) << "the second alarm is set down and right of the first";
    // Kept as ringing, with its real end, until answered: a program ended now rings again at its start.
    EXPECT_EQ(Stored(L"2")->state, platform::TimerState::Ringing);
    EXPECT_NEAR(static_cast<double>(Stored(L"2")->endsUtcMs - app::UtcNow()), 0.0, 3000.0);
    EXPECT_EQ(program.AlarmBuffer.ringing, 2);
    EXPECT_TRUE(IsWindowEnabled(first) && IsWindowEnabled(second));
    // A switch asks nothing: it acts at once on the timer it names, and leaves a ringing one alone.
    Switch(app::CommandLineRequest::Kind::Pause, L"");
    EXPECT_TRUE(soup.countdown().State() == core::CountdownState::Paused &&
                tea.countdown().State() == core::CountdownState::Ringing);
    // The tea's answer comes first: the main timer's alarm still holds the windows, the sound and the
    // computer.
    SendMessageW(GetDlgItem(second, layout::form2::PushButton1), BM_CLICK, 0, 0);
    EXPECT_TRUE(testsupport::AlarmAnswered(tea));
    EXPECT_FALSE(IsWindowEnabled(form.hwnd()) || IsWindowEnabled(tea.hwnd()) || IsWindowEnabled(soup.hwnd()));
    EXPECT_TRUE(program.AlarmBuffer.ringing == 1 && program.AlarmAttention.KeepingAwake());
    EXPECT_TRUE(Stored(L"1")->state == platform::TimerState::Ringing && Stored(L"2")->state == platform::TimerState::Idle);
    SendMessageW(GetDlgItem(first, layout::form2::PushButton1), BM_CLICK, 0, 0);
    EXPECT_TRUE(testsupport::AlarmAnswered(form));
    EXPECT_TRUE(IsWindowEnabled(form.hwnd()) && IsWindowEnabled(tea.hwnd()));
    EXPECT_TRUE(program.AlarmBuffer.ringing == 0 && !program.AlarmAttention.KeepingAwake());
    // A ringing timer closed (a task list's close) asks nothing and takes its alarm along.
    soup.PushButton1_Click();
    while (soup.countdown().State() != core::CountdownState::Ringing) soup.Timer1_Tick();
    testsupport::WindowAnswerer question(L"Corvalin Timer", IDNO);
    SendMessageW(soup.hwnd(), WM_CLOSE, 0, 0);
    testsupport::PumpPending();
    EXPECT_TRUE(question.Answers() == 0 && program.Timers().size() == 2u && !Stored(L"3"));
    EXPECT_TRUE(program.AlarmBuffer.ringing == 0 && !program.AlarmAttention.KeepingAwake() &&
                IsWindowEnabled(form.hwnd()));
}

TEST_F(Form1Timers, AlarmOptionsOpenedFromTwoTimersLeavesNoWindowHiddenOutsideTheTray) {
    app::Form1& tea = NewTimer();
    // The program's own alarm sound, built beside the program: Alarm Options closes on it.
    program.Form3().SetText1Text(core::ProgramFolder() + L"\\..\\alarm.wav");
    const auto reachable = [&] {
        for (app::Form1* timer : program.Timers()) {
            if (!IsWindowVisible(timer->hwnd()) && !timer->HiddenInTray && timer->hwnd() != program.AlarmOptionsReturnsTo()) {
                return false;
            }
        }
        return true;
    };
    tea.PushButton3_Click();
    form.PushButton3_Click();
    EXPECT_TRUE(IsWindowVisible(tea.hwnd()) && !IsWindowVisible(form.hwnd()) && reachable());
    // The tea rings hidden behind the tray icon while Alarm Options is open: answered, it stays in
    // sight, and Alarm Options in front of it.
    Pick(tea, 0, 0, 1);
    tea.PushButton1_Click();
    while (tea.countdown().State() != core::CountdownState::Ringing) tea.Timer1_Tick();
    SendMessageW(GetDlgItem(FindWindowW(L"CorvalinForm2", nullptr), layout::form2::PushButton1), BM_CLICK, 0, 0);
    EXPECT_TRUE(testsupport::AlarmAnswered(tea));
    EXPECT_TRUE(IsWindowVisible(tea.hwnd()) && reachable());
    SendMessageW(program.Form3().hwnd(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindowVisible(form.hwnd()) && IsWindowVisible(tea.hwnd()));
}

TEST_F(Form1Timers, ASnoozeRunsTheSameTimerAgainForItsMinutesAndLeavesThePicksForRestart) {
    app::Form1& tea = NewTimer();
    tea.SetLabel(L"Tea");
    Ring(tea, 2);
    const HWND expired = FindWindowW(L"CorvalinForm2", L" Time Expired - Tea");
    ASSERT_TRUE(expired);
    EXPECT_TRUE(TextOf(GetDlgItem(expired, layout::form2::lblEnded)).starts_with(L"Ended at "));
    SendMessageW(GetDlgItem(expired, layout::form2::PushButton3), BM_CLICK, 0, 0);
    EXPECT_TRUE(testsupport::AlarmAnswered(tea));
    EXPECT_FALSE(IsWindow(expired));
    EXPECT_TRUE(tea.countdown().State() == State::Running && tea.countdown().SecondsLeft() == 60);
    EXPECT_TRUE(IsIconic(tea.hwnd()) || !IsWindowVisible(tea.hwnd()));
    EXPECT_TRUE(tea.Label() == L"Tea" && SendMessageW(tea.cboSecs(), CB_GETCURSEL, 0, 0) == 2);
    const auto stored = Stored(tea.Id());
    ASSERT_TRUE(stored);
    EXPECT_TRUE(stored->state == platform::TimerState::Running && stored->seconds == 2);
    EXPECT_NEAR(static_cast<double>(stored->endsUtcMs - app::UtcNow()), 60'000.0, 2000.0);
    tea.Timer1_Tick();
    EXPECT_TRUE(TextOf(tea.lblTimer()).starts_with(L"000:01:00."));
    // Rung again, Restart runs the picks.
    while (tea.countdown().State() != State::Ringing) tea.Timer1_Tick();
    SendMessageW(GetDlgItem(FindWindowW(L"CorvalinForm2", nullptr), layout::form2::PushButton2), BM_CLICK, 0, 0);
    EXPECT_TRUE(testsupport::AlarmAnswered(tea));
    EXPECT_EQ(tea.countdown().SecondsLeft(), 2);
}

TEST_F(Form1Timers, AddedTimeLengthensRunningAndPausedTimersSnoozesRingingOnesAndIsRefusedWithNothingToAddTo) {
    app::Form1& tea = NewTimer();
    app::Form1& bread = NewTimer();
    app::Form1& soup = NewTimer();
    soup.SetLabel(L"Soup");
    Pick(form, 0, 5, 0);
    form.PushButton1_Click();
    Pick(tea, 0, 4, 0);
    tea.PushButton1_Click();
    tea.Timer1_Tick();
    tea.PushButton1_Click();
    Ring(bread, 1);
    const std::int64_t ends = form.countdown().EndsAt();
    app::CommandLineRequest add = app::ParseCommandLine({L"/add:5m"});
    ASSERT_EQ(program.HandOver(add), app::kHandOverTaken);
    EXPECT_TRUE(testsupport::AlarmAnswered(bread));
    EXPECT_EQ(form.countdown().EndsAt(), ends + 300'000);
    EXPECT_EQ(TextOf(tea.lblTimer()), L"000:09:00.8");
    EXPECT_TRUE(tea.countdown().State() == State::Paused && Stored(tea.Id())->secondsLeft == 540);
    EXPECT_TRUE(bread.countdown().State() == State::Running && bread.countdown().SecondsLeft() == 300);
    EXPECT_EQ(soup.countdown().State(), State::Idle);
    add.label = L"Soup";
    EXPECT_EQ(program.HandOver(add), app::RefusalAnswer(app::CommandLineRequest::Problem::NothingToAdd));
}

TEST_F(Form1Timers, TimeExpiredsLineIsAnnouncedAsALiveRegionWhenItAppears) {
    testsupport::LiveRegionWatcher liveRegions;
    ASSERT_TRUE(liveRegions.Hooked());
    Ring(form, 1);
    const HWND line = GetDlgItem(FindWindowW(L"CorvalinForm2", nullptr), layout::form2::lblEnded);
    EXPECT_TRUE(testsupport::RunProgramLoopUntil([&] { return !liveRegions.Events().empty(); }));
    EXPECT_EQ(liveRegions.Events(), std::vector<HWND>{line});
    SendMessageW(GetParent(line), WM_CLOSE, 0, 0);
    EXPECT_TRUE(testsupport::AlarmAnswered(form));
}

}  // namespace
