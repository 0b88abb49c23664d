// Countdown display text, built the way the tick counts it: whole hours, then whole minutes, then seconds;
// and the close question that names it.
#include "app/CountdownDisplay.h"

#include "core/TextFormat.h"

namespace app {

std::wstring FormatWholeSeconds(std::int32_t seconds) {
    std::int32_t s = seconds;
    std::int32_t h = 0;
    while (s >= 3600) {
        ++h;
        s -= 3600;
    }
    std::int32_t m = 0;
    while (s >= 60) {
        ++m;
        s -= 60;
    }
    return core::ZeroPad(h, 3) + L":" + core::ZeroPad(m, 2) + L":" + core::ZeroPad(s, 2);
}

std::wstring FormatCountdown(std::int32_t seconds, std::int16_t tenths) {
    return FormatWholeSeconds(seconds) + L"." + std::to_wstring(tenths);
}

std::wstring CloseQuestionText(bool paused, std::int32_t secondsShown, const std::wstring& name) {
    return std::wstring(paused ? L"A countdown is paused with " : L"A countdown is running with ") +
           FormatWholeSeconds(secondsShown) + L" left. Close the timer" + (name.empty() ? std::wstring() : L" \u201C" + name + L"\u201D") +
           L"?";
}

}  // namespace app
