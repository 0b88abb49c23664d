// Dialog focus: save on WA_INACTIVE, restore on activation and when the window itself gets the focus.
#include "ui/DialogFocus.h"

namespace ui {
namespace {

// The window property that holds the control that had the focus when the window last went inactive.
constexpr wchar_t kFocusProperty[] = L"Corvalin.Focus";

bool CanTakeFocus(HWND window, HWND control) {
    return control && IsWindow(control) && IsChild(window, control) && IsWindowVisible(control) &&
           IsWindowEnabled(control);
}

void RestoreFocus(HWND window) {
    HWND target = static_cast<HWND>(GetPropW(window, kFocusProperty));
    if (!CanTakeFocus(window, target)) target = GetNextDlgTabItem(window, nullptr, FALSE);
    if (CanTakeFocus(window, target)) SetFocus(target);
}

}  // namespace

bool HandleDialogFocus(HWND window, UINT message, WPARAM wParam, LPARAM /*lParam*/, LRESULT& result) {
    switch (message) {
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            // The focus is still where the user left it: it moves only after this message. Focus that
            // is not ours (a minimised window has none) keeps the control remembered before.
            const HWND focus = GetFocus();
            if (focus && IsChild(window, focus)) SetPropW(window, kFocusProperty, focus);
        } else if (HIWORD(wParam) == 0) {
            // Activated, not minimised: instead of the default, which focuses the window itself.
            RestoreFocus(window);
        }
        result = 0;
        return true;
    case WM_SETFOCUS:
        // The window itself was given the focus (SetFocus on the window, as a restore from the tray
        // does): pass it on to its control, as a dialog does.
        RestoreFocus(window);
        result = 0;
        return true;
    case WM_NCDESTROY:
        RemovePropW(window, kFocusProperty);
        return false;
    default:
        return false;
    }
}

}  // namespace ui
