// A timer's record to registry values or its one text and back, and what reads back as no record.
#include "platform/TimerRecord.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

constexpr std::int64_t kNow = 13'400'000'000'000;
constexpr std::int64_t kDayMs = 86'400'000;
constexpr std::int64_t kJanuary2020 = 13'222'310'400'000;
const TimerRecord kRunning{L"Green tea", 23, 59, 59, TimerState::Running, kNow + kDayMs, 0, 0, -32000, -32000, true};
const TimerRecord kPaused{L"", 0, 0, 1, TimerState::Paused, 0, 86399, 9, 1920, -1080, false};

TEST(TimerRecord, ReadsBackWhatItStoredInEveryStateAtTheRangesEnds) {
    TimerRecord idle{L"\xD83C\xDF75" + std::wstring(39, L'x'), 0, 0, 0, TimerState::Idle, 0, 0, 0, 0, 0, false};
    TimerRecord ended = kRunning;
    ended.endsUtcMs = kJanuary2020;  // past: it rings once loaded
    TimerRecord ringing = ended;
    ringing.state = TimerState::Ringing;
    for (const TimerRecord& record : {kRunning, kPaused, idle, ended, ringing}) {
        EXPECT_EQ(DecodeTimerRecord(EncodeTimerRecord(record), kNow), record) << testing::PrintToString(record.label);
        const auto text = core::FormatIniEntries(TimerRecordEntries(record));
        EXPECT_EQ(DecodeTimerRecord(RecordValuesOf(core::ParseIniEntries(text)), kNow), record)
            << testing::PrintToString(text);
    }
    EXPECT_EQ(FreeTimerId({L"2", L"1", L"4"}), L"3");
    std::vector<std::wstring> all;
    for (int id = 1; id <= kMostTimers; ++id) all.push_back(std::to_wstring(id));
    EXPECT_FALSE(FreeTimerId(all) || IsTimerId(L"21") || IsTimerId(L"01") || IsTimerId(L"0"));
}

TEST(TimerRecord, DropsARecordMissingAValueOfTheWrongTypeOrOutOfRange) {
    const auto damaged = [](const TimerRecord& record, const std::wstring& name, const RecordData& data) {
        std::vector<RecordValue> values = EncodeTimerRecord(record);
        for (RecordValue& value : values) value.data = value.name == name ? data : value.data;
        return !DecodeTimerRecord(values, kNow);
    };
    for (const wchar_t* name : kRecordValueNames) {
        EXPECT_TRUE(damaged(kRunning, name, std::uint64_t{kNow}) != (std::wstring(name) == L"Ends")) << name;
        EXPECT_TRUE(damaged(kRunning, name, std::wstring(L"x")) != (std::wstring(name) == L"Label")) << name;
    }
    const auto dword = [](std::int64_t value) { return RecordData{static_cast<std::uint32_t>(value)}; };
    for (const auto& [name, data] : std::vector<std::pair<std::wstring, RecordData>>{
             {L"Label", std::wstring(L" Tea")}, {L"Label", std::wstring(L"Tea\n")}, {L"Label", std::wstring(41, L'x')},
             {L"Label", std::wstring(L"\xD83C")}, {L"Hours", dword(24)}, {L"Minutes", dword(60)},
             {L"Seconds", dword(60)}, {L"Hidden", dword(2)}, {L"Left", dword(-100'001)},
             {L"Ends", std::uint64_t{kNow + kDayMs + 1}}, {L"Ends", std::uint64_t{kJanuary2020 - 1}},
             {L"Ends", ~std::uint64_t{0}}}) {
        EXPECT_TRUE(damaged(kRunning, name, data)) << testing::PrintToString(name);
    }
    TimerRecord ringing = kRunning;
    ringing.state = TimerState::Ringing;
    EXPECT_TRUE(damaged(ringing, L"Ends", std::uint64_t{0}) &&
                damaged(ringing, L"Ends", std::uint64_t{kNow + kDayMs + 1}));
    EXPECT_TRUE(damaged(kPaused, L"SecondsLeft", dword(-1)) && damaged(kPaused, L"SecondsLeft", dword(86400)));
    EXPECT_TRUE(damaged(kPaused, L"TenthsLeft", dword(10)));
    // What belongs to another state is not looked at.
    EXPECT_FALSE(damaged(kRunning, L"TenthsLeft", dword(10)));
}

TEST(TimerRecord, TextFormReadsNumbersStrictlyPassesOverUnknownNamesAndLeavesNewerRecordsAlone) {
    const auto withLine = [](const std::wstring& name, const std::wstring& value) {
        core::IniEntries entries = TimerRecordEntries(kPaused);
        core::SetIniValue(entries, name, value);
        return RecordValuesOf(entries);
    };
    EXPECT_EQ(DecodeTimerRecord(withLine(L"Sound", L"bell"), kNow), kPaused);  // a later version's name
    for (const wchar_t* number : {L"", L"+1", L" 1", L"1 ", L"0x1", L"-1", L"4294967296"}) {
        EXPECT_FALSE(DecodeTimerRecord(withLine(L"Hours", number), kNow)) << testing::PrintToString(number);
    }
    EXPECT_FALSE(DecodeTimerRecord(withLine(L"Left", L"-2147483649"), kNow));
    EXPECT_EQ(DecodeTimerRecord(withLine(L"Top", L"-1080"), kNow), kPaused);
    EXPECT_FALSE(IsNewerRecord(RecordValuesOf(TimerRecordEntries(kRunning))));
    EXPECT_TRUE(IsNewerRecord(withLine(L"State", L"7")) && IsNewerRecord(withLine(L"Format", L"2")));
    // The previous version's values know no format.
    std::vector<RecordValue> fields = EncodeTimerRecord(kPaused);
    fields[4].data = std::uint32_t{4};
    EXPECT_TRUE(IsNewerRecord(fields));
}

}  // namespace
}  // namespace platform
