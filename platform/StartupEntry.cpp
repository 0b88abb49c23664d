// Start-with-Windows decisions: the entry's name and quoted data, which Run key takes it, and whether
// the user turned it off.
#include "platform/StartupEntry.h"

#include "core/ModulePath.h"

#include <algorithm>

namespace platform {

std::wstring RunEntryData(std::wstring_view folder, std::wstring_view exeName) {
    std::wstring data = L"\"";
    data += folder;
    if (data.back() != L'\\') data += L'\\';
    data += exeName;
    data += L'"';
    return data;
}

std::optional<RunEntry> RunEntryFor(std::wstring_view modulePath) {
    std::wstring name = core::ExecutableName(modulePath);
    const std::wstring folder = core::ExecutableFolder(modulePath);
    // Only a full path can be started from the Run key.
    if (name.empty() || folder.empty()) return std::nullopt;
    std::wstring data = RunEntryData(folder, name);
    return RunEntry{std::move(name), std::move(data)};
}

bool TurnedOff(const std::vector<std::uint8_t>& approval) { return !approval.empty() && (approval[0] & 1) != 0; }

std::optional<RunHive> AddStartupEntry(RunKeys& keys, const RunEntry& entry) {
    std::optional<RunHive> written;
    if (keys.Write(RunHive::LocalMachine, entry.name, entry.data)) {
        keys.Remove(RunHive::CurrentUser, entry.name);
        written = RunHive::LocalMachine;
    } else if (keys.Write(RunHive::CurrentUser, entry.name, entry.data)) {
        written = RunHive::CurrentUser;
    }
    // Written again, an entry turned off in Task Manager would still not start.
    if (written && TurnedOff(keys.Approval(*written, entry.name))) keys.SetApproval(*written, entry.name, kTurnedOn);
    return written;
}

void RemoveStartupEntry(RunKeys& keys, const std::wstring& name) {
    for (const RunHive hive : kEveryRunHive) keys.Remove(hive, name);
}

bool StartsProgram(std::wstring_view command, std::wstring_view programPath) {
    const auto sameLetters = [](std::wstring_view a, std::wstring_view b) {
        const auto fold = [](wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; };
        return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](wchar_t x, wchar_t y) {
                   return fold(x) == fold(y);
               });
    };
    while (!command.empty() && command.front() == L' ') command.remove_prefix(1);
    if (programPath.empty()) return false;
    if (!command.empty() && command.front() == L'"') {
        command.remove_prefix(1);
        const size_t close = command.find(L'"');
        return close != std::wstring_view::npos && sameLetters(command.substr(0, close), programPath);
    }
    // Unquoted, the path ends at the first blank after it (Windows tries each blank in turn).
    if (command.size() > programPath.size() && command[programPath.size()] != L' ') return false;
    return sameLetters(command.substr(0, std::min(command.size(), programPath.size())), programPath);
}

std::optional<RunHive> FindStartupEntry(RunKeys& keys, const std::wstring& name, std::wstring_view programPath) {
    for (const RunHive hive : kEveryRunHive) {
        const auto command = keys.Read(hive, name);
        if (command && StartsProgram(*command, programPath) && !TurnedOff(keys.Approval(hive, name))) return hive;
    }
    return std::nullopt;
}

}  // namespace platform
