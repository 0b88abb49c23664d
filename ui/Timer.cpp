// Timer: a fixed tick grid over the monotonic clock, woken by the platform timer.
#include "ui/Timer.h"

#include <mmsystem.h>

#include <algorithm>

namespace ui {
namespace {

UINT_PTR const kTimerId = 1;
// Longest stretch of catching up before the thread is handed back to input and painting.
std::int64_t const kCatchUpBudget = 20 * kClockUnitsPerMs;

}  // namespace

Timer::Timer(std::function<void()> onTick) : onTick_(std::move(onTick)) {
    Create({L"CorvalinTimerSink"}, 0, 0, L"", 0, 0, 0, 0, HWND_MESSAGE, 0);
}

Timer::~Timer() {
    enabled_ = false;
    Update(false);
    Destroy();
}

void Timer::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Update(true);
}

void Timer::SetInterval(int milliseconds) {
    interval_ = std::max(0, milliseconds);
    Update(true);
}

void Timer::Update(bool restart) {
    ++generation_;
    if (!Running()) {
        if (armed_) KillTimer(hwnd(), kTimerId);
        armed_ = false;
        // The finer system clock costs power; hold it only while a countdown runs.
        if (highResolution_) timeEndPeriod(1);
        highResolution_ = false;
        return;
    }
    if (!highResolution_) highResolution_ = timeBeginPeriod(1) == TIMERR_NOERROR;
    if (restart) {
        start_ = clock_.Now();
        delivered_ = 0;
    }
    Arm(clock_.Now());
}

void Timer::Arm(std::int64_t now) {
    const std::int64_t period = static_cast<std::int64_t>(interval_) * kClockUnitsPerMs;
    const std::int64_t due = start_ + static_cast<std::int64_t>(delivered_ + 1) * period;
    const std::int64_t waitUnits = std::max<std::int64_t>(0, due - now);
    // Round up: waking a little early would only cost a second wake-up.
    const UINT waitMs = static_cast<UINT>((waitUnits + kClockUnitsPerMs - 1) / kClockUnitsPerMs);
    SetTimer(hwnd(), kTimerId, std::max<UINT>(waitMs, USER_TIMER_MINIMUM), nullptr);
    armed_ = true;
}

void Timer::Deliver() {
    if (!Running()) return;
    const std::uint64_t generation = generation_;
    const std::int64_t period = static_cast<std::int64_t>(interval_) * kClockUnitsPerMs;
    const std::int64_t began = clock_.Now();
    const std::uint64_t due = static_cast<std::uint64_t>((began - start_) / period);
    while (Running() && generation == generation_ && delivered_ < due) {
        // Count the tick before running it: a tick may pump messages (a modal window, a balloon
        // wait), and the nested Deliver then goes on with the following ticks, never repeating one.
        ++delivered_;
        onTick_();
        if (clock_.Now() - began > kCatchUpBudget) break;
    }
    if (Running() && generation == generation_) Arm(clock_.Now());
}

LRESULT Timer::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && wParam == kTimerId) {
        Deliver();
        return 0;
    }
    return Window::HandleMessage(message, wParam, lParam);
}

}  // namespace ui
