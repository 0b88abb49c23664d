// mStartUp: the Run entry always names the running executable itself, found from its own module path.
// Taking the first "*.exe" a listing of the folder returns would register whatever other program
// happens to sit beside it.
#include "platform/mStartUp.h"

#include "core/ModulePath.h"
#include "core/Program.h"
#include "platform/RegStuff.h"
#include "platform/StartupEntry.h"

#include <windows.h>

#include <vector>

namespace platform {

void EnableStartup() {
    if (const auto entry = RunEntryFor(core::RunningModulePath())) AddRunEntry(*entry);
}

void DisableStartup() {
    const std::wstring name = core::ExecutableName(core::RunningModulePath());
    if (!name.empty()) RemoveRunEntry(name);
}

}  // namespace platform
