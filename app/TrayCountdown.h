// What the tray tells about the countdown, without the platform: the tip's text and the share of
// time left that the tray picture marks.
#pragma once

#include "core/Countdown.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace app {

using core::CountdownState;
using core::TicksLeft;

// The most of a tip the shell shows: its field holds 128 characters with the terminating null.
inline constexpr std::size_t kTrayTipLimit = 127;

// "Corvalin Timer Software", and while a countdown is loaded a line feed and the time left as the
// display shows it without the tenths: "000:04:59 left", with ", paused" while paused. While it runs,
// a clock time given as endTime follows: "000:04:59 left, ends 17:30", unless the tip would then be
// longer than the shell shows; a cut time would mislead, so it is left out whole.
std::wstring TrayTipText(CountdownState state, std::int32_t secondsLeft, std::int16_t tenthsLeft,
                         const std::wstring& endTime = {});

// What of the tip the shell is told even while nobody looks at the tip: the state and the whole
// minutes of the time left shown, which change at most once a minute while counting. Equal keys mean
// the same state and minute.
constexpr std::int64_t TrayQuietKey(CountdownState state, std::int32_t secondsLeft, std::int16_t tenthsLeft) {
    if (state != CountdownState::Running && state != CountdownState::Paused) return -1;
    return TicksLeft(secondsLeft, tenthsLeft) / 600 * 2 + (state == CountdownState::Paused ? 1 : 0);
}

}  // namespace app
