// A timer's record to named values and its one text and back, every value checked on the way back.
#include "platform/TimerRecord.h"

#include "core/TimerLabel.h"

#include <algorithm>
#include <charconv>

namespace platform {

namespace {

// The pickers' longest duration, 23:59:59, and a day in milliseconds.
constexpr std::int32_t kLongestSeconds = 23 * 3600 + 59 * 60 + 59;
constexpr std::int64_t kDayMs = 24LL * 3600 * 1000;
// 1 January 2020, 00:00 UTC, in milliseconds since 1601: no end of a record of this program lies before.
constexpr std::int64_t kEarliestEndMs = 13'222'310'400'000;
// Beyond any virtual screen; a minimised window sits at -32000.
constexpr std::int32_t kFarthestPosition = 100'000;

template <typename T>
const T* Find(const std::vector<RecordValue>& values, const wchar_t* name) {
    const auto found = std::find_if(values.begin(), values.end(),
                                    [&](const RecordValue& value) { return value.name == name; });
    return found == values.end() ? nullptr : std::get_if<T>(&found->data);
}

std::uint32_t AsDword(std::int32_t value) { return static_cast<std::uint32_t>(value); }
std::int32_t FromDword(std::uint32_t value) { return static_cast<std::int32_t>(value); }

bool IsSigned(const std::wstring& name) {
    return name == L"Left" || name == L"Top" || name == L"MiniLeft" || name == L"MiniTop";
}

// Decimal digits, a minus first where allowed, the whole text and nothing else, within T's range.
template <typename T>
std::optional<T> ReadNumber(const std::wstring& text) {
    std::string narrow;
    for (const wchar_t c : text) {
        if ((c < L'0' || c > L'9') && c != L'-') return std::nullopt;
        narrow += static_cast<char>(c);
    }
    T number{};
    const auto [end, error] = std::from_chars(narrow.data(), narrow.data() + narrow.size(), number);
    if (error != std::errc{} || end != narrow.data() + narrow.size()) return std::nullopt;
    return number;
}

}  // namespace

std::vector<RecordValue> EncodeTimerRecord(const TimerRecord& record) {
    const bool hasEnd = record.state == TimerState::Running || record.state == TimerState::Ringing;
    return {{L"Label", record.label},
            {L"Hours", record.hours},
            {L"Minutes", record.minutes},
            {L"Seconds", record.seconds},
            {L"State", static_cast<std::uint32_t>(record.state)},
            {L"Ends", static_cast<std::uint64_t>(hasEnd ? record.endsUtcMs : 0)},
            {L"SecondsLeft", AsDword(record.state == TimerState::Paused ? record.secondsLeft : 0)},
            {L"TenthsLeft", AsDword(record.state == TimerState::Paused ? record.tenthsLeft : 0)},
            {L"Left", AsDword(record.left)},
            {L"Top", AsDword(record.top)},
            {L"Hidden", std::uint32_t{record.hidden}},
            {L"Mini", std::uint32_t{record.mini}},
            {L"MiniLeft", AsDword(record.miniLeft)},
            {L"MiniTop", AsDword(record.miniTop)}};
}

std::optional<TimerRecord> DecodeTimerRecord(const std::vector<RecordValue>& values, std::int64_t nowUtcMs) {
    const auto* label = Find<std::wstring>(values, L"Label");
    const auto* hours = Find<std::uint32_t>(values, L"Hours");
    const auto* minutes = Find<std::uint32_t>(values, L"Minutes");
    const auto* seconds = Find<std::uint32_t>(values, L"Seconds");
    const auto* state = Find<std::uint32_t>(values, L"State");
    const auto* ends = Find<std::uint64_t>(values, L"Ends");
    const auto* secondsLeft = Find<std::uint32_t>(values, L"SecondsLeft");
    const auto* tenthsLeft = Find<std::uint32_t>(values, L"TenthsLeft");
    const auto* left = Find<std::uint32_t>(values, L"Left");
    const auto* top = Find<std::uint32_t>(values, L"Top");
    const auto* hidden = Find<std::uint32_t>(values, L"Hidden");
    if (!label || !hours || !minutes || !seconds || !state || !ends || !secondsLeft || !tenthsLeft || !left || !top ||
        !hidden) {
        return std::nullopt;
    }
    if (!core::IsValidLabel(*label) || *hours > 23 || *minutes > 59 || *seconds > 59 || *hidden > 1) {
        return std::nullopt;
    }
    const auto onScreen = [](std::uint32_t at) {
        return FromDword(at) >= -kFarthestPosition && FromDword(at) <= kFarthestPosition;
    };
    if (!onScreen(*left) || !onScreen(*top)) return std::nullopt;

    TimerRecord record;
    record.label = *label;
    record.hours = *hours;
    record.minutes = *minutes;
    record.seconds = *seconds;
    record.left = FromDword(*left);
    record.top = FromDword(*top);
    record.hidden = *hidden == 1;
    // The mini countdown's values came later: without them, or with one out of range, there is none.
    const auto* mini = Find<std::uint32_t>(values, L"Mini");
    const auto* miniLeft = Find<std::uint32_t>(values, L"MiniLeft");
    const auto* miniTop = Find<std::uint32_t>(values, L"MiniTop");
    if (mini && miniLeft && miniTop && *mini <= 1 && onScreen(*miniLeft) && onScreen(*miniTop)) {
        record.mini = *mini == 1;
        record.miniLeft = FromDword(*miniLeft);
        record.miniTop = FromDword(*miniTop);
    }
    switch (*state) {
    case static_cast<std::uint32_t>(TimerState::Idle):
        break;
    case static_cast<std::uint32_t>(TimerState::Running):
    case static_cast<std::uint32_t>(TimerState::Ringing):
        // An end already past is kept: the countdown ended while the program was away, and rings. A
        // day ahead allows for a clock set back since.
        if (*ends < static_cast<std::uint64_t>(kEarliestEndMs) ||
            *ends > static_cast<std::uint64_t>(nowUtcMs) + kDayMs) {
            return std::nullopt;
        }
        record.endsUtcMs = static_cast<std::int64_t>(*ends);
        break;
    case static_cast<std::uint32_t>(TimerState::Paused):
        if (FromDword(*secondsLeft) < 0 || FromDword(*secondsLeft) > kLongestSeconds || *tenthsLeft > 9) {
            return std::nullopt;
        }
        record.secondsLeft = FromDword(*secondsLeft);
        record.tenthsLeft = FromDword(*tenthsLeft);
        break;
    default:
        return std::nullopt;
    }
    record.state = static_cast<TimerState>(*state);
    return record;
}

core::IniEntries TimerRecordEntries(const TimerRecord& record) {
    core::IniEntries entries{{kRecordFormatName, std::to_wstring(kRecordFormat)}};
    for (const auto& [name, data] : EncodeTimerRecord(record)) {
        if (const auto* text = std::get_if<std::wstring>(&data)) {
            entries.emplace_back(name, *text);
        } else if (const auto* dword = std::get_if<std::uint32_t>(&data)) {
            entries.emplace_back(name, IsSigned(name) ? std::to_wstring(FromDword(*dword)) : std::to_wstring(*dword));
        } else {
            entries.emplace_back(name, std::to_wstring(std::get<std::uint64_t>(data)));
        }
    }
    return entries;
}

std::vector<RecordValue> RecordValuesOf(const core::IniEntries& entries) {
    std::vector<RecordValue> values;
    for (const auto& [name, text] : entries) {
        if (name == L"Label") {
            values.push_back({name, text});
        } else if (name == L"Ends") {
            if (const auto number = ReadNumber<std::uint64_t>(text)) values.push_back({name, *number});
        } else if (IsSigned(name)) {
            if (const auto number = ReadNumber<std::int32_t>(text)) values.push_back({name, AsDword(*number)});
        } else if (name == kRecordFormatName ||
                   std::find(std::begin(kRecordValueNames), std::end(kRecordValueNames), name) !=
                       std::end(kRecordValueNames) ||
                   std::find(std::begin(kMiniValueNames), std::end(kMiniValueNames), name) != std::end(kMiniValueNames)) {
            if (const auto number = ReadNumber<std::uint32_t>(text)) values.push_back({name, *number});
        }
    }
    return values;
}

bool IsNewerRecord(const std::vector<RecordValue>& values) {
    const auto* format = Find<std::uint32_t>(values, kRecordFormatName);
    const auto* state = Find<std::uint32_t>(values, L"State");
    return (format && *format > kRecordFormat) || (state && *state > static_cast<std::uint32_t>(TimerState::Ringing));
}

bool IsTimerId(const std::wstring& id) {
    for (int number = 1; number <= kMostTimers; ++number) {
        if (id == std::to_wstring(number)) return true;
    }
    return false;
}

std::optional<std::wstring> FreeTimerId(const std::vector<std::wstring>& used) {
    for (int number = 1; number <= kMostTimers; ++number) {
        const std::wstring id = std::to_wstring(number);
        if (std::find(used.begin(), used.end(), id) == used.end()) return id;
    }
    return std::nullopt;
}

}  // namespace platform
