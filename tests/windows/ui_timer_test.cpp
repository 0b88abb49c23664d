// The tick timer: a fixed grid that never loses or merges ticks.
#include "TestSupport.h"
#include "ui/Timer.h"

#include <gtest/gtest.h>

namespace {

TEST(Timer, DeliversTicksThatFellDueWhileTheThreadWasBlocked) {
    int ticks = 0;
    ui::Timer timer([&] { ++ticks; });
    timer.SetEnabled(true);
    timer.SetInterval(100);
    // The thread is busy for a second: ten ticks fall due without a chance to run.
    Sleep(1050);
    EXPECT_EQ(ticks, 0);
    testsupport::PumpUntil([&] { return ticks >= 10; }, 500);
    EXPECT_GE(ticks, 10);
    EXPECT_LE(ticks, 13);
}

TEST(Timer, RunsOnlyWhileEnabledWithAnInterval) {
    int ticks = 0;
    ui::Timer timer([&] { ++ticks; });
    timer.SetEnabled(true);  // interval still 0
    testsupport::PumpFor(250);
    EXPECT_EQ(ticks, 0);
    timer.SetInterval(50);
    EXPECT_TRUE(testsupport::PumpUntil([&] { return ticks >= 2; }, 1000));
    timer.SetEnabled(false);
    const int stopped = ticks;
    testsupport::PumpFor(200);
    EXPECT_EQ(ticks, stopped);
}

TEST(Timer, ATickThatStopsTheTimerEndsTheCatchUp) {
    int ticks = 0;
    ui::Timer* self = nullptr;
    ui::Timer timer([&] {
        if (++ticks == 3) self->SetEnabled(false);
    });
    self = &timer;
    timer.SetEnabled(true);
    timer.SetInterval(50);
    Sleep(600);  // about twelve ticks due
    testsupport::PumpFor(200);
    EXPECT_EQ(ticks, 3);
}

TEST(Timer, TicksDeliveredInsideANestedPumpAreNotRepeated) {
    int ticks = 0;
    std::vector<int> order;
    ui::Timer timer([&] {
        const int mine = ++ticks;
        order.push_back(mine);
        // The first tick pumps messages for a while, as a balloon wait or a message box does.
        if (mine == 1) testsupport::PumpFor(350);
    });
    timer.SetEnabled(true);
    timer.SetInterval(100);
    testsupport::PumpUntil([&] { return ticks >= 6; }, 2000);
    timer.SetEnabled(false);
    for (std::size_t i = 0; i < order.size(); ++i) EXPECT_EQ(order[i], static_cast<int>(i) + 1);
    EXPECT_GE(ticks, 6);
}

TEST(Timer, HiddenWakesAboutOnceASecondAndVisibleOncePerTick) {
    // Two countdowns side by side for ten seconds, one seen and one hidden, both ending far ahead.
    ui::Timer* timers[2] = {};
    const auto tellEnd = [&](int i) { timers[i]->SetExpiringTick(1000); };
    ui::Timer visible([&] { tellEnd(0); });
    ui::Timer hidden([&] { tellEnd(1); });
    timers[0] = &visible;
    timers[1] = &hidden;
    hidden.SetHidden(true);
    for (ui::Timer* timer : timers) {
        timer->SetEnabled(true);
        timer->SetInterval(100);
    }
    testsupport::PumpFor(10'000);
    // A busy machine only merges wakes, never adds any: the bounds hold under load.
    EXPECT_LE(hidden.Wakes(), 12u);
    EXPECT_GE(hidden.Wakes(), 5u);
    EXPECT_GT(visible.Wakes(), 4 * hidden.Wakes());
    // Both deliver the same grid; the hidden one up to its last whole second.
    EXPECT_GE(hidden.TicksDelivered() + 10, visible.TicksDelivered());
}

}  // namespace
