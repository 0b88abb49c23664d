// mStartUp: the Run entry always names the running executable itself, found from its own module path.
// Taking the first "*.exe" a listing of the folder returns would register whatever other program
// happens to sit beside it.
#include "platform/mStartUp.h"

#include "core/Files.h"
#include "core/ModulePath.h"
#include "core/Program.h"
#include "platform/RegStuff.h"
#include "platform/StartupEntry.h"

namespace platform {

namespace {

// The path the entry names: Scoop's "current" link when the program runs from a version folder beside
// one (the link is a junction, so the file is found through it), else the module path itself.
std::wstring StartupPath(const std::wstring& modulePath) {
    const auto current = ScoopCurrentPath(modulePath);
    return current && core::FileExists(*current) ? *current : modulePath;
}

}  // namespace

std::unique_ptr<RunKeys> RegistryStartupKeys() { return std::make_unique<RegistryRunKeys>(); }

void EnableStartup(RunKeys& keys) {
    if (const auto entry = RunEntryFor(StartupPath(core::RunningModulePath()))) AddRunEntry(keys, *entry);
}

void DisableStartup(RunKeys& keys) {
    const std::wstring name = core::ExecutableName(core::RunningModulePath());
    if (!name.empty()) RemoveRunEntry(keys, name);
}

std::optional<RunHive> StartupEntryIn(RunKeys& keys) {
    const std::wstring path = core::RunningModulePath();
    const std::wstring name = core::ExecutableName(path);
    if (name.empty()) return std::nullopt;
    if (const auto hive = FindStartupEntry(keys, name, path)) return hive;
    const std::wstring startupPath = StartupPath(path);
    if (startupPath == path) return std::nullopt;
    return FindStartupEntry(keys, name, startupPath);
}

}  // namespace platform
