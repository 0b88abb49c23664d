// What the program asks of the system: the computer awake while a countdown runs (the display may
// turn off), and while the alarm is up its taskbar button flashing until the user turns to it and the
// system and the display awake, so that a computer woken to ring lights its screen; the alarm gives
// that back once nobody has touched the keyboard or mouse for ten minutes.
#pragma once

#include "ui/Window.h"

#include <windows.h>

#include <cstdint>
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

// The alarm's hold ends after this long with no keyboard or mouse input since it came up.
inline constexpr DWORD kAlarmAwayMs = 10 * 60 * 1000;

// The execution state is the calling thread's, and each SetThreadExecutionState replaces it whole: so
// one object on the GUI thread owns it and holds what the countdown and the alarm ask, combined.
class Attention : private Window {
public:
    // The system calls behind the requests; a test listens in between.
    struct System {
        std::function<void(HWND window)> flash;  // FlashWindowEx until the window is activated
        // SetThreadExecutionState(ES_CONTINUOUS | held): the thread's whole request; 0 gives it back.
        std::function<void(EXECUTION_STATE held)> keepAwake;
        std::function<DWORD()> now;        // GetTickCount, in milliseconds
        std::function<DWORD()> lastInput;  // GetLastInputInfo: the tick of the session's last input
    };

    // The real calls.
    static System Platform();

    Attention() : system_(Platform()) {}
    ~Attention() override;

    void UseSystem(System system) { system_ = std::move(system); }

    // Flashes the window's taskbar button until the window comes to the foreground.
    void Flash(HWND window);
    // While a countdown runs: the system does not fall asleep from idleness.
    void KeepCounting(bool counting);
    // The alarm is up: the system and the display stay awake until LetSleep, or until the user has
    // been away from the keyboard and mouse for kAlarmAwayMs.
    void KeepAwake();
    void LetSleep();
    // Whether the alarm's hold is on.
    bool KeepingAwake() const { return alarm_; }
    // What the thread holds now (ES_SYSTEM_REQUIRED, ES_DISPLAY_REQUIRED; 0 for nothing).
    EXECUTION_STATE Held() const { return held_; }
    // Gives the alarm's hold back once the user has been away for kAlarmAwayMs, and then calls onAway;
    // else looks again when that time could be up. The alarm's own timer calls it.
    void CheckPresence();
    // Nobody is there: what else the alarm keeps going (a sound that repeats) ends too.
    std::function<void()> onAway;

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void Apply();
    void LookAgainIn(DWORD ms);

    System system_;
    bool counting_ = false;
    bool alarm_ = false;
    DWORD alarmUp_ = 0;
    EXECUTION_STATE held_ = 0;
};

}  // namespace ui
