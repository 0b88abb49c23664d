// How long ago a timer's time ran out, as Time Expired's line and the tray tip say it, without the
// platform: the clock time and the day come already written in the user's formats.
#pragma once

#include <cstdint>
#include <string>

namespace app {

// The whole minutes gone since the end: nothing in the first minute, then "3 min ago", "1 h ago",
// "1 h 5 min ago" (hours however many). A clock set back before the end counts as no time gone.
std::wstring AgoText(std::int64_t agoMs);

// Time Expired's line: "Ended at 17:30", the day after the time when it was not today ("Ended at
// 17:30 on 14/03/2025"), and from the first whole minute how long ago (", 3 min ago").
std::wstring EndedLineText(const std::wstring& clock, const std::wstring& day, std::int64_t agoMs);

// A ringing timer's line in the tray tip: "ended 3 min ago"; nothing in the first minute.
std::wstring TrayEndedText(std::int64_t agoMs);

}  // namespace app
