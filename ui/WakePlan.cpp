// Wake plan: which grid tick the next wake is for, and whether the fine clock is needed until then.
#include "ui/WakePlan.h"

namespace ui {

Wake PlanWake(const WakeInput& in) {
    const std::uint64_t next = in.delivered + 1;
    const bool expiryKnown = in.expiringTick >= next;
    const std::int64_t expiryAt = expiryKnown ? TickDue(in.start, in.period, in.expiringTick) : 0;
    const auto fine = [&](std::int64_t at) { return expiryKnown && at >= expiryAt - kFineClockWindow; };

    // Overdue ticks are delivered at once, whatever the cadence.
    if (TickDue(in.start, in.period, next) <= in.now) return {in.now, fine(in.now)};

    std::uint64_t tick = next;
    if (in.hidden && expiryKnown && in.sharedSeconds) {
        // The first whole second of the clock at which a tick is due; never later than the expiring tick.
        const std::int64_t due = TickDue(in.start, in.period, next);
        std::int64_t at = (due + kWakeUnitsPerSecond - 1) / kWakeUnitsPerSecond * kWakeUnitsPerSecond;
        if (at > expiryAt) at = expiryAt;
        Wake wake{at, fine(in.now)};
        if (!wake.fineClock && wake.at > expiryAt - kFineClockWindow) wake.at = expiryAt - kFineClockWindow;
        return wake;
    }
    if (in.hidden && expiryKnown) {
        // Ticks in a second of the display; a period that does not divide a second wakes every tick.
        const std::uint64_t perSecond = in.period < kWakeUnitsPerSecond && kWakeUnitsPerSecond % in.period == 0
                                            ? static_cast<std::uint64_t>(kWakeUnitsPerSecond / in.period)
                                            : 1;
        // The seconds change on the ticks k with k = expiringTick + 1 (mod perSecond).
        tick = next + (in.expiringTick + 1 - next) % perSecond;
        if (tick > in.expiringTick) tick = in.expiringTick;
    }
    Wake wake{TickDue(in.start, in.period, tick), fine(in.now)};
    if (!wake.fineClock && expiryKnown && wake.at > expiryAt - kFineClockWindow) wake.at = expiryAt - kFineClockWindow;
    return wake;
}

}  // namespace ui
