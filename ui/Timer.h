// The countdown's window timer. It keeps the two properties the countdown uses (Enabled, Interval)
// but, unlike the platform's timer, it never loses ticks: it delivers one tick for every interval
// elapsed since it started, on a fixed grid. Ticks that fell due while the thread was busy are
// delivered as soon as it is free again, one after another.
// While nobody sees the display the timer wakes the thread only when the displayed whole seconds
// change, delivering every tick due by then in order; the expiring tick is always woken for on time.
#pragma once

#include "ui/Clock.h"
#include "ui/WakeTimer.h"
#include "ui/Window.h"

#include <cstdint>
#include <functional>

namespace ui {

class Timer : private Window {
public:
    explicit Timer(std::function<void()> onTick);
    ~Timer() override;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    int Interval() const { return interval_; }
    void SetInterval(int milliseconds);

    // Ticks delivered since the timer last started; for diagnostics and tests.
    std::uint64_t TicksDelivered() const { return delivered_; }
    // Times the platform timer woke the thread, over the timer's life; for diagnostics and benches.
    std::uint64_t Wakes() const { return wakes_; }

    // Whether anybody sees what the ticks show. Becoming visible delivers the due ticks at once and
    // goes back to a wake per tick.
    void SetHidden(bool hidden);
    // Whether other timers of the thread count hidden beside this one: hidden, they all wake on the
    // clock's whole seconds together, and the thread wakes once a second for all of them.
    void ShareSeconds(bool shared);
    // The index (counted like TicksDelivered) of the tick that ends the countdown, 0 when unknown.
    // It lets a hidden timer wake for it on time, with the fine clock, and sets the wake timer.
    // Forgotten whenever the timer starts again.
    void SetExpiringTick(std::uint64_t tick);
    // Delivers every tick that is due from the message loop, as soon as the thread gets there; after
    // the computer wakes from sleep. Only posted here: the caller may be inside a system notification,
    // where no tick (and no alarm's modal window) may run.
    void CatchUpSoon();
    // True while the ticks delivered are a catch-up: more than one was due when it began, after a
    // sleep or a busy thread. It lasts until the last due tick has run, across the breaks the
    // catch-up takes for input and painting, and ends when the timer stops or starts again.
    bool CatchingUp() const { return catchingUp_; }
    // Called once a catch-up has delivered its last due tick, for what only the latest tick matters to.
    std::function<void()> onCaughtUp;
    // Called whenever the timer starts or stops running (enabled with an interval): what must hold
    // exactly while it runs follows it on every path that starts or stops it.
    std::function<void(bool running)> onRunningChanged;
    // Inside a tick: the timer runs the next tick as soon as this one returns, with no message
    // handled in between, so nothing can see what this one shows unless the tick itself pumps.
    bool AnotherTickFollows() const { return follows_; }
    // The wake timer set to the expiring tick's instant while the timer runs.
    WakeTimer& SystemWake() { return wake_; }
    // The clock the grid runs on, in 100 ns units; a bench or test puts a simulated one here.
    void UseClock(std::function<std::int64_t()> now) { now_ = std::move(now); }

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool Running() const { return enabled_ && interval_ > 0; }
    void Update(bool restart);
    void Deliver();
    void Arm(std::int64_t now);
    void HoldFineClock(bool hold);
    std::int64_t Now() const { return now_(); }

    std::function<void()> onTick_;
    MonotonicClock clock_;
    std::function<std::int64_t()> now_;
    WakeTimer wake_;
    bool enabled_ = false;
    int interval_ = 0;
    bool armed_ = false;
    bool highResolution_ = false;
    bool hidden_ = false;
    bool sharedSeconds_ = false;
    bool catchingUp_ = false;
    bool follows_ = false;
    bool wasRunning_ = false;
    std::int64_t start_ = 0;
    std::uint64_t delivered_ = 0;
    std::uint64_t expiringTick_ = 0;
    std::uint64_t generation_ = 0;
    std::uint64_t wakes_ = 0;
};

}  // namespace ui
