// Application title, program folder and the two kinds of message box.
#include "app/Program.h"

#include "app/AppTitle.h"
#include "app/ErrorReport.h"

#include <windows.h>

#include <vector>

namespace app {

void SetAppTitle() { program::AppTitle = CutTitle(kProductName); }

std::wstring ProgramFolder() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return L"";
        if (length < path.size()) {
            std::wstring folder(path.data(), length);
            const std::size_t slash = folder.find_last_of(L"\\/");
            if (slash == std::wstring::npos) return folder;
            // A drive root keeps its backslash ("C:\").
            folder.resize(slash == 2 && folder[1] == L':' ? slash + 1 : slash);
            return folder;
        }
        path.resize(path.size() * 2);
    }
}

void ShowUserMessage(const std::wstring& text) {
    MessageBoxW(GetActiveWindow(), text.c_str(), program::AppTitle.c_str(), MB_OK);
}

void ShowErrorReport(const std::wstring& text) {
    MessageBoxW(GetActiveWindow(), text.c_str(), kReportTitle, MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace app
