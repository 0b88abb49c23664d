// The restart registration through RegisterApplicationRestart.
#include "platform/RestartRegistration.h"

#include <windows.h>

namespace platform {

bool RegisterRestart() {
    // A switch of its own, and no RESTART_NO_* flag: a restart in every case. A copy the Run entry
    // started at the same logon takes it as nothing to do, so the two never both show windows.
    return SUCCEEDED(RegisterApplicationRestart(L"/restored", 0));
}

}  // namespace platform
