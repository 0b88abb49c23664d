// The recent durations' list, the global keys' text, the mini countdown's text and place, and the mini
// countdown in a timer's record.
#include "app/GlobalKeyText.h"
#include "app/MiniCountdownText.h"
#include "app/RecentDurations.h"
#include "platform/TimerRecord.h"

#include <gtest/gtest.h>

namespace app {
namespace {

TEST(RecentDurations, KeepsEightDistinctNewestFirstWithClockTimesAsClockTimes) {
    EXPECT_EQ(DurationEntry(25 * 60), L"0:25:00");
    EXPECT_EQ(DurationEntry(23 * 3600 + 59 * 60 + 59), L"23:59:59");
    EXPECT_EQ(ClockTimeEntry(7 * 3600), L"@7:00");
    EXPECT_EQ(ClockTimeEntry(17 * 3600 + 30 * 60 + 15), L"@17:30:15");
    std::vector<std::wstring> list;
    for (int minutes = 1; minutes <= 10; ++minutes) list = WithRecentDuration(list, DurationEntry(minutes * 60));
    list = WithRecentDuration(list, L"0:05:00");
    list = WithRecentDuration(list, L"@7:00");
    ASSERT_EQ(list.size(), kMostRecentDurations);
    EXPECT_EQ(list[0], L"@7:00");
    EXPECT_EQ(list[1], L"0:05:00");
    EXPECT_EQ(list[2], L"0:10:00");
    EXPECT_EQ(std::count(list.begin(), list.end(), L"0:05:00"), 1);
    // Stored and read back the same; what the command line would not take, repeats and a ninth go.
    EXPECT_EQ(ParseRecentDurations(RecentDurationsText(list)), list);
    EXPECT_EQ(ParseRecentDurations(L"0:25:00;;junk;0:25:00;@25:00;/pause;0:00:00;@5:30pm"),
              (std::vector<std::wstring>{L"0:25:00", L"@5:30pm"}));
    EXPECT_EQ(ParseRecentDurations(RecentDurationsText(list) + L";0:01:00").size(), kMostRecentDurations);
}

TEST(GlobalKeyText, ReadsWhatItWritesAndRefusesWhatNamesNoKey) {
    const std::optional<GlobalKey> pause = ParseGlobalKey(L"Ctrl+Alt+P");
    ASSERT_TRUE(pause);
    EXPECT_EQ(*pause, (GlobalKey{kModControl | kModAlt, 'P'}));
    EXPECT_EQ(ParseGlobalKey(L" alt + CTRL + p "), pause);
    for (const GlobalKey key : {GlobalKey{kModWin | kModShift, 0x87}, GlobalKey{kModControl, 0x6B}, GlobalKey{kModAlt, '7'},
                                GlobalKey{kModControl | kModAlt | kModShift | kModWin, 0x2E}, GlobalKey{0, 0x70}}) {
        const std::wstring text = GlobalKeyText(key);
        EXPECT_EQ(ParseGlobalKey(text), key) << text;
    }
    EXPECT_EQ(GlobalKeyText({kModWin | kModShift, 0x87}), L"Shift+Win+F24");
    EXPECT_EQ(GlobalKeyText({kModControl, 0x6B}), L"Ctrl+Num+");
    EXPECT_EQ(GlobalKeyText({kModControl, 0xE7}), L"");
    for (const wchar_t* bad : {L"", L"Ctrl", L"Ctrl+", L"Ctrl+Ctrl+P", L"Ctrl+F25", L"Hyper+P", L"Ctrl+PP", L"Ctrl+\u00e9"}) {
        EXPECT_FALSE(ParseGlobalKey(bad)) << bad;
    }
}

TEST(MiniCountdown, SaysTheTimeLeftInEachStateAndComesBackOntoTheWorkArea) {
    using core::CountdownState;
    EXPECT_EQ(MiniCountdownText(L"Tea", CountdownState::Running, 299), L"Tea 000:04:59");
    EXPECT_EQ(MiniCountdownText(L"", CountdownState::Running, 299), L"000:04:59");
    EXPECT_EQ(MiniCountdownText(L"Tea", CountdownState::Paused, 299), L"Tea 000:04:59 Paused");
    EXPECT_EQ(MiniCountdownText(L"", CountdownState::Ringing, 299), L"000:00:00");
    // A place kept on a second monitor, right of the first, which has gone: back at the first's edge.
    const MiniRect work{0, 0, 1920, 1040};
    const MiniRect gone = ClampedToWorkArea({2500, 300, 2700, 340}, work);
    EXPECT_EQ(gone.left, 1720);
    EXPECT_EQ(gone.top, 300);
    EXPECT_EQ(gone.right - gone.left, 200);
    const MiniRect above = ClampedToWorkArea({-50, -1200, 150, -1160}, work);
    EXPECT_TRUE(above.left == 0 && above.top == 0 && above.bottom == 40);
    const MiniRect inside = ClampedToWorkArea({100, 100, 300, 140}, work);
    EXPECT_TRUE(inside.left == 100 && inside.top == 100);
}

TEST(MiniCountdown, ItsPlaceIsKeptInTheRecordAndARecordWithoutItHasNone) {
    using namespace platform;
    constexpr std::int64_t now = 13'400'000'000'000;
    TimerRecord record{L"Tea", 0, 5, 0, TimerState::Paused, 0, 200, 3, 10, 20, true};
    record.mini = true;
    record.miniLeft = -1700;
    record.miniTop = 850;
    const auto text = core::FormatIniEntries(TimerRecordEntries(record));
    EXPECT_EQ(DecodeTimerRecord(RecordValuesOf(core::ParseIniEntries(text)), now), record);
    // An earlier version's record, without the mini countdown's values, or with one out of range.
    std::vector<RecordValue> values = EncodeTimerRecord(record);
    std::erase_if(values, [](const RecordValue& value) { return value.name == L"MiniTop"; });
    const auto earlier = DecodeTimerRecord(values, now);
    ASSERT_TRUE(earlier);
    EXPECT_FALSE(earlier->mini);
    values = EncodeTimerRecord(record);
    for (RecordValue& value : values) value.data = value.name == L"Mini" ? RecordData{std::uint32_t{2}} : value.data;
    EXPECT_FALSE(DecodeTimerRecord(values, now)->mini);
}

}  // namespace
}  // namespace app
