// The main window's tray icon carries the countdown: the tip tells the time left and when it ends, the
// picture marks the share of it. Both follow the countdown from outside its handlers, whose steps stay
// as they are.
#include "app/Form1.h"

#include "app/CountdownDisplay.h"
#include "tray/ProgressPicture.h"
#include "ui/Dpi.h"

#include <cwchar>

namespace app {
namespace {

// The shell's small-icon size at the DPI of the taskbar's monitor: the tray draws its icons at that
// size, and a picture of another size is stretched by the shell, blurred or blocky.
int TrayIconSize() {
    const int size = ui::SystemMetricForDpi(SM_CXSMICON, ui::TaskbarDpi());
    return size > 0 ? size : 16;
}

// The clock time `tenths` tenths of a second from now, without seconds; empty when the system cannot
// say. By the zone's rules for that moment, as a clock time on the command line is counted: an end
// beyond a change to or from daylight saving time shows the time the clock will read then.
std::wstring EndTimeText(std::int64_t tenths) {
    return ShortTimeText(ToLocalTime(SystemZoneRule, UtcNow() + tenths * 100), false);
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
    const CountdownState state = CountdownStateNow();
    if (state == CountdownState::Running && Timer1.Enabled()) {
        // Between ticks the count says how many ticks remain, the expiring one included.
        Timer1.SetExpiringTick(Timer1.TicksDelivered() + static_cast<std::uint64_t>(TicksLeft(SecondsLeft, TenthsLeft)));
    }
    ShowCountdownOnTaskbar(state);
    std::wstring tip = TrayTipText(state, SecondsLeft, TenthsLeft, trayEndTime_);
    // The tip changes with the displayed whole seconds and the state; the picture can change only
    // then too, so the shell hears of either at most once a second while counting. The end time is
    // worked out only then: now and the time left move on together.
    if (tip == cSysTray1.TrayTip()) return;
    trayEndTime_ = state == CountdownState::Running ? EndTimeText(TicksLeft(SecondsLeft, TenthsLeft)) : L"";
    tip = TrayTipText(state, SecondsLeft, TenthsLeft, trayEndTime_);
    cSysTray1.TrayTip(std::move(tip));
    ShowProgressInTray(state, false);
}

void Form1::ShowProgressInTray(CountdownState state, bool redraw) {
    if (state == CountdownState::Idle) {
        trayTotalTicks_ = 0;
        if (trayPixels_.empty() && !redraw) return;
        trayPixels_.clear();
        cSysTray1.TrayIcon(tray::CreateTrayPicture(trayIconSize_));
        return;
    }
    // The first tick of a countdown shows it whole: the most ticks ever left is its length.
    const std::int64_t left = TicksLeft(SecondsLeft, TenthsLeft);
    trayTotalTicks_ = std::max(trayTotalTicks_, left);
    std::vector<std::uint32_t> pixels = tray::DrawProgressPicture(
        trayIconSize_, trayTotalTicks_ > 0 ? static_cast<double>(left) / static_cast<double>(trayTotalTicks_) : 1.0,
        state == CountdownState::Paused);
    if (pixels == trayPixels_ && !redraw) return;
    if (tray::PictureRef picture = tray::PictureFromPixels(trayIconSize_, pixels)) {
        trayPixels_ = std::move(pixels);
        cSysTray1.TrayIcon(std::move(picture));
    }
}

void Form1::OnTrayScaleChanged() {
    const int size = TrayIconSize();
    if (size == trayIconSize_) return;
    trayIconSize_ = size;
    ShowProgressInTray(CountdownStateNow(), true);
}

void Form1::OnPowerBroadcast(WPARAM event) {
    // The clock counts the sleep: a countdown whose end fell in it expires and rings as soon as the
    // message loop runs. Not here: the system waits for this answer, and an expiring tick would run
    // the alarm's modal window inside its notification.
    if (event == PBT_APMRESUMEAUTOMATIC || event == PBT_APMRESUMESUSPEND) Timer1.CatchUpSoon();
}

void Form1::OnVisibilityChanged() {
    // Minimised counts as hidden: nobody sees the display then either.
    Timer1.SetHidden(!IsWindowVisible(hwnd()) || IsIconic(hwnd()));
    // The expiring tick shows the window before it waits for the Time Expired window: the tray
    // drops the countdown from there on, not only once that window has closed.
    ShowCountdownInTray();
}

}  // namespace app
