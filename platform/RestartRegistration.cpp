// The restart registration through RegisterApplicationRestart: causes given as the flags that exclude
// the others.
#include "platform/RestartRegistration.h"

namespace platform {

bool RegisterRestart(const std::wstring& arguments, DWORD causes) {
    if (arguments.size() >= kLongestRestartCommandLine) return false;
    // The system's flags say when not to restart; the causes, when to.
    const DWORD exclusions = kRestartAlways & ~causes;
    // No arguments: null, which registers the restart without a command line of its own.
    return SUCCEEDED(RegisterApplicationRestart(arguments.empty() ? nullptr : arguments.c_str(), exclusions));
}

void UnregisterRestart() { UnregisterApplicationRestart(); }

}  // namespace platform
