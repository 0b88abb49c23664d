// The restart registration through RegisterApplicationRestart.
#include "platform/RestartRegistration.h"

#include <windows.h>

namespace platform {

bool RegisterRestart() {
    // No command line (null), and no RESTART_NO_* flag: a restart in every case.
    return SUCCEEDED(RegisterApplicationRestart(nullptr, 0));
}

}  // namespace platform
