// Attention: FlashWindowEx, SetThreadExecutionState for the countdown's and the alarm's holds combined,
// and the alarm's look at GetLastInputInfo.
#include "ui/Attention.h"

#include <cstdint>
#include <cwchar>

namespace ui {
namespace {

UINT_PTR const kPresenceTimerId = 1;

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
              [](EXECUTION_STATE held) {
                  // The state is the thread's, and ES_CONTINUOUS keeps it until the next call, which
                  // replaces it whole. A refusal leaves the system to its own idle rules: nothing the
                  // user could act on.
                  SetThreadExecutionState(ES_CONTINUOUS | held);
              },
              [] { return static_cast<DWORD>(GetTickCount64()); },
              [] {
                  LASTINPUTINFO info{};
                  info.cbSize = sizeof info;
                  // Unknown counts as no input since: the hold goes, and the system's own idle
                  // timers, which see every input, decide from then on.
                  return GetLastInputInfo(&info) ? info.dwTime : DWORD{0};
              }};
}

Attention::~Attention() {
    counting_ = false;
    alarm_ = false;
    Apply();
}

void Attention::Flash(HWND window) {
    if (system_.flash) system_.flash(window);
}

void Attention::KeepCounting(bool counting) {
    counting_ = counting;
    Apply();
}

void Attention::KeepAwake() {
    if (alarm_) return;
    alarm_ = true;
    alarmUp_ = system_.now ? system_.now() : 0;
    Apply();
    LookAgainIn(kAlarmAwayMs);
}

void Attention::LetSleep() {
    if (hwnd()) KillTimer(hwnd(), kPresenceTimerId);
    if (!alarm_) return;
    alarm_ = false;
    Apply();
}

void Attention::CheckPresence() {
    if (!alarm_) return;
    const DWORD now = system_.now ? system_.now() : alarmUp_;
    DWORD since = alarmUp_;
    const DWORD input = system_.lastInput ? system_.lastInput() : alarmUp_;
    // Tick counts wrap after 49.7 days: two ticks are ordered by their signed difference. Input after
    // the alarm came up starts the ten minutes again, even a tick a moment ahead of now (input
    // injected with its own time stamp); a tick far from both is no input (the look-up failed).
    const std::int32_t afterUp = static_cast<std::int32_t>(input - since);
    const std::int32_t ago = static_cast<std::int32_t>(now - input);
    if (afterUp > 0 && ago > -static_cast<std::int32_t>(kAlarmAwayMs)) since = input;
    const DWORD away = static_cast<std::int32_t>(now - since) > 0 ? now - since : 0;
    if (away < kAlarmAwayMs) {
        LookAgainIn(kAlarmAwayMs - away);
        return;
    }
    // Time Expired stays up; only the computer may now sleep, and the display turn off, by the
    // power plan's own idle rules. A sound playing on would keep Windows awake by itself.
    LetSleep();
    if (onAway) onAway();
}

void Attention::LookAgainIn(DWORD ms) {
    if (!hwnd()) Create({L"CorvalinAttention"}, 0, 0, L"", 0, 0, 0, 0, HWND_MESSAGE, 0);
    if (hwnd()) SetTimer(hwnd(), kPresenceTimerId, ms, nullptr);
}

void Attention::Apply() {
    EXECUTION_STATE held = 0;
    if (counting_) held |= ES_SYSTEM_REQUIRED;
    if (alarm_) held |= ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED;
    if (held == held_) return;
    held_ = held;
    if (system_.keepAwake) system_.keepAwake(held);
}

LRESULT Attention::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && wParam == kPresenceTimerId) {
        CheckPresence();
        return 0;
    }
    return Window::HandleMessage(message, wParam, lParam);
}

}  // namespace ui
