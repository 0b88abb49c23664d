// What the one tray icon tells about several timers, without the platform: the tip's text and which
// timer's countdown its picture shows.
#pragma once

#include "app/TrayCountdown.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace app {

// A timer as the tray sees it: its label (empty: none), state and time left as its countdown holds
// them, and the clock time it ends at (as the single timer's tip shows it; empty while paused), or
// while it rings, how long ago it ended ("ended 3 min ago"; empty in its first minute: no line).
struct TrayTimer {
    std::wstring label;
    CountdownState state = CountdownState::Idle;
    std::int32_t secondsLeft = 0;
    std::int16_t tenthsLeft = 0;
    std::wstring endTime;
};

// The product name, then one line per loaded timer (idle ones are left out): ringing ones first from
// their first whole minute ("Tea ended 3 min ago"), then running ones soonest end first, then paused ones least time left first; each its label and a space, then the time as the
// single timer's tip says it ("Tea 000:04:59 left, ends 17:30", "000:10:00 left, paused"). Within
// kTrayTipLimit characters: when not every line fits whole, every line drops its end time; when that
// is not enough, every line becomes short (the label cut to ten characters, "Tea 000:04:59"); only
// then do the lines that still do not fit give way to a last line "+N more". One timer without a
// label gets exactly the single timer's tip (TrayTipText).
std::wstring TrayTimersTipText(std::span<const TrayTimer> timers);

// Which timer's countdown the tray picture shows: the running one that ends soonest, or when none
// runs, the paused one with the least time left, with the pause sign. Nothing when none is loaded.
struct TrayPictureChoice {
    std::size_t index = 0;  // into the timers given
    bool paused = false;
};
std::optional<TrayPictureChoice> TrayPictureTimer(std::span<const TrayTimer> timers);

}  // namespace app
