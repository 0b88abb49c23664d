// The backdrop every window paints behind itself and its labels, and the messages every window
// of the program handles alike.
#pragma once

#include "ui/ColourRule.h"
#include "ui/WindowPointer.h"

#include <windows.h>

namespace ui {

// The backdrop: what a window paints behind itself and behind its labels, frames, check boxes and
// option buttons. It is white, as the layouts draw every window, until ApplyFaceColor gives it the
// system button-face colour, which then follows the user's colour scheme. Push buttons, pickers and
// text boxes keep their own colours. The state lives with the window itself, so a window only routes
// its messages through HandleBackdropMessage.
void ApplyFaceColor(HWND window);

// The colour the window's backdrop paints now.
COLORREF BackdropColor(HWND window);

// The colours the window and its push buttons paint now: the layout's, or the system's where the colour
// rule (ui/ColourRule.h) asks for them. Decided on first use, and again on every colour-scheme change.
WindowColours ColoursOf(HWND window);

// SystemParametersInfoW, or a stand-in for it.
using SystemParametersFn = BOOL(WINAPI*)(UINT action, UINT param, void* data, UINT winIni);

// Whether the user has high-contrast mode on (SPI_GETHIGHCONTRAST with HCF_HIGHCONTRASTON).
bool HighContrastOn(SystemParametersFn query = &SystemParametersInfoW);

// Decides the window's colours afresh from the current system colours and the given mode, and repaints
// the window, its frame and all its controls; push buttons take the new colours as they repaint.
void FollowColourScheme(HWND window, bool highContrast);

// Handles WM_ERASEBKGND and WM_CTLCOLORSTATIC of the window, follows WM_SYSCOLORCHANGE and
// WM_SETTINGCHANGE (SPI_SETHIGHCONTRAST), and forgets the state on WM_NCDESTROY.
// Returns true when the message was handled, with its result in result.
bool HandleBackdropMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

// The messages every window of the program handles alike: its backdrop, its push buttons' drawing and
// clicks, its keyboard focus kept as a dialog keeps it, and the window pointer (the surface gives the
// default pointer back). Returns true when the message was handled, with its result.
bool HandleCommonFormMessage(HWND window, WindowPointer& pointer, UINT message, WPARAM wParam, LPARAM lParam,
                             LRESULT& result);

}  // namespace ui
