// The messages a copy run as administrator takes from processes of normal rights, which the system's
// privilege isolation (UIPI) otherwise drops on the way in.
#pragma once

#include <windows.h>

namespace ui {

// Whether this process runs with an administrator's full rights (elevated).
bool ProcessIsElevated();

// When this process runs elevated, lets message reach window from processes of lower integrity
// (a normal copy's hand-over, the shell's broadcasts). Does nothing in a normal process, or where the
// system lacks the per-window filter.
void LetInFromNormalRights(HWND window, UINT message);

}  // namespace ui
