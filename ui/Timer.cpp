// Timer: a fixed tick grid over the monotonic clock, woken by the platform timer when the wake plan says.
#include "ui/Timer.h"

#include "ui/Messages.h"
#include "ui/ProcAddress.h"
#include "ui/WakePlan.h"

#include <mmsystem.h>

#include <algorithm>

namespace ui {
namespace {

UINT_PTR const kTimerId = 1;
// Posted to the timer's own window to deliver the due ticks from the message loop.
UINT const kDeliverNow = kDeliverTicksMessage;
// Longest stretch of catching up before the thread is handed back to input and painting.
std::int64_t const kCatchUpBudget = 20 * kClockUnitsPerMs;

}  // namespace

Timer::Timer(std::function<void()> onTick) : onTick_(std::move(onTick)), now_([this] { return clock_.Now(); }) {
    Create({L"CorvalinTimerSink"}, 0, 0, L"", 0, 0, 0, 0, HWND_MESSAGE, 0);
}

Timer::~Timer() {
    // Whoever listens may be gone already: its owner stops the timer first if it must hear of it.
    onRunningChanged = nullptr;
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

void Timer::SetHidden(bool hidden) {
    if (hidden == hidden_) return;
    hidden_ = hidden;
    if (!Running()) return;
    // Whatever shows the display runs inside some handler (a tray click, the expiring tick, the
    // Alarm Options window closing): catch up from the message loop, where a tick may show a modal
    // window, not from inside that handler. A posted message comes before the next paint.
    if (!hidden_) PostMessageW(hwnd(), kDeliverNow, 0, 0);
    // Hiding changes nothing until the next wake, which plans the sparse cadence.
}

void Timer::ShareSeconds(bool shared) {
    // Takes effect at the next wake, as hiding does.
    sharedSeconds_ = shared;
}

void Timer::CatchUpSoon() {
    if (Running()) PostMessageW(hwnd(), kDeliverNow, 0, 0);
}

void Timer::SetExpiringTick(std::uint64_t tick) {
    if (tick == expiringTick_ || !Running()) return;
    expiringTick_ = tick;
    const std::int64_t now = Now();
    const std::int64_t period = static_cast<std::int64_t>(interval_) * kClockUnitsPerMs;
    wake_.Set(TickDue(start_, period, tick) - now);
    Arm(now);
}

void Timer::Update(bool restart) {
    ++generation_;
    catchingUp_ = false;
    if (!Running()) {
        if (armed_) KillTimer(hwnd(), kTimerId);
        armed_ = false;
        HoldFineClock(false);
        expiringTick_ = 0;
        wake_.Cancel();
    } else {
        if (restart) {
            start_ = Now();
            delivered_ = 0;
            // A new grid: its countdown tells where it ends after its first tick.
            expiringTick_ = 0;
            wake_.Cancel();
        }
        Arm(Now());
    }
    if (Running() == wasRunning_) return;
    wasRunning_ = Running();
    if (onRunningChanged) onRunningChanged(wasRunning_);
}

void Timer::HoldFineClock(bool hold) {
    // The fine system clock raises the timer rate of the whole machine on many systems and costs
    // power: it is held only in the last half second before the expiring tick.
    if (hold == highResolution_) return;
    // winmm is loaded at the first hold, not at the program's start.
    if (hold) {
        static const auto begin = SystemFunction<decltype(&timeBeginPeriod)>(L"winmm.dll", "timeBeginPeriod");
        highResolution_ = begin && begin(1) == TIMERR_NOERROR;
    } else {
        static const auto end = SystemFunction<decltype(&timeEndPeriod)>(L"winmm.dll", "timeEndPeriod");
        if (end) end(1);
        highResolution_ = false;
    }
}

void Timer::Arm(std::int64_t now) {
    WakeInput in;
    in.now = now;
    in.start = start_;
    in.period = static_cast<std::int64_t>(interval_) * kClockUnitsPerMs;
    in.delivered = delivered_;
    in.hidden = hidden_;
    in.sharedSeconds = sharedSeconds_;
    in.expiringTick = expiringTick_;
    const Wake wake = PlanWake(in);
    HoldFineClock(wake.fineClock);
    const std::int64_t waitUnits = std::max<std::int64_t>(0, wake.at - now);
    // Round up: waking a little early would only cost a second wake-up.
    const UINT waitMs = static_cast<UINT>((waitUnits + kClockUnitsPerMs - 1) / kClockUnitsPerMs);
    SetTimer(hwnd(), kTimerId, std::max<UINT>(waitMs, USER_TIMER_MINIMUM), nullptr);
    armed_ = true;
}

void Timer::Deliver() {
    if (!Running()) return;
    const std::uint64_t generation = generation_;
    const std::int64_t period = static_cast<std::int64_t>(interval_) * kClockUnitsPerMs;
    const std::int64_t began = Now();
    const std::uint64_t due = static_cast<std::uint64_t>((began - start_) / period);
    if (due > delivered_ + 1) catchingUp_ = true;
    while (Running() && generation == generation_ && delivered_ < due) {
        // Count the tick before running it: a tick may pump messages (a modal window, a balloon
        // wait), and the nested Deliver then goes on with the following ticks, never repeating one.
        ++delivered_;
        const bool follows = delivered_ < due && Now() - began <= kCatchUpBudget;
        follows_ = follows;
        onTick_();
        follows_ = false;
        if (!follows) break;
    }
    if (!Running() || generation != generation_) return;
    // A nested delivery may have finished the catch-up already; then it told the owner.
    if (catchingUp_ && delivered_ >= due) {
        catchingUp_ = false;
        if (onCaughtUp) onCaughtUp();
        if (!Running() || generation != generation_) return;
    }
    // A catch-up that used up its budget goes on at once when no input or painting waits for the
    // thread: the platform timer would idle 10 to 16 ms at every break. It stays armed all the same.
    if (catchingUp_ && HIWORD(GetQueueStatus(QS_INPUT | QS_PAINT)) == 0) PostMessageW(hwnd(), kDeliverNow, 0, 0);
    Arm(Now());
}

LRESULT Timer::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && wParam == kTimerId) {
        ++wakes_;
        Deliver();
        return 0;
    }
    if (message == kDeliverNow) {
        Deliver();
        return 0;
    }
    return Window::HandleMessage(message, wParam, lParam);
}

}  // namespace ui
