// libFuzzer target: the hand-over a later copy sends, and the command line read from it, on any bytes.
#include "app/CommandLine.h"

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

    // A clock time is a time of day, and the countdown to it from any moment of the day lasts a day at most.
    const std::int32_t timeOfDay = app::ParseTimeOfDay(text);
    if (timeOfDay < -1 || timeOfDay >= 24 * 3600) std::abort();
    const std::int64_t now = size > 0 ? (data[0] * 86'400'000LL / 256) : 0;
    const std::int32_t until = app::SecondsUntil(timeOfDay < 0 ? 0 : timeOfDay, now);
    if (until < 1 || until > 24 * 3600) std::abort();

    // Only what a later copy could have sent passes, within the limits.
    std::vector<std::wstring> arguments;
    if (!app::DecodeHandOver(data, size, arguments)) return 0;
    const std::vector<std::uint16_t> units = app::EncodeHandOver(arguments);
    const bool same = units.size() * 2 == size && (size == 0 || std::memcmp(units.data(), data, size) == 0);
    if (!same || arguments.size() > app::kHandOverLimitArguments || size > app::kHandOverLimitBytes) std::abort();
    app::ParseCommandLine(arguments);
    return 0;
}
