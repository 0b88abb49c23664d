// Attention: FlashWindowEx and SetThreadExecutionState, results deliberately unused.
#include "ui/Attention.h"

namespace ui {

bool ProgramHasForeground() {
    const HWND foreground = GetForegroundWindow();
    // The desktop takes no typing that an alarm could swallow: a user looking at it is ours to take.
    if (!foreground || foreground == GetDesktopWindow() || foreground == GetShellWindow()) return true;
    DWORD process = 0;
    GetWindowThreadProcessId(foreground, &process);
    return process == GetCurrentProcessId();
}

Attention::System Attention::Platform() {
    return {[](HWND window) {
                  FLASHWINFO info{};
                  info.cbSize = sizeof info;
                  info.hwnd = window;
                  // Caption and taskbar button, at the system's cursor blink rate, until activated;
                  // the system stops it by itself then.
                  info.dwFlags = FLASHW_ALL | FLASHW_TIMERNOFG;
                  FlashWindowEx(&info);
              },
              [](bool awake) {
                  // The state is the thread's, and ES_CONTINUOUS keeps it until changed: the thread
                  // that asked must give it back, and asking twice holds nothing more.
                  SetThreadExecutionState(awake ? ES_CONTINUOUS | ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED
                                                : ES_CONTINUOUS);
              }};
}

void Attention::Flash(HWND window) {
    if (system_.flash) system_.flash(window);
}

void Attention::KeepAwake() {
    if (awake_) return;
    awake_ = true;
    if (system_.keepAwake) system_.keepAwake(true);
}

void Attention::LetSleep() {
    if (!awake_) return;
    awake_ = false;
    if (system_.keepAwake) system_.keepAwake(false);
}

}  // namespace ui
