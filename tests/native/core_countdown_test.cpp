// The countdown's state object: what Start/Pause, Reset and the tick make of it.
#include "core/Countdown.h"

#include <gtest/gtest.h>

namespace {

using core::Countdown;
using core::CountdownState;

std::int64_t const kNow = 13'000'000'000'000;

TEST(Countdown, FreshStartCountsEveryTenthAndExpiresOnTheTickThatShowsTheLast) {
    Countdown countdown;
    countdown.Run(kNow);
    countdown.Load(2);
    EXPECT_EQ(countdown.State(), CountdownState::Running);
    EXPECT_FALSE(countdown.Ticked());
    EXPECT_EQ(countdown.TicksLeft(), 30);
    EXPECT_EQ(countdown.EndsAt(), kNow + 3000);
    for (int tick = 1; tick < 30; ++tick) ASSERT_FALSE(countdown.Tick()) << tick;
    // The 10th tick took a whole second: the next shows 1.9; the 29th left the last tenth to show.
    EXPECT_EQ(countdown.SecondsLeft(), 0);
    EXPECT_EQ(countdown.TenthsLeft(), 0);
    EXPECT_TRUE(countdown.Tick());
    EXPECT_EQ(countdown.State(), CountdownState::Idle);
    EXPECT_TRUE(countdown.Expired());
    EXPECT_EQ(countdown.TicksLeft(), 0);
    EXPECT_EQ(countdown.EndsAt(), 0);
    countdown.Reset();
    EXPECT_FALSE(countdown.Expired());
    EXPECT_FALSE(countdown.Ticked());
    EXPECT_EQ(countdown.Length(), 2);
}

TEST(Countdown, PauseHoldsTheTimeLeftAndResumeEndsFromTheNewNow) {
    Countdown countdown;
    countdown.Run(kNow);
    countdown.Load(5);
    for (int tick = 0; tick < 12; ++tick) countdown.Tick();
    countdown.Pause();
    EXPECT_EQ(countdown.State(), CountdownState::Paused);
    EXPECT_EQ(countdown.EndsAt(), 0);
    EXPECT_EQ(countdown.SecondsLeft(), 4);
    EXPECT_EQ(countdown.TenthsLeft(), 7);
    countdown.Run(kNow + 60'000);
    EXPECT_TRUE(countdown.Ticked());
    EXPECT_EQ(countdown.EndsAt(), kNow + 60'000 + 4800);
    // A Pause before the first tick leaves it fresh: the next start loads it again.
    Countdown early;
    early.Run(kNow);
    early.Load(5);
    early.Pause();
    EXPECT_FALSE(early.Ticked());
    EXPECT_EQ(early.State(), CountdownState::Paused);
}

}  // namespace
