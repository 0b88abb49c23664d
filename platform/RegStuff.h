// RegStuff: a thin layer over the registry functions for the start-with-Windows entry in the Run keys.
#pragma once

#include "platform/StartupEntry.h"

#include <windows.h>

#include <optional>
#include <string>

namespace platform {

// The Run key path, below HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER alike.
inline constexpr wchar_t kRunKeyPath[] = L"SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\RUN\\";
// Query and set value, create and enumerate sub-keys, notify, create link.
inline constexpr REGSAM kRunKeyAccess = 0x3F;

// Stores value in the open key under valueName; only REG_SZ is used (stored as UTF-16 text with its
// terminating zero). Returns the registry's result code, ERROR_SUCCESS (0) when stored.
LONG SetRegValue(HKEY key, const std::wstring& valueName, DWORD type, const std::wstring& value);

// Opens subKey below root (never creating it), stores the value and closes the key. Returns the result
// of the open when that failed, otherwise that of the write.
LONG WriteRegValue(HKEY root, const std::wstring& subKey, const std::wstring& valueName, const std::wstring& value,
                   DWORD type);

// Opens subKey below root, deletes the named value and closes the key. Returns the registry's result.
// view is KEY_WOW64_32KEY or KEY_WOW64_64KEY for one registry view, 0 for the program's own.
LONG DeleteRegValue(HKEY root, const std::wstring& subKey, const std::wstring& valueName, REGSAM view = 0);

// The text of the named value below root's subKey (REG_SZ, or REG_EXPAND_SZ expanded); nothing when
// the key or the value is missing, cannot be read, or holds something else.
std::optional<std::wstring> ReadRegText(HKEY root, const std::wstring& subKey, const std::wstring& valueName,
                                        REGSAM view = 0);

// The Run keys through the registry functions above. The user's Run key is created when a fresh
// profile has none; the machine-wide one is only ever opened.
class RegistryRunKeys : public RunKeys {
public:
    bool Write(RunHive hive, const std::wstring& name, const std::wstring& data) override;
    void Remove(RunHive hive, const std::wstring& name) override;
    std::optional<std::wstring> Read(RunHive hive, const std::wstring& name) override;
};

// Writes the Run entry (machine-wide, or the current user's when that is refused). Nothing is reported.
void AddRunEntry(const RunEntry& entry);

// Deletes the value named exeName from every Run key. Nothing is reported.
void RemoveRunEntry(const std::wstring& exeName);

}  // namespace platform
