// What the alarm asks of the system while it is up: its taskbar button flashing until the user turns
// to it, and the system and the display kept awake, so a computer that the wake timer woke lights its
// screen and does not fall asleep again before the user answers.
#pragma once

#include <windows.h>

#include <functional>

namespace ui {

// Whether this program may take the keyboard focus: one of its windows has the foreground, or no
// window but the desktop has. When another program has it, the system refuses a background program the foreground,
// and taking it would send that program's keystrokes to us.
bool ProgramHasForeground();

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
