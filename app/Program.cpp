// Application title, program folder and the two kinds of message box.
#include "app/Program.h"

#include "app/AppTitle.h"
#include "app/ErrorReport.h"
#include "platform/StartupEntry.h"
#include "platform/mStartUp.h"

#include <windows.h>

namespace app {

void SetAppTitle() { program::AppTitle = CutTitle(kProductName); }

std::wstring ProgramFolder() { return platform::ExecutableFolder(platform::RunningModulePath()); }

void ShowUserMessage(const std::wstring& text) {
    MessageBoxW(GetActiveWindow(), text.c_str(), program::AppTitle.c_str(), MB_OK);
}

void ShowErrorReport(const std::wstring& text) {
    MessageBoxW(GetActiveWindow(), text.c_str(), kReportTitle, MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace app
