// What the whole program shares: the program-wide value, the application title, the program
// folder and the plain message box every window uses.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace core {

// The program-wide value, shared between the windows for the whole run.
namespace program {
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

// The questions a window asks about something that may end while they are up (a countdown that runs
// on): each is asked as AskUser asks it, and its asker can withdraw every one still up, as if the user
// had pressed a button of it, without waiting for the user.
class Questions {
public:
    // As AskUser; returns the button pressed, or the one the question was withdrawn with.
    int Ask(const std::wstring& text, unsigned int buttons);
    // Ends every question still up, the latest first, as if `answer` had been pressed on each. Each
    // box closes at once; its Ask returns once the handler that withdrew it has returned.
    void Withdraw(int answer);

private:
    // The owner of each box up: no other box of ours takes one while it is disabled under its box.
    std::vector<HWND> owners_;
};

// The handler error report box: "Application Error", one OK button, the exclamation icon.
void ShowErrorReport(const std::wstring& text);

}  // namespace core
