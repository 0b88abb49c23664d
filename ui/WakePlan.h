// When the tick timer next needs the thread: the platform-free plan behind Timer1's cadence. Ticks
// stay on their fixed grid; only the wakes that deliver them are spaced out while nobody sees them.
#pragma once

#include <cstdint>

namespace ui {

// Clock units (100 ns) in a second, and the span before the expiring tick with the fine clock held.
inline constexpr std::int64_t kWakeUnitsPerSecond = 10'000'000;
inline constexpr std::int64_t kFineClockWindow = kWakeUnitsPerSecond / 2;

struct WakeInput {
    std::int64_t now = 0;     // clock units
    std::int64_t start = 0;   // the grid's start: tick i falls due at start + i * period
    std::int64_t period = 0;  // clock units, > 0
    std::uint64_t delivered = 0;
    bool hidden = false;  // nobody sees the display: wake only when the whole seconds change
    std::uint64_t expiringTick = 0;  // the grid index of the tick that ends the countdown; 0 when unknown
    // Hidden with other timers: wake on the clock's whole seconds, which every such timer shares, so
    // that the thread wakes once a second for all of them.
    bool sharedSeconds = false;
};

struct Wake {
    std::int64_t at = 0;      // clock units; at most now when ticks are overdue
    bool fineClock = false;   // hold the system's fine timer resolution until this wake
};

// The instant tick `index` falls due.
constexpr std::int64_t TickDue(std::int64_t start, std::int64_t period, std::uint64_t index) {
    return start + static_cast<std::int64_t>(index) * period;
}

// Visible: every tick. Hidden: the ticks on which the displayed whole seconds change (the display
// shows x.9 there), counted back from the expiring tick, and the expiring tick itself; plus one wake
// where the last half second before the expiring tick begins, to take the fine clock in time. Hidden
// with shared seconds: the clock's whole seconds instead of the display's, and the same two wakes.
Wake PlanWake(const WakeInput& in);

}  // namespace ui
