// mStartUp: the Run entry always names the running executable itself, found from its own module path.
// Taking the first "*.exe" a listing of the folder returns would register whatever other program
// happens to sit beside it.
#include "platform/mStartUp.h"

#include "platform/RegStuff.h"
#include "platform/StartupEntry.h"

#include <windows.h>

#include <vector>

namespace platform {

std::wstring RunningModulePath() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return L"";
        // A full buffer means the path may have been cut: try again with a larger one.
        if (length < path.size()) return std::wstring(path.data(), length);
        path.resize(path.size() * 2);
    }
}

void EnableStartup() {
    if (const auto entry = RunEntryFor(RunningModulePath())) AddRunEntry(*entry);
}

void DisableStartup() {
    const std::wstring name = ExecutableName(RunningModulePath());
    if (!name.empty()) RemoveRunEntry(name);
}

}  // namespace platform
