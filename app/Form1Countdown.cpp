// The countdown engine of the main window: Start/Pause, Reset and the tick of Timer1. It counts ticks
// and never reads a clock; part of its state lives in the controls (the Start/Pause caption and the
// display text decide what a click does).
#include "app/Form1.h"

#include "alarm/Form2.h"
#include "alarm/Form3.h"
#include "app/Conversions.h"
#include "app/CountdownDisplay.h"
#include "core/Files.h"
#include "core/Program.h"
#include "sound/SoundManager.h"
#include "ui/Backdrop.h"

namespace app {

CountdownState Form1::CountdownStateNow() const {
    // The state as the engine keeps it in its controls: a display other than the idle text holds a
    // countdown (until its first tick a fresh one still shows the idle text, and counts as none), the
    // caption says whether it runs.
    if (ui::WindowText(lblTimer_) == kIdleDisplay) return CountdownState::Idle;
    return PushButton1.Caption() == L"Pause" ? CountdownState::Running : CountdownState::Paused;
}

void Form1::PushButton1_Click() {
    core::Trap trap(L"Form1.PushButton1_Click", reporter);
    if (trap.Test(100, [&] { return PushButton1.Caption() == L"Start"; })) {
        const bool allZero = trap.Test(102, [&] {
            // All three are converted before the comparison, so any picker that is not a number fails it.
            const std::int16_t hours = ToInteger16(PickerText(cboHrs_));
            const std::int16_t minutes = ToInteger16(PickerText(cboMins_));
            const std::int16_t seconds = ToInteger16(PickerText(cboSecs_));
            return hours == 0 && minutes == 0 && seconds == 0;
        });
        if (allZero) {
            trap.Step(104, [] { core::ShowUserMessage(L"You forgot to set the timer."); });
            trap.Step(106, [&] { SetFocus(cboHrs_); });
            return;
        }
        trap.Step(108, [&] { PushButton1.SetCaption(L"Pause"); });
        trap.Step(110, [&] { EnableWindow(cboHrs_, FALSE); });
        trap.Step(112, [&] { EnableWindow(cboMins_, FALSE); });
        trap.Step(114, [&] { EnableWindow(cboSecs_, FALSE); });
        if (trap.Test(116, [&] { return ui::WindowText(lblTimer_) == kIdleDisplay; })) {
            trap.Step(118, [&] { TenthsLeft = 9; });
            trap.Step(120, [&] {
                const std::int32_t seconds = ToInteger16(PickerText(cboSecs_));
                const std::int32_t minutes = ToInteger16(PickerText(cboMins_));
                const std::int32_t hours = ToInteger16(PickerText(cboHrs_));
                SecondsLeft = seconds + 60 * minutes + 3600 * hours;
            });
        }
        trap.Step(122, [&] { Timer1.SetEnabled(true); });
        trap.Step(124, [&] { Timer1.SetInterval(100); });
        // Minimising runs the resize handling before it returns, which may pump messages while the
        // tray balloon shows: the first ticks can run before this handler has returned.
        trap.Step(126, [&] { ShowWindow(hwnd(), SW_MINIMIZE); });
        return;
    }
    trap.Step(128, [&] { Timer1.SetEnabled(false); });
    trap.Step(130, [&] { Timer1.SetInterval(0); });
    trap.Step(132, [&] { PushButton1.SetCaption(L"Start"); });
}

void Form1::PushButton2_Click() {
    core::Trap trap(L"Form1.PushButton2_Click", reporter);
    trap.Step(100, [&] { Timer1.SetEnabled(false); });
    trap.Step(102, [&] { Timer1.SetInterval(0); });
    trap.Step(104, [&] { PushButton1.SetCaption(L"Start"); });
    trap.Step(106, [&] { SetWindowTextW(lblTimer_, kIdleDisplay); });
    trap.Step(108, [&] { EnableWindow(cboHrs_, TRUE); });
    trap.Step(110, [&] { EnableWindow(cboMins_, TRUE); });
    trap.Step(112, [&] { EnableWindow(cboSecs_, TRUE); });
}

void Form1::Timer1_Tick() {
    core::Trap trap(L"Form1.Timer1", reporter);
    trap.Step(118, [&] {
        // In a catch-up after a sleep the next tick replaces this text before any message could
        // paint or read it: only the last tick of a run and the expiring tick (the one that shows
        // the last tenth) write it, so that a long sleep does not hold up the alarm.
        if (Timer1.AnotherTickFollows() && TicksLeft(SecondsLeft, TenthsLeft) > 1) return;
        SetWindowTextW(lblTimer_, FormatCountdown(SecondsLeft, TenthsLeft).c_str());
    });
    trap.Step(120, [&] { --TenthsLeft; });
    if (trap.Test(122, [&] { return TenthsLeft < 0; })) {
        trap.Step(124, [&] { TenthsLeft = 9; });
        trap.Step(126, [&] { --SecondsLeft; });
    }
    if (!trap.Test(128, [&] { return SecondsLeft < 0; })) return;

    // An alarm that rings while another program has the keyboard leaves that program its keystrokes:
    // the windows come up without being activated (Time Expired, topmost, flashes instead).
    const bool front = ui::ProgramHasForeground();
    trap.Step(130, [&] { PushButton1.SetCaption(L"Start"); });
    trap.Step(132, [&] { Timer1.SetEnabled(false); });
    trap.Step(134, [&] { Timer1.SetInterval(0); });
    trap.Step(136, [&] {
        if (IsIconic(hwnd())) ShowWindow(hwnd(), front ? SW_RESTORE : SW_SHOWNOACTIVATE);
    });
    trap.Step(138, [&] {
        ShowWindow(hwnd(), front ? SW_SHOW : SW_SHOWNA);
        if (front) SetForegroundWindow(hwnd());
    });
    trap.Step(140, [] { core::program::HiddenInTray = false; });
    // The path is what the Alarm Options box holds now, even while that window is open and edited.
    std::wstring alarmPath;
    if (trap.Test(142, [&] {
            alarmPath = form3_->Text1Text();
            return core::FileListed(alarmPath);
        })) {
        trap.Line(144);
        trap.Step(146, [] { core::program::AlarmBuffer = sound::FindFreeBuffer(); });
        trap.Step(148, [&] { sound::Load(core::program::AlarmBuffer, alarmPath, sound::UnloadWhenDone); });
        trap.Step(150, [] { sound::Play(core::program::AlarmBuffer); });
    }
    trap.Step(152, [] { core::program::RestartRequested = false; });
    // The tick waits here until the window is closed; the timer is off, so no tick nests inside.
    trap.Step(154, [&] { alarm::Form2(reporter, AlarmAttention).ShowModal(hwnd()); });
    trap.Step(156, [&] { PushButton2_Click(); });
    if (trap.Test(158, [] { return core::program::RestartRequested; })) {
        trap.Step(160, [&] { PushButton1_Click(); });
    }
}

}  // namespace app
