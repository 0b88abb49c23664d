// What a mini countdown says and where it may stand, without the platform: its text (its window's
// name for screen readers too) and its place kept on a monitor's work area.
#pragma once

#include "core/Countdown.h"

#include <cstdint>
#include <string>

namespace app {

// "Tea 000:04:59", or "000:04:59" without a label; "Paused" follows while paused; a ringing countdown
// shows 000:00:00 until its alarm is answered, an idle one its whole length.
std::wstring MiniCountdownText(const std::wstring& label, core::CountdownState state, std::int32_t secondsShown);

struct MiniRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

// The window's rectangle moved (never resized, unless it is larger) so that all of it lies on the work
// area: a place kept from a monitor that has gone, or a larger one, comes back onto the screen.
MiniRect ClampedToWorkArea(MiniRect window, const MiniRect& work);

}  // namespace app
