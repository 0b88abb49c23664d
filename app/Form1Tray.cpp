// A timer's countdown as the tray and its taskbar button show it (the program's one tip and picture hear
// of each change, the record is kept when the state changed, the tick timer knows when the display is
// out of sight), and its window behind the tray icon and back.
#include "app/Form1.h"

#include "alarm/Form2.h"
#include "alarm/Form3.h"
#include "app/EndedText.h"
#include "app/MiniCountdown.h"
#include "app/TimerProgram.h"
#include "core/AppTitle.h"
#include "ui/Controls.h"

#include <algorithm>
#include <cwchar>

namespace app {
namespace {

BOOL CALLBACK FindEnabledOwned(HWND hwnd, LPARAM search) {
    auto* found = reinterpret_cast<std::pair<HWND, HWND>*>(search);
    if (GetWindow(hwnd, GW_OWNER) != found->first || !IsWindowVisible(hwnd) || !IsWindowEnabled(hwnd)) return TRUE;
    found->second = hwnd;
    return FALSE;
}

// The visible, enabled window that `owner` owns: the modal one while owner is disabled. This is what
// GW_ENABLEDPOPUP documents, which Wine does not answer.
HWND EnabledOwnedWindow(HWND owner) {
    std::pair<HWND, HWND> search{owner, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), &FindEnabledOwned, reinterpret_cast<LPARAM>(&search));
    return search.second;
}

}  // namespace


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
    if (mini_ && mini_->Shown()) mini_->Update();
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
    // A ringing one's line changes with the whole minutes since it ended (-3 and down).
    const bool ringing = state == CountdownState::Ringing;
    const std::int64_t agoMs = ringing ? UtcNow() - countdown_.EndedAt() : 0;
    const std::int64_t shown = counting  ? countdown_.TicksLeft() / 10 * 3 + static_cast<int>(state)
                               : ringing ? -3 - std::max<std::int64_t>(agoMs, 0) / 60'000
                                         : -1;
    // The first tick of a countdown shows it whole: the most ticks ever left is its length.
    trayTotalTicks_ = counting ? std::max(trayTotalTicks_, countdown_.TicksLeft()) : 0;
    if (shown == trayShown_) return false;
    trayShown_ = shown;
    trayEndTime_.clear();
    if (state == CountdownState::Running) {
        // By the zone's rules for that moment, as a clock time on the command line is counted: an end
        // beyond a change to or from daylight saving time shows the time the clock will read then.
        trayEndTime_ = ShortTimeText(ToLocalTime(program_.Zone(), UtcNow() + countdown_.TicksLeft() * 100), false);
    } else if (ringing) {
        // Deliberately none in the first minute: Time Expired says it then, and under Wine a tip that
        // changes while the alarm comes up hands that window the foreground, taking the keystrokes of
        // the program in use. The first minute's tip is the one it always was.
        trayEndTime_ = TrayEndedText(agoMs);
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

void Form1::HideInTray() {
    ShowWindow(hwnd(), SW_HIDE);
    // The window stays minimised while hidden; whatever shows it again restores it to normal size.
    HiddenInTray = true;
    // The balloon's wait pumps messages: countdown ticks, clicks, tray events and hand-overs run
    // inside it, and inside Start when Start minimised the window.
    program_.cSysTray1.ShowBalloon(L"has been minimized to the system tray.\r\n"
                                   L"Click on the blue 'V' icon (V for Vendrel) to bring the software back.",
                                   core::kProductName, 5, true);
}

void Form1::ComeBackFromTray() {
    if (HiddenInTray) BringToFront();
    // A Time Expired that came up unseen comes in front of every window.
    if (timeExpired_ && timeExpired_->hwnd()) {
        SetWindowPos(timeExpired_->hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
        SetForegroundWindow(timeExpired_->hwnd());
    }
}

void Form1::BringToFront() {
    ui::ShowNormal(hwnd());
    if (IsWindowEnabled(hwnd())) {
        SetForegroundWindow(hwnd());
        SetFocus(hwnd());
    } else {
        // A modal window of ours is up (Time Expired, a message box) and no other window takes input:
        // the click only brings the windows to the front, an open Alarm Options window too, and the
        // modal one on top of them.
        if (program_.AlarmOptionsShown()) {
            SetWindowPos(program_.Form3().hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
        // An alarm that came up while another program had the keyboard was never active, so it is not
        // the last active popup: the enabled window our disabled one owns is the modal one.
        HWND modal = GetLastActivePopup(hwnd());
        if (!IsWindowEnabled(modal)) modal = EnabledOwnedWindow(hwnd());
        if (modal) SetForegroundWindow(modal);
    }
    HiddenInTray = false;
}

}  // namespace app
