// Helpers every window shares: the file tests, the face colour of a window and its static controls,
// and the optional skin of the main window.
#pragma once

#include "ui/WindowPointer.h"

#include <windows.h>

#include <string>

namespace app {

// Files the program looks for beside itself, appended to the program folder.
inline constexpr wchar_t kHandPointerFile[] = L"\\HAND-M.CUR";
inline constexpr wchar_t kSkinFile[] = L"\\x\\o.cjs";
inline constexpr wchar_t kAlarmFile[] = L"\\alarm.wav";

// True exactly when the last-modified time of path can be read: files and folders alike. An empty
// path, a path with wildcards, a missing file or an unreachable drive give false. Never throws.
bool FileExists(const std::wstring& path);

// True when a listing of exactly path finds an ordinary file there: not a folder, not hidden, not a
// system file. A path with wildcards ("*", "?") is never found, so it cannot stand for another file.
bool FileListed(const std::wstring& path);

// The backdrop: what a window paints behind itself and behind its labels, frames, check boxes and
// option buttons. It is white, as the layouts draw every window, until ApplyFaceColor gives it the
// system button-face colour, which then follows the user's colour scheme. Push buttons, pickers and
// text boxes keep their own colours. The state lives with the window itself, so a window only routes
// its messages through HandleBackdropMessage.
void ApplyFaceColor(HWND window);

// The colour the window's backdrop paints now.
COLORREF BackdropColor(HWND window);

// Handles WM_ERASEBKGND and WM_CTLCOLORSTATIC of the window, and forgets the state on WM_NCDESTROY.
// Returns true when the message was handled, with its result in result.
bool HandleBackdropMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

// The main window's skin: when the skin file is listed beside the program, the window takes the face
// colour as ApplyFaceColor gives it. This build hosts no skin engine, so the file is not loaded.
// Returns whether the skin file was found.
bool ApplySkin(HWND window);

// The messages every window of the program handles alike: its backdrop, its push buttons' drawing and
// clicks, its keyboard focus kept as a dialog keeps it, and the window pointer (the surface gives the
// default pointer back). Returns true when the message was handled, with its result.
bool HandleCommonFormMessage(HWND window, ui::WindowPointer& pointer, UINT message, WPARAM wParam, LPARAM lParam,
                             LRESULT& result);

// Gives a window the application icon, in its title bar and on its task-bar button.
void SetApplicationIcon(HWND window);

}  // namespace app
