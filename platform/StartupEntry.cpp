// Start-with-Windows decisions: the entry's name and quoted data, and which Run key takes it.
#include "platform/StartupEntry.h"

#include "core/ModulePath.h"

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

std::optional<RunHive> AddStartupEntry(RunKeys& keys, const RunEntry& entry) {
    if (keys.Write(RunHive::LocalMachine, entry.name, entry.data)) {
        keys.Remove(RunHive::CurrentUser, entry.name);
        return RunHive::LocalMachine;
    }
    if (keys.Write(RunHive::CurrentUser, entry.name, entry.data)) return RunHive::CurrentUser;
    return std::nullopt;
}

void RemoveStartupEntry(RunKeys& keys, const std::wstring& name) {
    keys.Remove(RunHive::LocalMachine, name);
    keys.Remove(RunHive::CurrentUser, name);
}

}  // namespace platform
