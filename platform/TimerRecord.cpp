// A timer's record to named values and back, every value checked on the way back.
#include "platform/TimerRecord.h"

#include "core/TimerLabel.h"

#include <algorithm>

namespace platform {

namespace {

// The pickers' longest duration, 23:59:59, and a day in milliseconds.
constexpr std::int32_t kLongestSeconds = 23 * 3600 + 59 * 60 + 59;
constexpr std::int64_t kDayMs = 24LL * 3600 * 1000;
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

}  // namespace

std::vector<RecordValue> EncodeTimerRecord(const TimerRecord& record) {
    return {{L"Label", record.label},
            {L"Hours", record.hours},
            {L"Minutes", record.minutes},
            {L"Seconds", record.seconds},
            {L"State", static_cast<std::uint32_t>(record.state)},
            {L"Ends", static_cast<std::uint64_t>(record.state == TimerState::Running ? record.endsUtcMs : 0)},
            {L"SecondsLeft", AsDword(record.state == TimerState::Paused ? record.secondsLeft : 0)},
            {L"TenthsLeft", AsDword(record.state == TimerState::Paused ? record.tenthsLeft : 0)},
            {L"Left", AsDword(record.left)},
            {L"Top", AsDword(record.top)},
            {L"Hidden", std::uint32_t{record.hidden}}};
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
    switch (*state) {
    case static_cast<std::uint32_t>(TimerState::Idle):
        break;
    case static_cast<std::uint32_t>(TimerState::Running):
        // An end already past is kept: the countdown ended while the program was away, and rings.
        if (*ends == 0 || *ends > static_cast<std::uint64_t>(nowUtcMs) + kDayMs) return std::nullopt;
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
