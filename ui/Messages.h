// The program's private window messages, all in one place so that no two can collide: each is posted
// or sent to a window of ours only, and carries what its comment says.
#pragma once

#include <windows.h>

namespace ui {

// To a tick timer's own window: deliver the ticks that are due now (ui::Timer).
inline constexpr UINT kDeliverTicksMessage = WM_APP + 1;
// To a Time Expired window, once it is up and again at each activation until its first message ran.
inline constexpr UINT kOnceUpMessage = WM_APP + 2;
// To the program's window: a request handed over by a later copy waits its turn.
inline constexpr UINT kHandOverMessage = WM_APP + 16;
// To a timer's window: its Time Expired was answered; wParam carries the answer's flags, lParam a
// snooze's seconds (0 for none).
inline constexpr UINT kTimeExpiredAnsweredMessage = WM_APP + 17;
// To the program's window: a timer's window was closed by the user; wParam is its id's number.
inline constexpr UINT kTimerClosedMessage = WM_APP + 18;
// To the program's window: timers rang while the program was not running, for the balloon.
inline constexpr UINT kEndedWhileAwayMessage = WM_APP + 19;

}  // namespace ui
