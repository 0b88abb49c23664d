// The countdown's window timer. It keeps the two properties the countdown uses (Enabled, Interval)
// but, unlike the platform's timer, it never loses ticks: it delivers one tick for every interval
// elapsed since it started, on a fixed grid. Ticks that fell due while the thread was busy are
// delivered as soon as it is free again, one after another.
#pragma once

#include "ui/Clock.h"
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

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool Running() const { return enabled_ && interval_ > 0; }
    void Update(bool restart);
    void Deliver();
    void Arm(std::int64_t now);

    std::function<void()> onTick_;
    MonotonicClock clock_;
    bool enabled_ = false;
    int interval_ = 0;
    bool armed_ = false;
    bool highResolution_ = false;
    std::int64_t start_ = 0;
    std::uint64_t delivered_ = 0;
    std::uint64_t generation_ = 0;
};

}  // namespace ui
