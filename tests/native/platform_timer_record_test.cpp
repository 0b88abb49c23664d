// A timer's record to registry values and back, and what reads back as no record.
#include "platform/TimerRecord.h"

#include <gtest/gtest.h>

#include <functional>

namespace platform {
namespace {

constexpr std::int64_t kNow = 13'400'000'000'000;
constexpr std::int64_t kDayMs = 86'400'000;

TimerRecord Running() {
    return {L"Green tea", 23, 59, 59, TimerState::Running, kNow + kDayMs, 0, 0, -32000, -32000, true};
}

TEST(TimerRecord, ReadsBackWhatItStoredInEveryStateAtTheRangesEnds) {
    TimerRecord paused{L"", 0, 0, 1, TimerState::Paused, 0, 86399, 9, 1920, -1080, false};
    TimerRecord idle{L"\xD83C\xDF75" + std::wstring(39, L'x'), 0, 0, 0, TimerState::Idle, 0, 0, 0, 0, 0, false};
    TimerRecord ended = Running();
    ended.endsUtcMs = 1;  // past: it rings once loaded
    for (const TimerRecord& record : {Running(), paused, idle, ended}) {
        EXPECT_EQ(DecodeTimerRecord(EncodeTimerRecord(record), kNow), record) << testing::PrintToString(record.label);
    }
    // Names match without regard to case, as in the registry.
    std::vector<RecordValue> values = EncodeTimerRecord(paused);
    for (RecordValue& value : values) value.name = value.name == L"SecondsLeft" ? L"SECONDSLEFT" : value.name;
    EXPECT_EQ(DecodeTimerRecord(values, kNow), paused);

    EXPECT_EQ(FreeTimerId({L"2", L"1", L"4"}), L"3");
    std::vector<std::wstring> all;
    for (int id = 1; id <= kMostTimers; ++id) all.push_back(std::to_wstring(id));
    EXPECT_FALSE(FreeTimerId(all));
    EXPECT_FALSE(IsTimerId(L"21") || IsTimerId(L"01") || IsTimerId(L"0"));
}

TEST(TimerRecord, DropsARecordMissingAValueOfTheWrongTypeOrOutOfRange) {
    const auto damaged = [](const wchar_t* name, std::function<void(RecordData&)> damage, TimerState state) {
        TimerRecord record = Running();
        record.state = state;
        record.secondsLeft = state == TimerState::Paused ? 5 : 0;
        std::vector<RecordValue> values = EncodeTimerRecord(record);
        for (RecordValue& value : values) {
            if (value.name == name) damage(value.data);
        }
        return !DecodeTimerRecord(values, kNow);
    };
    const auto set = [](RecordData value) { return [value](RecordData& data) { data = value; }; };
    const auto Dword = [](std::int64_t value) { return RecordData{static_cast<std::uint32_t>(value)}; };
    for (const wchar_t* name : kRecordValueNames) {
        EXPECT_TRUE(damaged(name, set(std::wstring(L"junk")), TimerState::Running) || std::wstring(name) == L"Label");
        EXPECT_TRUE(damaged(name, set(std::uint64_t{1}), TimerState::Running) || std::wstring(name) == L"Ends");
    }
    const std::vector<RecordValue> none;
    EXPECT_FALSE(DecodeTimerRecord(none, kNow));
    constexpr auto kRunning = TimerState::Running;
    constexpr auto kPaused = TimerState::Paused;
    for (const auto& [name, value, state] : std::vector<std::tuple<const wchar_t*, RecordData, TimerState>>{
             {L"Label", std::wstring(L" Tea"), kRunning}, {L"Label", std::wstring(L"Tea\n"), kRunning},
             {L"Label", std::wstring(41, L'x'), kRunning}, {L"Label", std::wstring(L"\xD83C"), kRunning},
             {L"Hours", Dword(24), kRunning}, {L"Minutes", Dword(60), kRunning}, {L"Seconds", Dword(60), kRunning},
             {L"State", Dword(3), kRunning}, {L"Hidden", Dword(2), kRunning}, {L"Left", Dword(-100'001), kRunning},
             {L"Ends", std::uint64_t{kNow + kDayMs + 1}, kRunning}, {L"Ends", std::uint64_t{0}, kRunning},
             {L"Ends", ~std::uint64_t{0}, kRunning}, {L"SecondsLeft", Dword(-1), kPaused},
             {L"SecondsLeft", Dword(86400), kPaused}, {L"TenthsLeft", Dword(10), kPaused}}) {
        EXPECT_TRUE(damaged(name, set(value), state)) << testing::PrintToString(std::wstring(name));
    }
    // What belongs to another state is not looked at.
    EXPECT_FALSE(damaged(L"TenthsLeft", set(Dword(10)), kRunning));
}

}  // namespace
}  // namespace platform
