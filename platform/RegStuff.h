// RegStuff: a thin layer over the registry functions for the start-with-Windows entry in the Run keys
// and for what Windows keeps of whether the user turned it off.
#pragma once

#include "platform/StartupEntry.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace platform {

// The Run key path, below HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER alike.
inline constexpr wchar_t kRunKeyPath[] = L"SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\RUN\\";
// Query and set value, create and enumerate sub-keys, notify, create link.
inline constexpr REGSAM kRunKeyAccess = 0x3F;
// Where Windows 8 and later keep, per Run key, which entries the user turned off: below
// HKEY_CURRENT_USER for the user's Run key; below HKEY_LOCAL_MACHINE, in its 64-bit view, for the
// machine-wide one, under "Run32" for the 32-bit view's Run key on 64-bit Windows.
inline constexpr wchar_t kApprovalKeyPath[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\";

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

// The bytes of the named value below root's subKey (REG_BINARY); empty when the key or the value is
// missing, cannot be read, or holds something else.
std::vector<std::uint8_t> ReadRegBytes(HKEY root, const std::wstring& subKey, const std::wstring& valueName,
                                       REGSAM view = 0);

// The Run keys through the registry functions above. The user's Run key is created when a fresh
// profile has none; the machine-wide one is only ever opened, and so is every approval key.
class RegistryRunKeys : public RunKeys {
public:
    bool Write(RunHive hive, const std::wstring& name, const std::wstring& data) override;
    void Remove(RunHive hive, const std::wstring& name) override;
    std::optional<std::wstring> Read(RunHive hive, const std::wstring& name) override;
    std::vector<std::uint8_t> Approval(RunHive hive, const std::wstring& name) override;
    bool SetApproval(RunHive hive, const std::wstring& name, std::span<const std::uint8_t> value) override;
};

}  // namespace platform
