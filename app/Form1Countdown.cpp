// A timer's countdown engine: Start/Pause, Reset and the tick of Timer1. The countdown's state lives in
// its object, which counts ticks; the caption and the display are drawn from it. The expiring tick shows
// Time Expired and returns; what follows the alarm runs once it is answered.
#include "app/Form1.h"

#include "alarm/Form2.h"
#include "alarm/Form3.h"
#include "app/Conversions.h"
#include "app/CountdownDisplay.h"
#include "app/RecentDurations.h"
#include "app/TimerProgram.h"
#include "core/Files.h"
#include "core/Modal.h"
#include "core/Program.h"
#include "sound/SoundManager.h"
#include "ui/Backdrop.h"
#include "ui/Messages.h"

#include <functional>
#include <optional>

namespace app {
namespace {

// What the answer posted by Time Expired carries: the restart, and what the expiry found.
WPARAM const kRestart = 1;
WPARAM const kOptionsOpen = 2;
WPARAM const kWasShown = 4;

}  // namespace

void Form1::ShowStartPause() {
    PushButton1.SetCaption(countdown_.State() == CountdownState::Running ? L"Pause" : L"Start");
}

void Form1::ShowDisplay() {
    SetWindowTextW(lblTimer_, FormatCountdown(countdown_.SecondsLeft(), countdown_.TenthsLeft()).c_str());
}

void Form1::PushButton1_Click() {
    core::Trap trap(L"Form1.PushButton1_Click", program_.reporter);
    if (trap.Test(100, [&] { return countdown_.State() != CountdownState::Running; })) {
        const bool allZero = trap.Test(102, [&] {
            // A snooze runs its own length, whatever the picks.
            if (snoozeLength_) return false;
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
        trap.Step(108, [&] {
            countdown_.Run(UtcNow());
            ShowStartPause();
        });
        trap.Step(110, [&] { EnableWindow(cboHrs_, FALSE); });
        trap.Step(112, [&] { EnableWindow(cboMins_, FALSE); });
        trap.Step(114, [&] { EnableWindow(cboSecs_, FALSE); });
        if (trap.Test(116, [&] { return !countdown_.Ticked(); })) {
            // The load at 120 sets the tenths digit with the length.
            trap.Line(118);
            trap.Step(120, [&] {
                if (snoozeLength_) return countdown_.Load(*snoozeLength_);
                const std::int32_t seconds = ToInteger16(PickerText(cboSecs_));
                const std::int32_t minutes = ToInteger16(PickerText(cboMins_));
                const std::int32_t hours = ToInteger16(PickerText(cboHrs_));
                countdown_.Load(seconds + 60 * minutes + 3600 * hours);
                RememberRecentDuration(recentEntry_.empty() ? DurationEntry(seconds + 60 * minutes + 3600 * hours)
                                                            : recentEntry_);
                // A duration handed over ends when it would have, started the moment it arrived.
                if (askedAt_) countdown_.CountFrom(*askedAt_, UtcNow());
            });
        }
        trap.Step(122, [&] {
            startedAt_ = static_cast<DWORD>(GetTickCount64());  // GetTickCount's clock, as input times are
            Timer1.SetEnabled(true);
        });
        trap.Step(124, [&] { Timer1.SetInterval(100); });
        // Minimising runs the resize handling before it returns, which may pump messages while the
        // tray balloon shows: the first ticks can run before this handler has returned.
        trap.Step(126, [&] { ShowWindow(hwnd(), SW_MINIMIZE); });
        return;
    }
    trap.Step(128, [&] { Timer1.SetEnabled(false); });
    trap.Step(130, [&] { Timer1.SetInterval(0); });
    trap.Step(132, [&] {
        countdown_.Pause();
        ShowStartPause();
    });
}

void Form1::PushButton2_Click() {
    core::Trap trap(L"Form1.PushButton2_Click", program_.reporter);
    trap.Step(100, [&] { Timer1.SetEnabled(false); });
    trap.Step(102, [&] { Timer1.SetInterval(0); });
    trap.Step(104, [&] {
        countdown_.Reset();
        ShowStartPause();
    });
    trap.Step(106, [&] { ShowDisplay(); });
    trap.Step(108, [&] { EnableWindow(cboHrs_, TRUE); });
    trap.Step(110, [&] { EnableWindow(cboMins_, TRUE); });
    trap.Step(112, [&] { EnableWindow(cboSecs_, TRUE); });
}

void Form1::Timer1_Tick() {
    core::Trap trap(L"Form1.Timer1", program_.reporter);
    trap.Step(118, [&] {
        // In a catch-up after a sleep the next tick replaces this text before any message could
        // paint or read it: only the last tick of a run and the expiring tick (the one that shows
        // the last tenth) write it, so that a long sleep does not hold up the alarm.
        if (Timer1.AnotherTickFollows() && countdown_.TicksLeft() > 1) return;
        ShowDisplay();
    });
    // The tick counts the tenths digit down into the whole seconds.
    bool expired = false;
    trap.Step(120, [&] { expired = countdown_.Tick(); });
    if (!trap.Test(128, [&] { return expired; })) return;

    Ring(trap, ui::KeyboardIsFree(startedAt_));
}

void Form1::Ring(core::Trap& trap, bool takeKeyboard) {
    // Deliberately mended: the alarm's hold on the system and the display comes first, before the
    // countdown's own ends at step 132, so the computer cannot fall asleep between the two.
    program_.AlarmAttention.KeepAwake();
    // A question about this countdown (close, replace) goes, as if answered No: Time Expired would
    // cover it and leave it behind, holding the window. The user can ask again afterwards.
    countdownQuestions_.Withdraw(IDNO);
    alarm::Form3& options = program_.Form3();
    sound::AlarmSound& alarmSound = program_.AlarmBuffer;
    // Alarm Options open from this window: once the alarm is answered it is in front again, and this
    // window behind it as it was.
    const bool optionsOpen = program_.AlarmOptionsShown() && program_.AlarmOptionsReturnsTo() == hwnd();
    const bool shown = IsWindowVisible(hwnd()) != FALSE;

    // An alarm that rings while another program is in use leaves that program its keystrokes: the
    // windows come up without being activated (Time Expired, topmost, flashes instead).
    trap.Step(130, [&] { ShowStartPause(); });
    trap.Step(132, [&] { Timer1.SetEnabled(false); });
    trap.Step(134, [&] { Timer1.SetInterval(0); });
    // Without the keyboard the window comes back disabled and holding no focus. The system gives a
    // window restored from minimised the focus even without activation, and Wine moves the X input
    // focus to a window of ours that holds the focus (at the restore, and again when the X server maps
    // the window): the other program would lose its foreground and the keys typed there.
    std::optional<core::ThreadModality> quiet;
    if (!takeKeyboard) {
        quiet.emplace(nullptr);
        if (IsChild(hwnd(), GetFocus())) SetFocus(nullptr);
    }
    trap.Step(136, [&] {
        if (IsIconic(hwnd())) ShowWindow(hwnd(), takeKeyboard ? SW_RESTORE : SW_SHOWNOACTIVATE);
    });
    trap.Step(138, [&] {
        ShowWindow(hwnd(), takeKeyboard ? SW_SHOW : SW_SHOWNA);
        if (takeKeyboard) SetForegroundWindow(hwnd());
    });
    quiet.reset();
    trap.Step(140, [&] { HiddenInTray = false; });
    // The path is what the Alarm Options box holds now, even while that window is open and edited.
    // The alarm plays again and again until Time Expired is answered, when the user asked for it.
    std::wstring alarmPath;
    bool repeat = false;
    const bool listed = trap.Test(142, [&] {
        alarmPath = options.Text1Text();
        repeat = options.RepeatAlarm();
        return core::FileListed(alarmPath);
    });
    // Deliberately mended: nothing holds up the alarm. What the load has to say (the loader's message
    // for a file it cannot read, or the report of a load that failed) waits until Time Expired is up,
    // and the system's alert sound plays meanwhile.
    std::function<void()> tellOnceUp;
    if (listed) {
        trap.Line(144);
        // Another timer's alarm still ringing gives way to this one's: one sound at a time, which
        // plays for every Time Expired up.
        if (alarmSound.ringing > 0 && alarmSound.buffer > 0) sound::Stop(alarmSound.buffer);
        trap.Step(146, [&] { alarmSound.buffer = sound::FindFreeBuffer(); });
        core::Trap later(L"Form1.Timer1", [&](const std::wstring& report) {
            tellOnceUp = [reporter = program_.reporter, report] { reporter(report); };
        });
        later.Step(148, [&] {
            std::wstring message;
            sound::LoadQuietly(alarmSound.buffer, alarmPath,
                               sound::UnloadWhenDone | (repeat ? sound::RepeatUntilStopped : 0), message);
            if (!message.empty()) tellOnceUp = [message] { core::ShowUserMessage(message); };
        });
    }
    // Deliberately mended: the alarm is never silent. A file that is missing or could not be loaded, no
    // free buffer, or a device that refuses the sound plays the system's alert sound instead (again and
    // again for a repeating alarm); a device that is not there yet (just after a wake) is tried again
    // while Time Expired is up.
    trap.Step(150, [&] { sound::PlayAlarm(listed ? alarmSound.buffer : 0, repeat); });
    // The restart request is Time Expired's answer.
    trap.Line(152);
    // The tick returns with Time Expired up: no modal loop runs inside it, and another alarm can come
    // up meanwhile. The answer is posted to this window, so that what follows it runs outside the
    // Time Expired window's own handlers, before anything the return of the input brings.
    bool up = false;
    trap.Step(154, [&] {
        // An earlier window whose answer never came (the program was ending) goes first.
        if (timeExpired_) timeExpired_->Withdraw();
        timeExpired_ = std::make_unique<alarm::Form2>(program_.reporter, program_.AlarmAttention, alarmSound);
        timeExpired_->label = label_;
        PrepareTimeExpired(*timeExpired_);
        // Set down and right of every other Time Expired up, as the timer windows cascade.
        for (Form1* timer : program_.Timers()) {
            if (timer != this && timer->TimeExpired() && timer->TimeExpired()->hwnd()) ++timeExpired_->cascade;
        }
        const HWND self = hwnd();
        const WPARAM flags = (optionsOpen ? kOptionsOpen : 0) | (shown ? kWasShown : 0);
        timeExpired_->Show(self, takeKeyboard, std::move(tellOnceUp), [self, flags](bool restart, std::int32_t snooze) {
            PostMessageW(self, ui::kTimeExpiredAnsweredMessage, flags | (restart ? kRestart : 0), snooze);
        });
        if (!timeExpired_->hwnd()) throw core::HandlerError(L"Out of memory");
        up = true;
    });
    if (!up) {
        // No Time Expired could come up (reported above): the countdown resets, and the sound and the
        // hold end with no window left to answer them.
        timeExpired_.reset();
        if (alarmSound.ringing == 0) {
            sound::StopAlarm();
            program_.AlarmAttention.LetSleep();
        }
        PushButton2_Click();
    }
}

void Form1::OnTimeExpiredAnswered(WPARAM answer, LPARAM snoozeSeconds) {
    if (closing_ || !timeExpired_) return;
    // Kept until this handler returns: a restart may ring again inside it (a balloon's wait pumps).
    const std::unique_ptr<alarm::Form2> answered = std::move(timeExpired_);
    core::Trap trap(L"Form1.Timer1", program_.reporter);
    // However it closed, its alarm no longer waits for a device, nor repeats: OK, Restart and Escape
    // stop the alarm; the close box does not, and a single play may end by itself, but a repeating one
    // would play on. Another timer's Time Expired still up keeps the alarm going.
    trap.Step(154, [&] {
        if (program_.AlarmBuffer.ringing == 0) sound::StopAlarm();
    });
    if ((answer & kOptionsOpen) != 0) program_.BackToAlarmOptions(*this, (answer & kWasShown) != 0);
    trap.Step(156, [&] { PushButton2_Click(); });
    if (trap.Test(158, [&] { return (answer & kRestart) != 0; })) {
        trap.Step(160, [&] { PushButton1_Click(); });
    } else if (snoozeSeconds > 0) {
        StartSnoozed(trap, static_cast<std::int32_t>(snoozeSeconds));
    }
    ShowCountdownInTray();
}

void Form1::Stop() {
    closing_ = true;
    Timer1.SetEnabled(false);
    countdownQuestions_.Withdraw(IDNO);
    // A Time Expired window up goes without its answer: nothing is reset, nothing starts again; its
    // share of the alarm goes with it, and the sound with the last one.
    if (timeExpired_) {
        timeExpired_->Withdraw();
        if (program_.AlarmBuffer.ringing == 0) sound::StopAlarm();
    }
}

}  // namespace app
