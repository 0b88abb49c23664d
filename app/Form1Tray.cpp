// A timer's countdown as the tray and its taskbar button show it: the program's one tip and picture hear
// of each change, the record is kept when the state changed, and the tick timer knows when the display
// is out of sight.
#include "app/Form1.h"

#include "app/MiniCountdown.h"
#include "app/TimerProgram.h"

#include <algorithm>
#include <cwchar>

namespace app {

std::wstring ShortTimeText(const LocalTime& time, bool seconds) {
    SYSTEMTIME local{};
    local.wYear = static_cast<WORD>(time.year);
    local.wMonth = static_cast<WORD>(time.month);
    local.wDay = static_cast<WORD>(time.day);
    local.wHour = static_cast<WORD>(time.millisecondOfDay / 3'600'000);
    local.wMinute = static_cast<WORD>(time.millisecondOfDay / 60'000 % 60);
    local.wSecond = static_cast<WORD>(time.millisecondOfDay / 1000 % 60);
    const DWORD flags = seconds ? 0 : TIME_NOSECONDS;
    const int length = GetTimeFormatW(LOCALE_USER_DEFAULT, flags, &local, nullptr, nullptr, 0);
    if (length <= 0) return L"";
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    if (GetTimeFormatW(LOCALE_USER_DEFAULT, flags, &local, nullptr, text.data(), length) <= 0) return L"";
    text.resize(wcslen(text.c_str()));
    return text;
}

void Form1::ShowCountdownInTray() {
    if (mini_) mini_->Update();
    if (countdown_.State() == CountdownState::Running && Timer1.Enabled()) {
        // Between ticks the count says how many ticks remain, the expiring one included.
        Timer1.SetExpiringTick(Timer1.TicksDelivered() + static_cast<std::uint64_t>(countdown_.TicksLeft()));
    }
    ShowCountdownOnTaskbar();
    SaveRecord();
    program_.ShowTimersInTray();
}

bool Form1::UpdateTrayLine() {
    const CountdownState state = countdown_.Shown();
    const bool counting = state == CountdownState::Running || state == CountdownState::Paused;
    // A timer's line changes with its displayed whole seconds and its state, at most once a second
    // while counting; its end time is worked out only then: now and the time left move on together.
    const std::int64_t shown = counting ? countdown_.TicksLeft() / 10 * 3 + static_cast<int>(state) : -1;
    // The first tick of a countdown shows it whole: the most ticks ever left is its length.
    trayTotalTicks_ = counting ? std::max(trayTotalTicks_, countdown_.TicksLeft()) : 0;
    if (shown == trayShown_) return false;
    trayShown_ = shown;
    trayEndTime_.clear();
    if (state == CountdownState::Running) {
        // By the zone's rules for that moment, as a clock time on the command line is counted: an end
        // beyond a change to or from daylight saving time shows the time the clock will read then.
        trayEndTime_ = ShortTimeText(ToLocalTime(SystemZoneRule, UtcNow() + countdown_.TicksLeft() * 100), false);
    }
    return true;
}

void Form1::OnVisibilityChanged() {
    // Minimised counts as hidden: nobody sees the display then either.
    Timer1.SetHidden(!IsWindowVisible(hwnd()) || IsIconic(hwnd()));
    // The expiring tick shows the window before Time Expired comes up: the tray drops the countdown
    // from there on, not only once that window has been answered.
    ShowCountdownInTray();
}

void Form1::ShowCountdownOnTaskbar() {
    const CountdownState state = countdown_.Shown();
    std::int32_t left = 0;
    if (state == CountdownState::Running || state == CountdownState::Paused) {
        // In the display's whole seconds, so that the button changes at most once a second; the first
        // tick of a countdown shows it whole, so the most ever left is its length.
        left = static_cast<std::int32_t>(countdown_.TicksLeft() / 10);
        taskbarTotalSeconds_ = std::max(taskbarTotalSeconds_, left);
    } else {
        taskbarTotalSeconds_ = 0;
    }
    // Behind the tray icon or the Alarm Options window the window has no button; minimised to the
    // taskbar it has one.
    if (!IsWindowVisible(hwnd())) {
        TaskbarButton.ButtonGone();
        return;
    }
    const auto total = static_cast<std::uint64_t>(taskbarTotalSeconds_);
    const auto gone = total - static_cast<std::uint64_t>(left);
    switch (state) {
    case CountdownState::Running:
        TaskbarButton.Show(ui::TaskbarState::Normal, gone, total);
        break;
    case CountdownState::Paused:
        TaskbarButton.Show(ui::TaskbarState::Paused, gone, total);
        break;
    case CountdownState::Ringing:
        // The alarm rings from the expiring tick until the reset that follows Time Expired's answer.
        TaskbarButton.Show(ui::TaskbarState::Error, 1, 1);
        break;
    case CountdownState::Idle:
        TaskbarButton.Show(ui::TaskbarState::NoProgress);
        break;
    }
}

}  // namespace app
