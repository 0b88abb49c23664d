// The one tray icon carries the timers' countdowns: the tip tells each one's time left and when it
// ends, the picture marks the share left of the one that ends soonest. Both follow the countdown from
// outside its handlers, whose steps stay as they are, and the shell hears of every second only while
// the pointer is over the icon.
#include "app/Form1.h"

#include "app/CountdownDisplay.h"
#include "app/TrayTimersTip.h"
#include "tray/ProgressPicture.h"
#include "ui/Dpi.h"

#include <algorithm>
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
        Timer1.SetExpiringTick(Timer1.TicksDelivered() + static_cast<std::uint64_t>(countdown_.TicksLeft()));
    }
    ShowCountdownOnTaskbar(state);
    SaveRecord();
    first_->ShowTimersInTray();
}

void Form1::ShowTimersInTray(bool redraw) {
    const std::vector<Form1*> timers = Timers();
    bool changed = redraw || trayStale_ || timers.size() != trayTimersShown_;
    std::int64_t quietKey = -1;
    for (Form1* timer : timers) {
        const CountdownState state = timer->CountdownStateNow();
        const core::Countdown& countdown = timer->countdown_;
        // A timer's line changes with its displayed whole seconds and its state, at most once a second
        // while counting; its end time is worked out only then: now and the time left move on together.
        const std::int64_t shown =
            state == CountdownState::Idle ? -1 : countdown.TicksLeft() / 10 * 3 + static_cast<int>(state);
        if (shown != timer->trayShown_) {
            timer->trayShown_ = shown;
            timer->trayEndTime_ = state == CountdownState::Running ? EndTimeText(countdown.TicksLeft()) : L"";
            changed = true;
        }
        // The first tick of a countdown shows it whole: the most ticks ever left is its length.
        timer->trayTotalTicks_ = state == CountdownState::Idle ? 0 : std::max(timer->trayTotalTicks_, countdown.TicksLeft());
        // What the shell hears of while nobody looks: a new state or minute of any timer.
        const std::int64_t key = TrayQuietKey(state, countdown.SecondsLeft(), countdown.TenthsLeft());
        if (key >= 0) quietKey = quietKey < 0 ? key : quietKey * 1'000'003 + key;
    }
    if (changed) {
        std::vector<TrayTimer> entries;
        entries.reserve(timers.size());
        for (Form1* timer : timers) {
            entries.push_back({timer->label_, timer->CountdownStateNow(), timer->countdown_.SecondsLeft(),
                               timer->countdown_.TenthsLeft(), timer->trayEndTime_});
        }
        trayAllTip_ = TrayTimersTipText(entries);
        trayTimersShown_ = timers.size();
        trayStale_ = false;
        const auto choice = TrayPictureTimer(entries);
        DrawTrayPicture(choice ? timers[choice->index] : nullptr, choice && choice->paused, redraw);
    }
    const bool tipDue = trayAllTip_ != cSysTray1.TrayTip();
    if (!tipDue && !trayPictureDue_) return;
    // The shell redraws the icon at every change. While nobody looks at the tip, it hears of a new
    // picture, a new state and a new minute of the time left, not of every second.
    if (!trayPictureDue_ && !trayCadence_.TipDue(quietKey, TrayTipHovered())) return;
    if (trayPictureDue_) {
        tray::PictureRef picture = trayPixels_.empty() ? tray::CreateTrayPicture(trayIconSize_)
                                                       : tray::PictureFromPixels(trayIconSize_, trayPixels_);
        // A picture that could not be made is tried again with the next change.
        if (picture) {
            trayPictureDue_ = false;
            if (tipDue) {
                cSysTray1.TrayTipAndIcon(trayAllTip_, std::move(picture));
            } else {
                cSysTray1.TrayIcon(std::move(picture));
            }
        } else if (tipDue) {
            cSysTray1.TrayTip(trayAllTip_);
        }
    } else {
        cSysTray1.TrayTip(trayAllTip_);
    }
    trayCadence_.Sent(quietKey);
}

void Form1::DrawTrayPicture(const Form1* shown, bool paused, bool redraw) {
    // No countdown loaded: the tray shows the design picture, no pixels of our own.
    std::vector<std::uint32_t> pixels;
    if (shown) {
        const std::int64_t left = shown->countdown_.TicksLeft();
        const std::int64_t total = shown->trayTotalTicks_;
        pixels = tray::DrawProgressPicture(
            trayIconSize_, total > 0 ? static_cast<double>(left) / static_cast<double>(total) : 1.0, paused);
    }
    if (pixels == trayPixels_ && !redraw) return;
    trayPixels_ = std::move(pixels);
    trayPictureDue_ = true;
}

bool Form1::TrayTipHovered() const {
    POINT cursor{};
    GetCursorPos(&cursor);
    return trayCadence_.Hovered(static_cast<std::int64_t>(GetTickCount64()), {cursor.x, cursor.y});
}

void Form1::cSysTray1_MouseMove(std::int32_t /*id*/) {
    POINT cursor{};
    GetCursorPos(&cursor);
    trayCadence_.PointerOverIcon(static_cast<std::int64_t>(GetTickCount64()), {cursor.x, cursor.y});
    // The shell shows the tip it holds: it is made current before the tip comes up.
    ShowCountdownInTray();
}

void Form1::OnTrayScaleChanged() {
    const int size = TrayIconSize();
    if (size == trayIconSize_) return;
    trayIconSize_ = size;
    ShowTimersInTray(true);
}

void Form1::OnPowerBroadcast(WPARAM event) {
    // The clock counts the sleep: a countdown whose end fell in it expires and rings as soon as the
    // message loop runs. Not here: the system waits for this answer, and an expiring tick would bring
    // the alarm up inside its notification.
    if (event == PBT_APMRESUMEAUTOMATIC || event == PBT_APMRESUMESUSPEND) Timer1.CatchUpSoon();
}

void Form1::OnVisibilityChanged() {
    // Minimised counts as hidden: nobody sees the display then either.
    Timer1.SetHidden(!IsWindowVisible(hwnd()) || IsIconic(hwnd()));
    // The expiring tick shows the window before Time Expired comes up: the tray drops the countdown
    // from there on, not only once that window has been answered.
    ShowCountdownInTray();
}

}  // namespace app
