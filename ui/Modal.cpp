// Taking the input from the thread's other windows and giving it back.
#include "ui/Modal.h"

namespace ui {

ThreadModality::ThreadModality(HWND modal) : modal_(modal) {
    EnumThreadWindows(GetCurrentThreadId(), &ThreadModality::Visit, reinterpret_cast<LPARAM>(this));
}

ThreadModality::~ThreadModality() { Release(); }

void ThreadModality::Release() {
    for (HWND hwnd : disabled_) {
        // A window destroyed in the meantime is left alone.
        if (IsWindow(hwnd)) EnableWindow(hwnd, TRUE);
    }
    disabled_.clear();
}

BOOL CALLBACK ThreadModality::Visit(HWND hwnd, LPARAM self) {
    auto* modality = reinterpret_cast<ThreadModality*>(self);
    // The program's own windows only: the system keeps helper windows of its own on the thread.
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd, GWLP_HINSTANCE));
    if (hwnd != modality->modal_ && instance == GetModuleHandleW(nullptr) && IsWindowEnabled(hwnd)) {
        EnableWindow(hwnd, FALSE);
        modality->disabled_.push_back(hwnd);
    }
    return TRUE;
}

}  // namespace ui
