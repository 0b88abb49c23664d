// Start-with-Windows decisions: the entry's name and quoted data, and which Run key takes it.
#include "platform/StartupEntry.h"

namespace platform {

namespace {

std::size_t LastSeparator(std::wstring_view path) { return path.find_last_of(L"\\/"); }

}  // namespace

std::wstring ExecutableName(std::wstring_view modulePath) {
    const std::size_t slash = LastSeparator(modulePath);
    return std::wstring(slash == std::wstring_view::npos ? modulePath : modulePath.substr(slash + 1));
}

std::wstring ExecutableFolder(std::wstring_view modulePath) {
    const std::size_t slash = LastSeparator(modulePath);
    if (slash == std::wstring_view::npos) return L"";
    // A drive root keeps its backslash ("C:\"), as the program folder does.
    const bool driveRoot = slash == 2 && modulePath[1] == L':';
    return std::wstring(modulePath.substr(0, driveRoot ? slash + 1 : slash));
}

std::wstring RunEntryData(std::wstring_view folder, std::wstring_view exeName) {
    std::wstring data = L"\"";
    data += folder;
    if (data.back() != L'\\') data += L'\\';
    data += exeName;
    data += L'"';
    return data;
}

std::optional<RunEntry> RunEntryFor(std::wstring_view modulePath) {
    std::wstring name = ExecutableName(modulePath);
    const std::wstring folder = ExecutableFolder(modulePath);
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
