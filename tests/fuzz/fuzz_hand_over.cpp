// libFuzzer target: the hand-over a later copy sends, and the command line read from it, on any bytes.
#include "app/CommandLine.h"
#include "core/TimerLabel.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The bytes as text too: the duration parser reads any argument, not only what a hand-over lets by.
    std::wstring text;
    for (std::size_t i = 0; i + 1 < size; i += 2) text += static_cast<wchar_t>(data[i] | data[i + 1] << 8);
    // In range: the pickers' own text for what it read reads back the same.
    const std::int32_t seconds = app::ParseDuration(text);
    if (seconds < 0 || (seconds > 0 && app::ParseDuration(app::PickerDurationText(seconds)) != seconds)) std::abort();

    // A clock time is a time of day, and the countdown to it from any moment of a year with daylight
    // saving time (Central European) is refused or lies within the pickers' range.
    const std::int32_t timeOfDay = app::ParseTimeOfDay(text);
    if (timeOfDay < app::kNoSuchTime || timeOfDay >= 24 * 3600) std::abort();
    const app::ZoneRules zone = [](int) {
        return app::ZoneRule{-60, 0, -60, {0, 10, 0, 5, 3 * 3'600'000}, {0, 3, 0, 5, 2 * 3'600'000}};
    };
    app::CommandLineRequest request;
    request.kind = app::CommandLineRequest::Kind::TimeOfDay;
    request.seconds = timeOfDay < 0 ? 0 : timeOfDay;
    std::int64_t now = 13'400'000'000'000;  // in 2025
    for (std::size_t i = 0; i < size && i < 4; ++i) now += std::int64_t{data[i]} << (8 * i + 10);
    const app::CommandLineRequest resolved = app::ResolveTimeOfDay(request, now, zone);
    if (resolved.kind == app::CommandLineRequest::Kind::Duration
            ? resolved.seconds < 1 || resolved.seconds > app::kLongestDuration
            : resolved.kind != app::CommandLineRequest::Kind::Bad) {
        std::abort();
    }

    // Only what a later copy could have sent passes, within the limits.
    std::vector<std::wstring> arguments;
    if (!app::DecodeHandOver(data, size, arguments)) return 0;
    const std::vector<std::uint16_t> units = app::EncodeHandOver(arguments);
    const bool same = units.size() * 2 == size && (size == 0 || std::memcmp(units.data(), data, size) == 0);
    if (!same || arguments.size() > app::kHandOverLimitArguments || size > app::kHandOverLimitBytes) std::abort();
    // A label taken is one the label check passes, whatever crossed.
    const app::CommandLineRequest parsed = app::ParseCommandLine(arguments);
    if (!parsed.label.empty() && !core::IsValidLabel(parsed.label)) std::abort();
    return 0;
}
