// Application title, program folder and the two kinds of message box.
#include "core/Program.h"

#include "core/AppTitle.h"
#include "core/ErrorReport.h"
#include "core/Modal.h"
#include "core/ModulePath.h"

#include <windows.h>

#include <string_view>
#include <vector>

namespace core {
namespace {

// The foremost window of this thread that a user can see and answer: visible, enabled, captioned.
BOOL CALLBACK FindOwner(HWND hwnd, LPARAM found) {
    const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
    if (!IsWindowVisible(hwnd) || !IsWindowEnabled(hwnd) || (style & WS_CAPTION) != WS_CAPTION) return TRUE;
    *reinterpret_cast<HWND*>(found) = hwnd;
    return FALSE;
}

// A message box modal to the whole program. Its owner is a window of ours: the active one, or, while
// another program is active (an alarm in the background has none of ours active), the foremost one
// on this thread. The box disables only its owner, so the program's other windows are disabled
// around it; without any window to own it the box is task-modal, which disables them itself.
HWND ProgramModalBoxOwner() {
    HWND owner = GetActiveWindow();
    if (!owner) EnumThreadWindows(GetCurrentThreadId(), &FindOwner, reinterpret_cast<LPARAM>(&owner));
    return owner;
}

int ShowProgramModalBox(const std::wstring& text, const wchar_t* caption, UINT type, HWND owner) {
    if (!owner) return MessageBoxW(nullptr, text.c_str(), caption, type | MB_TASKMODAL);
    const ThreadModality others = ThreadModality::AroundBox(owner);
    return MessageBoxW(owner, text.c_str(), caption, type);
}

int ShowProgramModalBox(const std::wstring& text, const wchar_t* caption, UINT type) {
    return ShowProgramModalBox(text, caption, type, ProgramModalBoxOwner());
}

// The message box of this thread that owner owns (a task-modal one has none).
struct BoxSearch {
    HWND owner;
    HWND box;
};

BOOL CALLBACK FindBox(HWND hwnd, LPARAM search) {
    auto* found = reinterpret_cast<BoxSearch*>(search);
    wchar_t name[8] = {};
    if (GetWindow(hwnd, GW_OWNER) != found->owner || !IsWindowVisible(hwnd) || !GetClassNameW(hwnd, name, 8) ||
        std::wstring_view(name) != L"#32770") {
        return TRUE;
    }
    found->box = hwnd;
    return FALSE;
}

}  // namespace

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
    ShowProgramModalBox(text, program::AppTitle.c_str(), MB_OK);
}

int AskUser(const std::wstring& text, unsigned int buttons) {
    return ShowProgramModalBox(text, program::AppTitle.c_str(), buttons);
}

int Questions::Ask(const std::wstring& text, unsigned int buttons) {
    const HWND owner = ProgramModalBoxOwner();
    owners_.push_back(owner);
    struct Answered {
        std::vector<HWND>& owners;
        ~Answered() { owners.pop_back(); }
    } answered{owners_};
    return ShowProgramModalBox(text, program::AppTitle.c_str(), buttons, owner);
}

void Questions::Withdraw(int answer) {
    for (auto owner = owners_.rbegin(); owner != owners_.rend(); ++owner) {
        BoxSearch search{*owner, nullptr};
        EnumThreadWindows(GetCurrentThreadId(), &FindBox, reinterpret_cast<LPARAM>(&search));
        // The box's own handling of the button: it hides the box, gives its owner the input back and
        // leaves the box's loop once this handler returns. Nothing waits for the user here.
        if (search.box) {
            SendMessageW(search.box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(search.box, answer)));
        }
    }
}

void ShowErrorReport(const std::wstring& text) {
    ShowProgramModalBox(text, kReportTitle, MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace core
