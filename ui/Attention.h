// What the alarm asks of the system while it is up: its taskbar button flashing until the user turns
// to it, and the system and the display kept awake, so a computer that the wake timer woke lights its
// screen and does not fall asleep again before the user answers.
#pragma once

#include <windows.h>

#include <functional>

namespace ui {

// Whether no other program has the foreground: nothing has it, or the desktop, the taskbar (Wine's
// stand-alone tray included) or one of this program's windows has. Those take no typing that the
// alarm could swallow.
bool ProgramHasForeground();

// Whether the alarm may take the keyboard: no other program has the foreground, or the user has not
// touched keyboard or mouse since the countdown started at `startedAt` (GetTickCount's clock). When
// another program is in use, the system refuses a background program the foreground, and taking it
// would send that program's keystrokes to us.
bool KeyboardIsFree(DWORD startedAt);

class Attention {
public:
    // The system calls behind the requests; a test listens in between.
    struct System {
        std::function<void(HWND window)> flash;    // FlashWindowEx until the window is activated
        std::function<void(bool awake)> keepAwake;  // SetThreadExecutionState: hold, or give back
    };

    // The real calls.
    static System Platform();

    Attention() : system_(Platform()) {}
    Attention(const Attention&) = delete;
    Attention& operator=(const Attention&) = delete;
    ~Attention() { LetSleep(); }

    void UseSystem(System system) { system_ = std::move(system); }

    // Flashes the window's taskbar button until the window comes to the foreground.
    void Flash(HWND window);
    // Holds the system and the display awake until LetSleep.
    void KeepAwake();
    void LetSleep();
    bool KeepingAwake() const { return awake_; }

private:
    System system_;
    bool awake_ = false;
};

}  // namespace ui
