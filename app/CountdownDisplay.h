// The countdown display text: hours (at least three digits), minutes, seconds and the tenths digit.
#pragma once

#include <cstdint>
#include <string>

namespace app {

// The text a tick shows for the given whole seconds and tenths digit, e.g. 7509 s and 7 -> "002:05:09.7".
std::wstring FormatCountdown(std::int32_t seconds, std::int16_t tenths);

// The same without the tenths, as the tray tip and the program's questions name a time: "002:05:09".
std::wstring FormatWholeSeconds(std::int32_t seconds);

// What closing a timer's window asks while a countdown is loaded, naming the time left as the display
// does: "A countdown is running with 000:04:59 left. Close the timer?" ("paused with" while paused).
// With a name (several timers are open), the question says which: '... Close the timer "Tea"?'.
std::wstring CloseQuestionText(bool paused, std::int32_t secondsShown, const std::wstring& name = L"");

inline constexpr wchar_t kIdleDisplay[] = L"000:00:00.0";

}  // namespace app
