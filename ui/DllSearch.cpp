// The process's DLL search narrowed to the system folder.
#include "ui/DllSearch.h"

#include "ui/ProcAddress.h"

#include <windows.h>

namespace ui {

void RestrictDllSearchToSystem() {
    // kernel32 is in every process: its handle needs no reference of ours. SetDefaultDllDirectories is
    // looked up because Windows 7 lacks it without KB2533623; SetDllDirectoryW (XP SP1) beside it, so
    // that the exe's import list stays the one the import audit holds.
    const HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    if (const auto setDefault = ProcAddress<SetDefaultDllDirectoriesFn>(kernel32, "SetDefaultDllDirectories")) {
        setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
    // An empty folder takes the current folder out of the search that remains where the flags are
    // missing (the program's own folder stays first there: nothing but the flags removes it).
    if (const auto setFolder = ProcAddress<decltype(&SetDllDirectoryW)>(kernel32, "SetDllDirectoryW")) {
        setFolder(L"");
    }
}

}  // namespace ui
