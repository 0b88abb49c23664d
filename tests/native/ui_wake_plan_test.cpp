// The tick timer's wake plan: every tick while the display is seen, the whole seconds while hidden,
// the expiring tick always, and the fine clock only in the last half second.
#include "ui/WakePlan.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr std::int64_t kMs = 10'000;
constexpr std::int64_t kPeriod = 100 * kMs;

// The wakes of a countdown whose every wake is on time: the ticks each wake finds due, in order.
struct Wakes {
    std::vector<std::uint64_t> ticks;  // the last tick due at each wake that delivered one
    std::vector<std::int64_t> fineFrom;  // instants of wakes planned with the fine clock
    int wakes = 0;
};

Wakes Simulate(bool hidden, std::uint64_t expiring, std::uint64_t fromTick = 0) {
    Wakes out;
    ui::WakeInput in;
    in.start = 0;
    in.period = kPeriod;
    in.hidden = hidden;
    in.expiringTick = expiring;
    in.delivered = fromTick;
    in.now = ui::TickDue(0, kPeriod, fromTick);
    while (in.delivered < expiring) {
        const ui::Wake wake = ui::PlanWake(in);
        EXPECT_GT(wake.at, in.now);
        if (wake.fineClock) out.fineFrom.push_back(in.now);
        in.now = wake.at;
        ++out.wakes;
        const auto due = static_cast<std::uint64_t>(in.now / kPeriod);
        if (due > in.delivered) out.ticks.push_back(due);
        in.delivered = due;
    }
    return out;
}

TEST(WakePlan, VisibleWakesForEveryTickHiddenForEachWholeSecondAndTheExpiringTick) {
    // A fresh 5-second countdown: its 60th tick expires; ticks 1, 11, ..., 51 show x.9.
    const Wakes visible = Simulate(false, 60);
    ASSERT_EQ(visible.ticks.size(), 60u);
    for (std::size_t i = 0; i < visible.ticks.size(); ++i) EXPECT_EQ(visible.ticks[i], i + 1);

    const Wakes hidden = Simulate(true, 60);
    const std::vector<std::uint64_t> expected = {1, 11, 21, 31, 41, 51, 55, 60};
    EXPECT_EQ(hidden.ticks, expected);
    EXPECT_EQ(hidden.wakes, 8);

    // Resumed after a pause mid-second: the grid restarts, the seconds still change on x.9.
    const Wakes resumed = Simulate(true, 37);  // the display next shows 3.6: ticks 8, 18, 28 show x.9
    const std::vector<std::uint64_t> resumedTicks = {8, 18, 28, 32, 37};
    EXPECT_EQ(resumed.ticks, resumedTicks);
}

TEST(WakePlan, HiddenTimersSharingSecondsWakeOnTheClocksWholeSecondsAndEachExpiresOnTime) {
    for (const std::int64_t start : {std::int64_t{0}, 130 * kMs, 770 * kMs}) {
        ui::WakeInput in;
        in.start = start;
        in.period = kPeriod;
        in.hidden = true;
        in.sharedSeconds = true;
        in.expiringTick = 60;
        in.now = start;
        const std::int64_t expiry = ui::TickDue(start, kPeriod, 60);
        int wakes = 0;
        while (in.delivered < 60) {
            const ui::Wake wake = ui::PlanWake(in);
            ASSERT_GT(wake.at, in.now);
            const bool onSecond = wake.at % ui::kWakeUnitsPerSecond == 0;
            EXPECT_TRUE(onSecond || wake.at == expiry || wake.at == expiry - ui::kFineClockWindow) << start << " " << wake.at;
            in.now = wake.at;
            in.delivered = static_cast<std::uint64_t>((in.now - start) / kPeriod);
            ++wakes;
        }
        EXPECT_EQ(in.now, expiry);
        EXPECT_LE(wakes, 9) << start;
    }
}

TEST(WakePlan, FineClockOnlyInTheLastHalfSecondBeforeTheExpiringTick) {
    const std::int64_t window = ui::TickDue(0, kPeriod, 60) - ui::kFineClockWindow;
    for (bool hidden : {false, true}) {
        const Wakes wakes = Simulate(hidden, 60);
        ASSERT_FALSE(wakes.fineFrom.empty()) << hidden;
        for (std::int64_t at : wakes.fineFrom) EXPECT_GE(at, window) << hidden;
        // It is taken at the window's start, and held up to the expiring tick.
        EXPECT_EQ(wakes.fineFrom.front(), window) << hidden;
    }
    // Without a known end there is neither a fine clock nor a sparse cadence.
    ui::WakeInput unknown;
    unknown.period = kPeriod;
    unknown.hidden = true;
    unknown.delivered = 3;
    unknown.now = 3 * kPeriod + kMs;
    const ui::Wake wake = ui::PlanWake(unknown);
    EXPECT_EQ(wake.at, 4 * kPeriod);
    EXPECT_FALSE(wake.fineClock);
    // Overdue ticks are delivered at once.
    unknown.now = 9 * kPeriod;
    EXPECT_EQ(ui::PlanWake(unknown).at, unknown.now);
}

}  // namespace
