// The keyboard focus of a top-level window kept as the dialog manager keeps a dialog's: when the window
// goes inactive it remembers the control that has the focus, and when it becomes active again, or is
// itself given the focus, that control gets it back. A window that opens, or whose control is gone,
// hidden or disabled, focuses its first control in tab order that can take the focus instead. The
// remembered control lives with the window itself, so a window only routes its messages through here.
#pragma once

#include <windows.h>

namespace ui {

// Handles WM_ACTIVATE and WM_SETFOCUS of the window, and forgets the control on WM_NCDESTROY. Returns
// true when the message was handled, with its result in result.
bool HandleDialogFocus(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

}  // namespace ui
