// Window subclassing through comctl32's subclass functions, found by their ordinals.
#pragma once

#include <windows.h>

#include <commctrl.h>

namespace ui {

// The exe carries no manifest, so Windows binds it to comctl32 5.82, which exports
// GetWindowSubclass only as a nameless ordinal (and some of its builds the other three as well):
// an import by name would stop the loader before WinMain. Versions 5.82 and 6 both export the four
// under ordinals 410 to 413, so they are looked up that way, once, at first use. The names differ
// from the system's so that a call can never bind to an import by name.
bool SetSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR data);
bool GetSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR* data);
bool RemoveSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id);
LRESULT CallNextSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace ui
