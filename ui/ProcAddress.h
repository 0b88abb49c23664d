// A function the running system may lack, looked up at run time in a loaded module; and a system DLL
// that only later work needs, loaded at its first use instead of by the loader before the window shows.
#pragma once

#include <windows.h>

#include <string>

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

// The DLL of that file name in the system's folder (never one beside the program), loaded now and
// kept for the life of the process, as an import is; null when it cannot be loaded. Each call takes
// a reference of its own: a caller keeps what it looks up.
inline HMODULE LoadSystemModule(const wchar_t* fileName) {
    // Where the system has the search flags (Windows 8 and later, Windows 7 with KB2533623, which
    // AddDllDirectory marks), the DLL's own imports come from the system folder too; elsewhere the
    // full path names the DLL itself.
    static const bool searchFlags = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "AddDllDirectory") != nullptr;
    if (searchFlags) return LoadLibraryExW(fileName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    return LoadLibraryW((std::wstring(folder, length) + L'\\' + fileName).c_str());
}

// A function of a system DLL, loaded at this first use; callers keep it in a function-local static.
template <typename Fn>
Fn SystemFunction(const wchar_t* fileName, const char* name) {
    return ProcAddress<Fn>(LoadSystemModule(fileName), name);
}

}  // namespace ui
