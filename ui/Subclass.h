// Window subclassing: procedures put in front of a window's own, in a chain.
#pragma once

#include <windows.h>

#include <commctrl.h>

namespace ui {

// What comctl32's SetWindowSubclass, GetWindowSubclass, RemoveWindowSubclass and DefSubclassProc
// do, without comctl32: loading it (5.82, the exe carries no manifest) costs every start the time of
// its load and set-up before the first button exists, a tenth to a sixth of the start to a visible
// window under Wine. A window takes any number of procedures, each known by proc and id; a message
// goes to the newest first, each passes it on with CallNextSubclass; at WM_NCDESTROY, once handled,
// every procedure leaves the window, one destroyed inside one of its own messages too. Windows of
// this thread only. The names differ from the system's, which the callback type (SUBCLASSPROC) keeps.
bool SetSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR data);
bool GetSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR* data);
bool RemoveSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id);
LRESULT CallNextSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace ui
