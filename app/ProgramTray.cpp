// The one tray icon carries the timers' countdowns: the tip tells each one's time left and when it ends,
// the picture marks the share left of the one that ends soonest. Both follow the countdowns from outside
// their handlers, and the shell hears of every second only while the pointer is over the icon.
#include "app/TimerProgram.h"

#include "app/Form1.h"
#include "app/TrayCountdown.h"
#include "app/TrayTimersTip.h"
#include "tray/ProgressPicture.h"
#include "ui/Dpi.h"
#include "ui/Messages.h"

namespace app {
namespace {

// The shell's small-icon size at the DPI of the taskbar's monitor: the tray draws its icons at that
// size, and a picture of another size is stretched by the shell, blurred or blocky.
int TrayIconSize() {
    const int size = ui::SystemMetricForDpi(SM_CXSMICON, ui::TaskbarDpi());
    return size > 0 ? size : 16;
}

// Mixes one timer's quiet key into the others': unsigned, so any number of timers wraps, never overflows.
std::uint64_t MixQuietKey(std::uint64_t keys, std::int64_t key) {
    return (keys ^ static_cast<std::uint64_t>(key)) * 0x100000001B3ULL;
}

}  // namespace

void TimerProgram::ShowTimersInTray(bool redraw) {
    const std::vector<Form1*> timers = Timers();
    bool changed = redraw || trayStale_ || timers.size() != trayTimersShown_;
    std::uint64_t quietKeys = 0xCBF29CE484222325ULL;
    bool anyLoaded = false;
    for (Form1* timer : timers) {
        changed = timer->UpdateTrayLine() || changed;
        // What the shell hears of while nobody looks: a new state or minute of any timer.
        const std::int64_t key = timer->QuietTrayKey();
        if (key >= 0) {
            anyLoaded = true;
            quietKeys = MixQuietKey(quietKeys, key);
        }
    }
    const std::int64_t quietKey = anyLoaded ? static_cast<std::int64_t>(quietKeys >> 1) : -1;
    if (changed) {
        std::vector<TrayTimer> entries;
        entries.reserve(timers.size());
        for (Form1* timer : timers) {
            // With several timers every line says which one it is.
            const std::wstring name = timers.size() > 1 ? timer->NameIn(timers) : timer->Label();
            const core::Countdown& countdown = timer->countdown();
            entries.push_back({name, countdown.Shown(), countdown.SecondsLeft(), countdown.TenthsLeft(), timer->TrayEndTime()});
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

void TimerProgram::DrawTrayPicture(const Form1* shown, bool paused, bool redraw) {
    // No countdown loaded: the tray shows the design picture, no pixels of our own.
    std::vector<std::uint32_t> pixels;
    if (shown) {
        const std::int64_t left = shown->countdown().TicksLeft();
        const std::int64_t total = shown->TrayTotalTicks();
        pixels = tray::DrawProgressPicture(
            trayIconSize_, total > 0 ? static_cast<double>(left) / static_cast<double>(total) : 1.0, paused);
    }
    if (pixels == trayPixels_ && !redraw) return;
    trayPixels_ = std::move(pixels);
    trayPictureDue_ = true;
}

bool TimerProgram::TrayTipHovered() const {
    POINT cursor{};
    GetCursorPos(&cursor);
    return trayCadence_.Hovered(static_cast<std::int64_t>(GetTickCount64()), {cursor.x, cursor.y});
}

void TimerProgram::cSysTray1_MouseMove(std::int32_t /*id*/) {
    POINT cursor{};
    GetCursorPos(&cursor);
    trayCadence_.PointerOverIcon(static_cast<std::int64_t>(GetTickCount64()), {cursor.x, cursor.y});
    // The shell shows the tip it holds: it is made current before the tip comes up.
    ShowTimersInTray();
}

void TimerProgram::cSysTray1_MouseUp(std::int16_t /*button*/, std::int32_t /*id*/) { BringBackEveryWindow(); }

void TimerProgram::cSysTray1_ShownChanged() {
    for (Form1* timer : Timers()) {
        if (cSysTray1.Shown()) {
            // The icon is in at last: a window still minimised goes behind it.
            if (!timer->HiddenInTray && IsIconic(timer->hwnd()) && IsWindowVisible(timer->hwnd())) timer->HideInTray();
        } else if (timer->HiddenInTray) {
            // The shell lost the icon and refuses it back: the window comes back minimised on the
            // taskbar, leaving the keyboard where it is. The flag goes first, so that this show's own
            // resize does not hide it again.
            timer->HiddenInTray = false;
            ShowWindow(timer->hwnd(), SW_SHOWMINNOACTIVE);
        }
    }
    // A balloon that waited for the icon goes out now.
    if (cSysTray1.Shown() && endedWhileAwayDue_) PostMessageW(hwnd(), ui::kEndedWhileAwayMessage, 0, 0);
}

void TimerProgram::OnTrayScaleChanged() {
    const int size = TrayIconSize();
    if (size == trayIconSize_) return;
    trayIconSize_ = size;
    ShowTimersInTray(true);
}

}  // namespace app
