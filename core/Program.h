// What the whole program shares: the three program-wide values, the application title, the program
// folder and the plain message box every window uses.
#pragma once

#include <cstdint>
#include <string>

namespace core {

// The program-wide values, shared between the windows for the whole run.
namespace program {
// Sound buffer of the last alarm or alarm test; 0 until the first one.
inline std::int32_t AlarmBuffer = 0;
// Set by the Time Expired window's restart button, read by the countdown after that window closed.
inline bool RestartRequested = false;
// The main window is hidden behind the tray icon.
inline bool HiddenInTray = false;
// Caption of every message box that names none of its own; set once by the main window's load.
inline std::wstring AppTitle = L"Corvalin Timer";
}  // namespace program

// Sets the application title from the product name ("Corvalin Timer").
void SetAppTitle();

// The full path of the running executable, as the system reports its own module.
std::wstring RunningModulePath();

// The folder of the running executable, without a trailing backslash except at a drive root.
std::wstring ProgramFolder();

// A user message: the text alone, one OK button, no icon, the application title as caption.
void ShowUserMessage(const std::wstring& text);

// A question to the user with the given buttons (MB_YESNO, ...), no icon, the application title as
// caption, modal to the whole program as every message box; returns the button pressed (IDYES, ...).
int AskUser(const std::wstring& text, unsigned int buttons);

// The handler error report box: "Application Error", one OK button, the exclamation icon.
void ShowErrorReport(const std::wstring& text);

}  // namespace core
