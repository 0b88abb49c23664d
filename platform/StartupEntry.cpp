// Start-with-Windows decisions: the entry's name and quoted data, which Run key takes it, and whether
// the user turned it off.
#include "platform/StartupEntry.h"

#include "core/TextFormat.h"

#include "core/ModulePath.h"

#include <algorithm>

namespace platform {

using core::SameLetters;

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

std::optional<std::wstring> ScoopCurrentPath(std::wstring_view modulePath) {
    // The last four backslashes end "apps", the package's folder, the version folder and the file.
    size_t ends[4];
    size_t end = modulePath.size();
    for (size_t& found : ends) {
        found = end == 0 ? std::wstring_view::npos : modulePath.rfind(L'\\', end - 1);
        if (found == std::wstring_view::npos) return std::nullopt;
        end = found;
    }
    const auto folder = [&](int i) { return modulePath.substr(ends[i + 1] + 1, ends[i] - ends[i + 1] - 1); };
    if (ends[0] + 1 == modulePath.size() || folder(0).empty() || SameLetters(folder(0), L"current") ||
        folder(1).empty() || !SameLetters(folder(2), L"apps")) {
        return std::nullopt;
    }
    std::wstring current(modulePath.substr(0, ends[1] + 1));
    current += L"current";
    current += modulePath.substr(ends[0]);
    return current;
}

bool TurnedOff(const std::vector<std::uint8_t>& approval) { return !approval.empty() && (approval[0] & 1) != 0; }

std::optional<RunHive> AddRunEntry(RunKeys& keys, const RunEntry& entry) {
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

void RemoveRunEntry(RunKeys& keys, const std::wstring& name) {
    for (const RunHive hive : kEveryRunHive) keys.Remove(hive, name);
}

bool StartsProgram(std::wstring_view command, std::wstring_view programPath) {
    while (!command.empty() && command.front() == L' ') command.remove_prefix(1);
    if (programPath.empty()) return false;
    if (!command.empty() && command.front() == L'"') {
        command.remove_prefix(1);
        const size_t close = command.find(L'"');
        return close != std::wstring_view::npos && SameLetters(command.substr(0, close), programPath);
    }
    // Unquoted, the path ends at the first blank after it (Windows tries each blank in turn).
    if (command.size() > programPath.size() && command[programPath.size()] != L' ') return false;
    return SameLetters(command.substr(0, std::min(command.size(), programPath.size())), programPath);
}

std::optional<RunHive> FindStartupEntry(RunKeys& keys, const std::wstring& name, std::wstring_view programPath) {
    for (const RunHive hive : kEveryRunHive) {
        const auto command = keys.Read(hive, name);
        if (command && StartsProgram(*command, programPath) && !TurnedOff(keys.Approval(hive, name))) return hive;
    }
    return std::nullopt;
}

}  // namespace platform
