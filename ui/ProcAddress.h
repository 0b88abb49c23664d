// A function the running system may lack, looked up at run time in a loaded module.
#pragma once

#include <windows.h>

namespace ui {

// The function exported under name (or under an ordinal, MAKEINTRESOURCEA(n)); null when the module or
// the function is missing. Fn is the function's own pointer type.
template <typename Fn>
Fn ProcAddress(HMODULE module, const char* name) {
    if (!module) return nullptr;
    // Through a generic function pointer: FARPROC's type does not match the function's own, and only
    // the name decides the signature.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace ui
