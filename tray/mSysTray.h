// mSysTray: the window hook of the tray control. The shell's notifications arrive at the control's own
// window, whose window procedure is replaced by TrayWindowProc while the icon is in the tray.
#pragma once

#include <windows.h>

class cSysTray;

namespace mSysTray {

// The one program-wide slot: the window procedure the hooked window had before TrayWindowProc.
extern WNDPROC PreviousWindowProc;

// Replaces the window's procedure with TrayWindowProc, keeps the previous one in the slot and puts the
// control's address in the window's user data (no reference is counted for it).
void Hook(HWND window, cSysTray* control);
// Puts the previous procedure back from the slot. The user data is left as it is.
void Unhook(HWND window);

// Hands the tray callback to the control in the window's user data, then passes every message, the
// callback included, to the previous procedure.
LRESULT CALLBACK TrayWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace mSysTray
