// Attention: FlashWindowEx and SetThreadExecutionState, results deliberately unused.
#include "ui/Attention.h"

#include <cstdint>
#include <cwchar>

namespace ui {

namespace {

// The shell's own windows that take the foreground without taking typing: the desktop behind the icons
// (WorkerW after "Show desktop"), the taskbar on each monitor, and the window of Wine's stand-alone tray.
constexpr const wchar_t* kShellSurfaces[] = {L"Progman", L"WorkerW", L"Shell_TrayWnd", L"Shell_SecondaryTrayWnd",
                                             L"__winex11_standalone_tray"};

// Input in the first second after Start is the release of the key or button that pressed it: Enter
// presses on its way down.
DWORD const kStartInputMs = 1000;

bool IsShellSurface(HWND window) {
    wchar_t name[64] = {};
    if (!GetClassNameW(window, name, 64)) return false;
    for (const wchar_t* surface : kShellSurfaces) {
        if (wcscmp(name, surface) == 0) return true;
    }
    return false;
}

}  // namespace

bool ProgramHasForeground() {
    const HWND foreground = GetForegroundWindow();
    if (!foreground || foreground == GetDesktopWindow() || foreground == GetShellWindow()) return true;
    if (IsShellSurface(foreground)) return true;
    DWORD process = 0;
    GetWindowThreadProcessId(foreground, &process);
    return process == GetCurrentProcessId();
}

bool KeyboardIsFree(DWORD startedAt) {
    if (ProgramHasForeground()) return true;
    LASTINPUTINFO input{};
    input.cbSize = sizeof input;
    if (!GetLastInputInfo(&input)) return false;
    // Both ticks wrap after 49.7 days: the difference decides.
    return static_cast<std::int32_t>(input.dwTime - startedAt - kStartInputMs) <= 0;
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
