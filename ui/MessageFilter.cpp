// Per-window message filter for an elevated process, looked up at run time.
#include "ui/MessageFilter.h"

#include "core/Handles.h"
#include "ui/ProcAddress.h"

namespace ui {

bool ProcessIsElevated() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    const core::UniqueKernelObject ownedToken(token);
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    return GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) &&
           elevation.TokenIsElevated != 0;
}

void LetInFromNormalRights(HWND window, UINT message) {
    // A normal process has nothing to let in: opening it to sandboxed (low-integrity) senders would
    // only widen who may talk to it.
    if (!window || message == 0 || !ProcessIsElevated()) return;
    using FilterFn = BOOL(WINAPI*)(HWND, UINT, DWORD, PCHANGEFILTERSTRUCT);
    // Windows 7 and later; the program's oldest system has it, but a missing one leaves the default.
    if (auto filter = ProcAddress<FilterFn>(GetModuleHandleW(L"user32.dll"), "ChangeWindowMessageFilterEx")) {
        filter(window, message, MSGFLT_ALLOW, nullptr);
    }
}

}  // namespace ui
