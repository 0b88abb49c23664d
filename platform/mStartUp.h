// mStartUp: registers the running program to start when the user logs on to Windows, or removes that.
#pragma once

#include <string>

namespace platform {

// The full path of the running executable, as the system reports its own module.
std::wstring RunningModulePath();

// Adds the Run entry for the running executable. Every failure is silent.
void EnableStartup();

// Removes the Run entry of the running executable from both Run keys. Every failure is silent.
void DisableStartup();

}  // namespace platform
