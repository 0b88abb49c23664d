// The one tray icon over several timers: the tip's lines and the timer its picture shows.
#include "app/TrayTimersTip.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using app::CountdownState;
using app::TrayTimer;

TEST(TrayTimersTip, OrdersBySoonestEndKeepsTheSingleTipAndEndsWithHowManyMoreWithinTheLimit) {
    const TrayTimer tea{L"Tea", CountdownState::Running, 299, 3, L"17:30"};
    const TrayTimer eggs{L"", CountdownState::Running, 59, 0, L"17:26"};
    const TrayTimer bread{L"Bread", CountdownState::Paused, 10, 0, L""};
    const TrayTimer idle{L"Idle", CountdownState::Idle, 0, 0, L""};
    EXPECT_EQ(app::TrayTimersTipText(std::vector{bread, idle, tea, eggs}),
              L"Corvalin Timer Software\n000:00:59 left, ends 17:26\nTea 000:04:59 left, ends 17:30\n"
              L"Bread 000:00:10 left, paused");
    for (const TrayTimer& only : {eggs, TrayTimer{L"", CountdownState::Paused, 299, 3, L""}}) {
        EXPECT_EQ(app::TrayTimersTipText(std::vector{idle, only}),
                  app::TrayTipText(only.state, only.secondsLeft, only.tenthsLeft, only.endTime));
    }
    EXPECT_EQ(app::TrayTimersTipText(std::vector{idle}), L"Corvalin Timer Software");

    // Twenty labelled timers: as many lines as fit beside "+N more", which names the rest.
    std::vector<TrayTimer> many(20, TrayTimer{L"Green tea", CountdownState::Running, 600, 0, L"17:40"});
    const std::wstring tip = app::TrayTimersTipText(many);
    EXPECT_LE(tip.size(), app::kTrayTipLimit);
    EXPECT_TRUE(tip.ends_with(L"\nGreen tea 000:10:00 left, ends 17:40\n+18 more")) << testing::PrintToString(tip);
    // A line that fits only without its end time drops the end time, not the line.
    const std::wstring label(25, L'L');
    const std::wstring two = app::TrayTimersTipText(std::vector{TrayTimer{label, CountdownState::Running, 1, 0, L"17:30"},
                                                                TrayTimer{label, CountdownState::Running, 2, 0, L"17:30"}});
    EXPECT_EQ(two, L"Corvalin Timer Software\n" + label + L" 000:00:01 left, ends 17:30\n" + label + L" 000:00:02 left");
}

TEST(TrayTimersPicture, ShowsTheSoonestRunningTimerOrThePausedOneWhenNoneRuns) {
    const TrayTimer late{L"", CountdownState::Running, 900, 0, L""}, soon{L"", CountdownState::Running, 60, 5, L""};
    const TrayTimer paused{L"", CountdownState::Paused, 5, 0, L""}, idle{};
    const auto running = app::TrayPictureTimer(std::vector{late, paused, soon, idle});
    EXPECT_TRUE(running && running->index == 2 && !running->paused);
    const auto allPaused = app::TrayPictureTimer(std::vector{idle, paused});
    EXPECT_TRUE(allPaused && allPaused->index == 1 && allPaused->paused);
    EXPECT_FALSE(app::TrayPictureTimer(std::vector{idle}));
}

}  // namespace
