// mStartUp: registers the running program to start when the user logs on to Windows, or removes that,
// and tells whether Windows will start it.
#pragma once

#include "platform/StartupEntry.h"

#include <memory>

namespace platform {

// The registry's own Run keys.
std::unique_ptr<RunKeys> RegistryStartupKeys();

// Adds the Run entry for the running executable, turned on. Every failure is silent.
void EnableStartup(RunKeys& keys);

// Removes the Run entry of the running executable from every Run key. Every failure is silent: what
// is left shows in StartupEntryIn.
void DisableStartup(RunKeys& keys);

// The Run key holding an entry that starts the running executable and is not turned off; nothing when
// none does.
std::optional<RunHive> StartupEntryIn(RunKeys& keys);

}  // namespace platform
