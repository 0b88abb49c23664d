// mSysTray: the replacement window procedure of the tray control's own window and its one slot.
#include "tray/mSysTray.h"

#include "tray/cSysTray.h"

namespace mSysTray {

WNDPROC PreviousWindowProc = nullptr;

void Hook(HWND window, cSysTray* control) {
    const auto previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TrayWindowProc)));
    // Every own window is a plain STATIC window, so the one slot names the same procedure for all of
    // them and a second control in the tray works too. A window that is hooked already must never
    // leave our own procedure in the slot: TrayWindowProc would then call itself for ever.
    if (previous && previous != &TrayWindowProc) PreviousWindowProc = previous;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(control));
}

void Unhook(HWND window) {
    if (PreviousWindowProc) SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PreviousWindowProc));
}

LRESULT CALLBACK TrayWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // The host's event handlers run in here, and they may take the icon out of the tray, which puts
    // the previous procedure back; the slot itself stays, so reading it afterwards is safe.
    if (auto* control = reinterpret_cast<cSysTray*>(GetWindowLongPtrW(window, GWLP_USERDATA))) {
        // No exception may unwind into the system's code that called us.
        try {
            control->OnWindowMessage(message, wParam, lParam);
        } catch (...) {
        }
    }
    if (!PreviousWindowProc) return DefWindowProcW(window, message, wParam, lParam);
    return CallWindowProcW(PreviousWindowProc, window, message, wParam, lParam);
}

}  // namespace mSysTray
