// mStartUp: registers the running program to start when the user logs on to Windows, or removes that.
#pragma once

#include <string>

namespace platform {

// Adds the Run entry for the running executable. Every failure is silent.
void EnableStartup();

// Removes the Run entry of the running executable from both Run keys. Every failure is silent.
void DisableStartup();

}  // namespace platform
