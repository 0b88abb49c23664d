// The one tray icon over several timers: the tip's lines and the timer its picture shows.
#include "app/EndedText.h"
#include "app/TrayTimersTip.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using app::TrayTimer;
constexpr auto kRunning = app::CountdownState::Running;
constexpr auto kPaused = app::CountdownState::Paused;

TEST(TrayTimersTip, OrdersBySoonestEndKeepsTheSingleTipAndEndsWithHowManyMoreWithinTheLimit) {
    const TrayTimer tea{L"Tea", kRunning, 299, 3, L"17:30"}, eggs{L"", kRunning, 59, 0, L"17:26"};
    const TrayTimer bread{L"Bread", kPaused, 10, 0, L""}, idle{L"Idle", app::CountdownState::Idle, 0, 0, L""};
    EXPECT_EQ(app::TrayTimersTipText(std::vector{bread, idle, tea, eggs}),
              L"Corvalin Timer Software\n000:00:59 left, ends 17:26\nTea 000:04:59 left, ends 17:30\n"
              L"Bread 000:00:10 left, paused");
    for (const TrayTimer& only : {eggs, TrayTimer{L"", kPaused, 299, 3, L""}}) {
        EXPECT_EQ(app::TrayTimersTipText(std::vector{idle, only}),
                  app::TrayTipText(only.state, only.secondsLeft, only.tenthsLeft, only.endTime));
    }
    EXPECT_EQ(app::TrayTimersTipText(std::vector{idle}), L"Corvalin Timer Software");
    // Twenty labelled timers: as many short lines as fit beside "+N more", which names the rest.
    const std::vector many(20, TrayTimer{L"Green tea", kRunning, 600, 0, L"17:40"});
    const std::wstring tip = app::TrayTimersTipText(many);
    EXPECT_TRUE(tip.size() <= app::kTrayTipLimit && tip.ends_with(L"\nGreen tea 000:10:00\n+16 more"));
    // Lines are shortened, all alike, before one is left out: first the end times go, then the labels
    // are cut and the time stands alone.
    const std::wstring label(25, L'L');
    EXPECT_EQ(app::TrayTimersTipText(std::vector{TrayTimer{label, kRunning, 1, 0, L"17:30"},
                                                 TrayTimer{label, kRunning, 2, 0, L"17:30"}}),
              L"Corvalin Timer Software\n" + label + L" 000:00:01 left\n" + label + L" 000:00:02 left");
    const std::vector three(3, TrayTimer{label, kPaused, 60, 0, L""});
    EXPECT_EQ(app::TrayTimersTipText(three), L"Corvalin Timer Software\nLLLLLLLLL\u2026 000:01:00 paused"
                                             L"\nLLLLLLLLL\u2026 000:01:00 paused\nLLLLLLLLL\u2026 000:01:00 paused");
}

TEST(EndedText, SaysHowLongAgoInWholeMinutesThenHoursFromTheFirstMinuteWithTheDayWhenNotToday) {
    EXPECT_EQ(app::EndedLineText(L"17:30", L"", 59'999), L"Ended at 17:30");
    EXPECT_EQ(app::EndedLineText(L"17:30", L"", -5'000), L"Ended at 17:30") << "a clock set back";
    EXPECT_EQ(app::EndedLineText(L"17:30", L"", 60'000), L"Ended at 17:30, 1 min ago");
    EXPECT_EQ(app::AgoText(3'599'999), L"59 min ago");
    EXPECT_EQ(app::AgoText(3'600'000), L"1 h ago");
    EXPECT_EQ(app::AgoText(3'900'000), L"1 h 5 min ago");
    EXPECT_EQ(app::EndedLineText(L"23:50", L"14/03/2025", 26 * 3'600'000), L"Ended at 23:50 on 14/03/2025, 26 h ago");
    // In the tray tip, among the counting timers, ringing ones first from their first whole minute; the
    // picture still shows a countdown.
    const TrayTimer tea{L"Tea", app::CountdownState::Ringing, 0, 0, app::TrayEndedText(180'000)};
    const TrayTimer eggs{L"Eggs", app::CountdownState::Ringing, 0, 0, app::TrayEndedText(59'999)};
    const TrayTimer soup{L"Soup", kRunning, 59, 0, L"17:40"};
    EXPECT_EQ(app::TrayTimersTipText(std::vector{soup, tea, eggs}),
              L"Corvalin Timer Software\nTea ended 3 min ago\nSoup 000:00:59 left, ends 17:40");
    EXPECT_EQ(app::TrayTimersTipText(std::vector{TrayTimer{L"", tea.state, 0, 0, tea.endTime}}),
              L"Corvalin Timer Software\nEnded 3 min ago");
    EXPECT_EQ(app::TrayPictureTimer(std::vector{tea, soup})->index, 1u);
}

TEST(TrayTimersPicture, ShowsTheSoonestRunningTimerOrThePausedOneWhenNoneRuns) {
    const TrayTimer late{L"", kRunning, 900, 0, L""}, soon{L"", kRunning, 60, 5, L""}, paused{L"", kPaused, 5, 0, L""};
    const auto running = app::TrayPictureTimer(std::vector{late, paused, soon, TrayTimer{}});
    EXPECT_TRUE(running && running->index == 2 && !running->paused);
    const auto allPaused = app::TrayPictureTimer(std::vector{TrayTimer{}, paused});
    EXPECT_TRUE(allPaused && allPaused->index == 1 && allPaused->paused);
    EXPECT_FALSE(app::TrayPictureTimer(std::vector{TrayTimer{}}));
}

}  // namespace
