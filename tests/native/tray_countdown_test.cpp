// What the tray shows of the countdown: the tip's text and the progress picture.
#include "app/CountdownDisplay.h"
#include "app/TrayCountdown.h"
#include "resources/TrayPicture.h"
#include "tray/ProgressPicture.h"
#include "tray/TrayCadence.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <set>
#include <utility>
#include <vector>

namespace {

using app::CountdownState;
using app::TrayTipText;

TEST(TrayTip, ProductNameAloneWhenIdleAndTheDisplayedWholeSecondsWhileLoaded) {
    EXPECT_EQ(TrayTipText(CountdownState::Idle, 299, 5), L"Corvalin Timer Software");
    // After the tick that showed 023:59:59.9, and after the one that showed 000:00:01.0.
    EXPECT_EQ(TrayTipText(CountdownState::Running, 86399, 8), L"Corvalin Timer Software\n023:59:59 left");
    EXPECT_EQ(TrayTipText(CountdownState::Running, 0, 9), L"Corvalin Timer Software\n000:00:01 left");
    EXPECT_EQ(TrayTipText(CountdownState::Paused, 299, 3), L"Corvalin Timer Software\n000:04:59 left, paused");
}

TEST(TrayTip, ARunningCountdownGivesItsEndTimeWithinTheShellsLimit) {
    EXPECT_EQ(TrayTipText(CountdownState::Running, 299, 3, L"17:30"), L"Corvalin Timer Software\n000:04:59 left, ends 17:30");
    EXPECT_EQ(TrayTipText(CountdownState::Paused, 299, 3, L"17:30"), L"Corvalin Timer Software\n000:04:59 left, paused");
    EXPECT_EQ(TrayTipText(CountdownState::Idle, 299, 3, L"17:30"), L"Corvalin Timer Software");
    // 45 characters before the end time: one of 82 fits exactly, a longer one is left out whole.
    const std::wstring fits(82, L'x');
    EXPECT_EQ(TrayTipText(CountdownState::Running, 299, 3, fits).size(), app::kTrayTipLimit);
    EXPECT_EQ(TrayTipText(CountdownState::Running, 299, 3, fits + L"x"), L"Corvalin Timer Software\n000:04:59 left");
}

TEST(TrayTip, ChangesOnTheSameTickAsTheDisplaysWholeSeconds) {
    // The engine's count through a minute boundary: each tick shows (s, t), then counts down one tenth.
    std::int32_t seconds = 300;
    std::int16_t tenths = 2;
    for (int tick = 0; tick < 25; ++tick) {
        const std::wstring shown = app::FormatCountdown(seconds, tenths);
        if (--tenths < 0) {
            tenths = 9;
            --seconds;
        }
        const std::wstring tip = TrayTipText(CountdownState::Running, seconds, tenths);
        EXPECT_EQ(tip, L"Corvalin Timer Software\n" + shown.substr(0, shown.size() - 2) + L" left") << tick;
    }
}

TEST(TrayCadence, WhileNobodyLooksTheTipGoesOutForANewMinuteOrStateAndWhileHoveredForEveryChange) {
    const auto key = [](CountdownState state, std::int32_t shownSeconds) { return app::TrayQuietKey(state, shownSeconds, 0); };
    EXPECT_EQ(key(CountdownState::Running, 1799), key(CountdownState::Running, 1740));
    EXPECT_NE(key(CountdownState::Running, 1800), key(CountdownState::Running, 1799));
    EXPECT_NE(key(CountdownState::Running, 59), key(CountdownState::Paused, 59));
    EXPECT_NE(key(CountdownState::Running, 59), key(CountdownState::Idle, 59));

    tray::TrayCadence cadence;
    EXPECT_TRUE(cadence.TipDue(key(CountdownState::Running, 1800), false));
    cadence.Sent(key(CountdownState::Running, 1800));
    EXPECT_TRUE(cadence.TipDue(key(CountdownState::Running, 1799), false));
    cadence.Sent(key(CountdownState::Running, 1799));
    EXPECT_FALSE(cadence.TipDue(key(CountdownState::Running, 1798), false));
    EXPECT_TRUE(cadence.TipDue(key(CountdownState::Paused, 1798), false));
    EXPECT_TRUE(cadence.TipDue(key(CountdownState::Running, 1798), true));

    // The shell reports moves only: the hover lasts 2 s after the last, or while the pointer rests there.
    const tray::TrayCadence::Point icon{1200, 1010};
    EXPECT_FALSE(cadence.Hovered(0, icon));
    cadence.PointerOverIcon(10'000, icon);
    EXPECT_TRUE(cadence.Hovered(11'999, {0, 0}));
    EXPECT_FALSE(cadence.Hovered(12'000, {0, 0}));
    EXPECT_TRUE(cadence.Hovered(70'000, icon));
}

int Marked(const std::vector<std::uint32_t>& pixels, int size, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) n += pixels[static_cast<std::size_t>(y * size + x)] == tray::kProgressMark;
    }
    return n;
}

TEST(ProgressPicture, MarksTheShareLeftClockwiseFromTwelveAndKeepsTheV) {
    namespace art = resources::tray_picture;
    for (int size : {16, 20, 24, 32}) {
        const int half = size / 2;
        std::vector<int> total;
        for (double share : {0.0, 0.25, 0.5, 0.75, 1.0}) {
            const auto pixels = tray::DrawProgressPicture(size, share);
            ASSERT_EQ(pixels.size(), static_cast<std::size_t>(size * size));
            // Quadrants: top right, bottom right, bottom left, top left; the mark leaves them in turn.
            const std::array<int, 4> q = {Marked(pixels, size, half, 0, size, half),
                                          Marked(pixels, size, half, half, size, size),
                                          Marked(pixels, size, 0, half, half, size),
                                          Marked(pixels, size, 0, 0, half, half)};
            const int quarters = static_cast<int>(share * 4 + 0.5);
            for (int i = 0; i < 4; ++i) {
                if (i < 4 - quarters) {
                    EXPECT_EQ(q[static_cast<std::size_t>(i)], 0) << size << " " << share << " quadrant " << i;
                } else {
                    EXPECT_GT(q[static_cast<std::size_t>(i)], 0) << size << " " << share << " quadrant " << i;
                }
            }
            total.push_back(q[0] + q[1] + q[2] + q[3]);
            // The 'V' inside the frame is never painted over.
            const int frame = tray::ProgressFrameWidth(size);
            EXPECT_EQ(Marked(pixels, size, frame, frame, size - frame, size - frame), 0);
        }
        // Full: the whole frame is marked but for its outermost pixels, the design's black rim, which
        // parts the mark from a light taskbar.
        const int frame = tray::ProgressFrameWidth(size);
        const int inside = size - 2 * tray::ProgressRimWidth(size);
        EXPECT_EQ(total.back(), inside * inside - (size - 2 * frame) * (size - 2 * frame)) << size;
        const auto full = tray::DrawProgressPicture(size, 1.0);
        for (int i = 0; i < size; ++i) {
            for (std::size_t at : {static_cast<std::size_t>(i), static_cast<std::size_t>((size - 1) * size + i),
                                   static_cast<std::size_t>(i * size), static_cast<std::size_t>(i * size + size - 1)}) {
                ASSERT_EQ(full[at], art::kBlack) << size << " rim pixel " << at;
            }
        }
    }
    // Nothing left at the tray's design size is the design picture itself.
    const auto empty = tray::DrawProgressPicture(art::kSize, 0.0);
    EXPECT_TRUE(std::equal(empty.begin(), empty.end(), art::kPixels.begin(), art::kPixels.end()));
}

// Pixels of a picture that differ between two pictures of the same size, inside and outside a box.
struct Differences {
    int inside = 0;
    int outside = 0;
};

Differences Compare(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b, int size, int x0, int y0,
                    int x1, int y1) {
    Differences d;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const std::size_t at = static_cast<std::size_t>(y * size + x);
            if (a[at] == b[at]) continue;
            const bool inside = x >= x0 && x < x1 && y >= y0 && y < y1;
            ++(inside ? d.inside : d.outside);
        }
    }
    return d;
}

TEST(ProgressPicture, PausedShowsTwoBarsOverTheVAndKeepsTheFrameAtEveryTraySize) {
    namespace art = resources::tray_picture;
    for (int size : {16, 20, 24, 32, 40}) {
        const int frame = tray::ProgressFrameWidth(size);
        for (double share : {0.0, 0.4, 1.0}) {
            const auto running = tray::DrawProgressPicture(size, share);
            const auto paused = tray::DrawProgressPicture(size, share, true);
            ASSERT_EQ(paused.size(), running.size());
            // Only the inside of the frame changes, and visibly.
            const Differences d = Compare(running, paused, size, frame, frame, size - frame, size - frame);
            EXPECT_EQ(d.outside, 0) << size << " " << share;
            EXPECT_GE(d.inside, size * size / 16) << size << " " << share;
            // Two upright black bars through the middle third, parted by light ground.
            std::vector<std::pair<int, int>> bars;  // first and last column
            for (int x = frame; x < size - frame; ++x) {
                bool black = true;
                for (int y = size / 3; y < 2 * size / 3; ++y) {
                    black = black && paused[static_cast<std::size_t>(y * size + x)] == art::kBlack;
                }
                if (!black) continue;
                if (!bars.empty() && bars.back().second == x - 1) {
                    bars.back().second = x;
                } else {
                    bars.emplace_back(x, x);
                }
            }
            ASSERT_EQ(bars.size(), 2u) << size << " " << share;
            for (int x = bars[0].second + 1; x < bars[1].first; ++x) {
                EXPECT_EQ(paused[static_cast<std::size_t>(size / 2 * size + x)], art::kLightCyan) << size;
            }
            EXPECT_GE(bars[1].first - bars[0].second - 1, 2) << size;
            EXPECT_EQ(bars[0].first + bars[1].second, size - 1) << "pause sign off centre at " << size;
        }
    }
}

TEST(ProgressPicture, DesignIsDrawnAtEachTraySizeNotStretchedFrom16) {
    namespace art = resources::tray_picture;
    // The design is mirror-symmetric; stretching its whole pixels to 20 or 24 would not be. Drawn from
    // its shapes, its edges blend colours, which its three-colour pixels doubled to 32 would not.
    for (int size : {20, 24, 32}) {
        const auto pixels = tray::DrawProgressPicture(size, 0.0);
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size / 2; ++x) {
                ASSERT_EQ(pixels[static_cast<std::size_t>(y * size + x)],
                          pixels[static_cast<std::size_t>(y * size + size - 1 - x)])
                    << size << " at " << x << "," << y;
            }
        }
        EXPECT_GT(std::count(pixels.begin(), pixels.end(), art::kBlue), size * size / 20) << size;
        EXPECT_GT(std::set<std::uint32_t>(pixels.begin(), pixels.end()).size(), 3u) << size;
    }
}

}  // namespace
