// libFuzzer target: the hand-over a later copy sends, and the command line read from it, on any bytes.
#include "app/CommandLine.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The same bytes as text: the duration parser takes any argument, not only what a hand-over allows.
    std::wstring text(size / 2, L'\0');
    for (std::size_t i = 0; i < text.size(); ++i) text[i] = static_cast<wchar_t>(data[2 * i] | data[2 * i + 1] << 8);
    const std::int32_t seconds = app::ParseDuration(text);
    if (seconds < 0 || seconds > app::kLongestDuration) std::abort();
    // Whatever is read, the pickers' own text for it reads back the same.
    if (seconds > 0 && app::ParseDuration(app::PickerDurationText(seconds)) != seconds) std::abort();

    std::vector<std::wstring> arguments;
    if (!app::DecodeHandOver(data, size, arguments)) return 0;
    // Only whole, bounded messages pass, and they are exactly what a later copy would have sent.
    if (arguments.size() > app::kHandOverLimitArguments || size > app::kHandOverLimitBytes) std::abort();
    const std::vector<std::uint16_t> units = app::EncodeHandOver(arguments);
    if (units.size() * 2 != size || (size > 0 && std::memcmp(units.data(), data, size) != 0)) std::abort();
    const app::CommandLineRequest request = app::ParseCommandLine(arguments);
    if (request.kind == app::CommandLineRequest::Kind::Duration &&
        (request.seconds < 1 || request.seconds > app::kLongestDuration)) {
        std::abort();
    }
    if (request.kind == app::CommandLineRequest::Kind::Bad) app::BadArgumentText(request.badArgument);
    return 0;
}
