// The durations a user started last, newest first, as the settings keep them and the menus list them:
// a duration as "0:25:00", a clock time as "@7:00" (or "@7:00:15"), each as the command line takes it.
// Platform-free.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace app {

// The settings value holding the list, one text.
inline constexpr wchar_t kRecentDurationsSetting[] = L"Recent Durations";
inline constexpr std::size_t kMostRecentDurations = 8;

// A duration of 1 second to 23:59:59 as the list keeps it: "0:25:00".
std::wstring DurationEntry(std::int32_t seconds);
// A clock time, in seconds after midnight, as the list keeps it: "@7:00", "@7:00:15".
std::wstring ClockTimeEntry(std::int32_t secondOfDay);

// The stored text's entries, newest first: ones the command line would not take, and repeats, are
// dropped, and no more than kMostRecentDurations are kept.
std::vector<std::wstring> ParseRecentDurations(std::wstring_view stored);
// The list with entry first, once.
std::vector<std::wstring> WithRecentDuration(std::vector<std::wstring> list, const std::wstring& entry);
// The text kept in the settings: the entries separated by ";".
std::wstring RecentDurationsText(const std::vector<std::wstring>& list);

// The list as the settings hold it, and an entry kept there first (Form1Mini.cpp, on Windows). A store
// that refuses the list loses nothing but the list.
std::vector<std::wstring> StoredRecentDurations();
void RememberRecentDuration(const std::wstring& entry);

}  // namespace app
