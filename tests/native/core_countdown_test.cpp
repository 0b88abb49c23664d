// The countdown's state object: what Start/Pause, Reset and the tick make of it.
#include "core/Countdown.h"

#include <gtest/gtest.h>

namespace {

std::int64_t const kNow = 13'000'000'000'000;

TEST(Countdown, FreshStartCountsEveryTenthAndExpiresOnTheTickThatShowsTheLast) {
    core::Countdown countdown;
    countdown.Run(kNow);
    countdown.Load(2);
    EXPECT_EQ(countdown.EndsAt(), kNow + 3000);
    for (int tick = 1; tick < 30; ++tick) ASSERT_FALSE(countdown.Tick()) << tick;
    EXPECT_TRUE(countdown.SecondsLeft() == 0 && countdown.TenthsLeft() == 0);
    EXPECT_TRUE(countdown.Tick());
    EXPECT_TRUE(countdown.State() == core::CountdownState::Ringing && countdown.EndsAt() == 0);
    EXPECT_EQ(countdown.EndedAt(), kNow + 3000);
    countdown.Reset();
    EXPECT_FALSE(countdown.State() == core::CountdownState::Ringing || countdown.Ticked());
    // A start asked for 2.5 s before it was made ends as if made then; the expiring tick stays to come.
    countdown.Run(kNow);
    countdown.Load(2);
    countdown.CountFrom(kNow - 2500, kNow);
    EXPECT_EQ(countdown.TicksLeft(), 5);
    countdown.CountFrom(kNow - 60'000, kNow);
    EXPECT_EQ(countdown.TicksLeft(), 1);
    // A countdown that ended while the program was away rings at its next tick, as having ended then.
    countdown.RestoreRinging(kNow - 60'000, kNow);
    EXPECT_TRUE(countdown.Tick() && countdown.EndedAt() == kNow - 60'000);
}

TEST(Countdown, PauseHoldsTheTimeLeftAndResumeEndsFromTheNewNow) {
    core::Countdown countdown;
    countdown.Run(kNow);
    countdown.Load(5);
    countdown.Pause();
    EXPECT_FALSE(countdown.Ticked()) << "paused before its first tick, a start loads it again";
    countdown.Run(kNow);
    for (int tick = 0; tick < 12; ++tick) countdown.Tick();
    countdown.Pause();
    EXPECT_TRUE(countdown.State() == core::CountdownState::Paused && countdown.EndsAt() == 0);
    EXPECT_TRUE(countdown.SecondsLeft() == 4 && countdown.TenthsLeft() == 7);
    countdown.Run(kNow + 60'000);
    EXPECT_EQ(countdown.EndsAt(), kNow + 60'000 + 4800);
}

TEST(Countdown, RestoredCountdownHoldsItsTicksLeftAndEndsOnTime) {
    core::Countdown countdown;
    countdown.Restore(48, true, kNow);
    EXPECT_TRUE(countdown.Ticked() && countdown.State() == core::CountdownState::Running);
    EXPECT_TRUE(countdown.SecondsLeft() == 4 && countdown.TenthsLeft() == 7);
    EXPECT_EQ(countdown.EndsAt(), kNow + 4800);
    countdown.Restore(1, false, kNow);
    EXPECT_TRUE(countdown.State() == core::CountdownState::Paused && countdown.EndsAt() == 0);
    countdown.Run(kNow);
    EXPECT_TRUE(countdown.Tick()) << "one tick left: the first tick rings";
}

}  // namespace
