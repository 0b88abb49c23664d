// Asking Windows to start the program again after a crash, a hang, an update of its files or a restart
// of the computer for an update (RegisterApplicationRestart, Windows Vista and later). The program's
// first call makes kernel32's RegisterApplicationRestart and UnregisterApplicationRestart imports of
// the exe: both go into tests/support/allowed_imports.txt then, as "Vista".
#pragma once

#include <windows.h>

#include <string>

namespace platform {

// When Windows is to start the program again; any of these, or'ed together.
enum RestartCause : DWORD {
    kRestartAfterCrash = 1,   // an unhandled exception (RESTART_NO_CRASH unset)
    kRestartAfterHang = 2,    // not responding, ended by the user (RESTART_NO_HANG unset)
    kRestartAfterPatch = 4,   // closed by an installer's update of its files (RESTART_NO_PATCH unset)
    kRestartAfterReboot = 8,  // the computer restarted for an update (RESTART_NO_REBOOT unset)
    kRestartAlways = 15,
};

// The most a restart command line holds, its zero included (RESTART_MAX_CMD_LINE).
inline constexpr std::size_t kLongestRestartCommandLine = 1024;

// Registers this process for a restart with arguments (without the program's name, which Windows puts
// first; arguments with spaces in quotes) in the cases causes names. Windows restarts the program only
// once it has run for 60 seconds, so that a program that fails at start does not start over and
// over; after a crash or a hang it asks the user first. A later call replaces the registration: the
// last chance to change it before an update closes the program is its WM_QUERYENDSESSION. False when
// the command line is too long or Windows refuses.
bool RegisterRestart(const std::wstring& arguments, DWORD causes = kRestartAlways);

// No restart in any case from now on.
void UnregisterRestart();

}  // namespace platform
