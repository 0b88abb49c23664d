// The recent durations' list: entries checked as the command line checks them, distinct, newest first.
#include "app/RecentDurations.h"

#include "app/CommandLine.h"
#include "core/TextFormat.h"

#include <algorithm>

namespace app {
namespace {

bool IsEntry(const std::wstring& entry) {
    const CommandLineRequest request = ParseCommandLine({entry});
    return request.kind == CommandLineRequest::Kind::Duration || request.kind == CommandLineRequest::Kind::TimeOfDay;
}

}  // namespace

std::wstring DurationEntry(std::int32_t seconds) {
    return std::to_wstring(seconds / 3600) + L":" + core::ZeroPad(seconds / 60 % 60, 2) + L":" +
           core::ZeroPad(seconds % 60, 2);
}

std::wstring ClockTimeEntry(std::int32_t secondOfDay) {
    std::wstring entry = L"@" + std::to_wstring(secondOfDay / 3600) + L":" + core::ZeroPad(secondOfDay / 60 % 60, 2);
    if (secondOfDay % 60 != 0) entry += L":" + core::ZeroPad(secondOfDay % 60, 2);
    return entry;
}

std::vector<std::wstring> ParseRecentDurations(std::wstring_view stored) {
    std::vector<std::wstring> list;
    while (!stored.empty() && list.size() < kMostRecentDurations) {
        const std::size_t end = std::min(stored.find(L';'), stored.size());
        const std::wstring entry(stored.substr(0, end));
        stored.remove_prefix(std::min(end + 1, stored.size()));
        if (IsEntry(entry) && std::find(list.begin(), list.end(), entry) == list.end()) list.push_back(entry);
    }
    return list;
}

std::vector<std::wstring> WithRecentDuration(std::vector<std::wstring> list, const std::wstring& entry) {
    std::erase(list, entry);
    list.insert(list.begin(), entry);
    if (list.size() > kMostRecentDurations) list.resize(kMostRecentDurations);
    return list;
}

std::wstring RecentDurationsText(const std::vector<std::wstring>& list) {
    std::wstring text;
    for (const std::wstring& entry : list) text += (text.empty() ? L"" : L";") + entry;
    return text;
}

}  // namespace app
