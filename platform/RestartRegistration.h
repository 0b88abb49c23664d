// Asking Windows to start the program again after a crash, a hang, an update of its files or a restart
// of the computer for an update (RegisterApplicationRestart, Windows Vista and later).
#pragma once

namespace platform {

// Registers this process for a restart in every one of those cases, without a command line of its own.
// Windows restarts the program only once it has run for 60 seconds, so that a program that fails at
// start does not start over and over; after a crash or a hang it asks the user first. False when
// Windows refuses.
bool RegisterRestart();

}  // namespace platform
