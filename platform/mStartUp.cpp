// mStartUp: the Run entry always names the running executable itself, found from its own module path.
// Taking the first "*.exe" a listing of the folder returns would register whatever other program
// happens to sit beside it.
#include "platform/mStartUp.h"

#include "core/ModulePath.h"
#include "core/Program.h"
#include "platform/RegStuff.h"
#include "platform/StartupEntry.h"

namespace platform {

std::unique_ptr<RunKeys> RegistryStartupKeys() { return std::make_unique<RegistryRunKeys>(); }

void EnableStartup(RunKeys& keys) {
    if (const auto entry = RunEntryFor(core::RunningModulePath())) AddStartupEntry(keys, *entry);
}

void DisableStartup(RunKeys& keys) {
    const std::wstring name = core::ExecutableName(core::RunningModulePath());
    if (!name.empty()) RemoveStartupEntry(keys, name);
}

std::optional<RunHive> StartupEntryIn(RunKeys& keys) {
    const std::wstring path = core::RunningModulePath();
    const std::wstring name = core::ExecutableName(path);
    if (name.empty()) return std::nullopt;
    return FindStartupEntry(keys, name, path);
}

}  // namespace platform
