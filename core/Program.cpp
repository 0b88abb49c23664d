// Application title, program folder and the two kinds of message box.
#include "core/Program.h"

#include "core/AppTitle.h"
#include "core/ErrorReport.h"
#include "core/ModulePath.h"

#include <windows.h>

#include <vector>

namespace core {

void SetAppTitle() { program::AppTitle = CutTitle(kProductName); }

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

std::wstring ProgramFolder() { return ExecutableFolder(RunningModulePath()); }

void ShowUserMessage(const std::wstring& text) {
    MessageBoxW(GetActiveWindow(), text.c_str(), program::AppTitle.c_str(), MB_OK);
}

void ShowErrorReport(const std::wstring& text) {
    MessageBoxW(GetActiveWindow(), text.c_str(), kReportTitle, MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace core
