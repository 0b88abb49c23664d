// The tick timer: a fixed grid that never loses or merges ticks.
#include "TestSupport.h"
#include "ui/Clock.h"
#include "ui/Timer.h"

#include <gtest/gtest.h>

namespace {

constexpr std::int64_t kMs = ui::kClockUnitsPerMs;

// Ticks due by the clock on a grid of `intervalMs` that started at `start`.
std::uint64_t DueSince(const ui::MonotonicClock& clock, std::int64_t start, int intervalMs) {
    return static_cast<std::uint64_t>((clock.Now() - start) / (intervalMs * kMs));
}

// Handles messages until a reference timer of the same interval, started now, has ticked `ticks`
// times: a timer that ought to stay quiet would have ticked by then, however loaded the machine.
void PumpForTicksOf(int intervalMs, int ticks) {
    int reference = 0;
    ui::Timer timer([&] { ++reference; });
    timer.SetEnabled(true);
    timer.SetInterval(intervalMs);
    ASSERT_TRUE(testsupport::PumpUntil([&] { return reference >= ticks; }, 20'000));
}

TEST(Timer, DeliversTicksThatFellDueWhileTheThreadWasBlocked) {
    const ui::MonotonicClock clock;
    int ticks = 0;
    ui::Timer timer([&] { ++ticks; });
    timer.SetEnabled(true);
    const std::int64_t start = clock.Now();
    timer.SetInterval(50);
    // The thread is busy while ten ticks fall due without a chance to run.
    testsupport::BusyUntil([&] { return DueSince(clock, start, 50) >= 10; });
    EXPECT_EQ(ticks, 0);
    EXPECT_TRUE(testsupport::PumpUntil([&] { return ticks >= 10; }, 10'000));
    // Never more than the clock has made due: none repeated, none invented.
    EXPECT_LE(static_cast<std::uint64_t>(ticks), DueSince(clock, start, 50));
}

TEST(Timer, RunsOnlyWhileEnabledWithAnInterval) {
    int ticks = 0;
    ui::Timer timer([&] { ++ticks; });
    timer.SetEnabled(true);  // interval still 0
    PumpForTicksOf(50, 3);
    EXPECT_EQ(ticks, 0);
    timer.SetInterval(50);
    EXPECT_TRUE(testsupport::PumpUntil([&] { return ticks >= 2; }, 10'000));
    timer.SetEnabled(false);
    const int stopped = ticks;
    PumpForTicksOf(50, 3);
    EXPECT_EQ(ticks, stopped);
}

TEST(Timer, ATickThatStopsTheTimerEndsTheCatchUp) {
    const ui::MonotonicClock clock;
    int ticks = 0;
    ui::Timer* self = nullptr;
    ui::Timer timer([&] {
        if (++ticks == 3) self->SetEnabled(false);
    });
    self = &timer;
    timer.SetEnabled(true);
    const std::int64_t start = clock.Now();
    timer.SetInterval(50);
    testsupport::BusyUntil([&] { return DueSince(clock, start, 50) >= 12; });
    PumpForTicksOf(50, 3);
    EXPECT_EQ(ticks, 3);
}

TEST(Timer, TicksDeliveredInsideANestedPumpAreNotRepeated) {
    int ticks = 0;
    std::vector<int> order;
    ui::Timer timer([&] {
        const int mine = ++ticks;
        order.push_back(mine);
        // The first tick pumps messages until later ticks came inside it, as a balloon wait or a
        // message box does.
        if (mine == 1) testsupport::PumpUntil([&] { return ticks >= 4; }, 10'000);
    });
    timer.SetEnabled(true);
    timer.SetInterval(100);
    testsupport::PumpUntil([&] { return ticks >= 6; }, 20'000);
    timer.SetEnabled(false);
    for (std::size_t i = 0; i < order.size(); ++i) EXPECT_EQ(order[i], static_cast<int>(i) + 1);
    EXPECT_GE(ticks, 6);
}

TEST(Timer, HiddenWakesAboutOnceASecondAndVisibleOncePerTick) {
    // Two countdowns side by side, one seen and one hidden, both ending far ahead, until the hidden
    // one has woken three times.
    const ui::MonotonicClock clock;
    ui::Timer* timers[2] = {};
    const auto tellEnd = [&](int i) { timers[i]->SetExpiringTick(1000); };
    ui::Timer visible([&] { tellEnd(0); });
    ui::Timer hidden([&] { tellEnd(1); });
    timers[0] = &visible;
    timers[1] = &hidden;
    hidden.SetHidden(true);
    const std::int64_t start = clock.Now();
    for (ui::Timer* timer : timers) {
        timer->SetEnabled(true);
        timer->SetInterval(100);
    }
    ASSERT_TRUE(testsupport::PumpUntil([&] { return hidden.Wakes() >= 3; }, 20'000));
    const std::uint64_t seconds = DueSince(clock, start, 1000);
    // A busy machine only merges wakes, never adds any: the hidden timer wakes at most once for each
    // change of the displayed seconds (and once for its first tick), and less often than the visible
    // one over the same stretch.
    EXPECT_LE(hidden.Wakes(), seconds + 2);
    EXPECT_LT(hidden.Wakes(), visible.Wakes());
    // Both deliver the same grid; the hidden one up to its last whole second.
    EXPECT_GE(hidden.TicksDelivered() + 10, visible.TicksDelivered());
}

}  // namespace
