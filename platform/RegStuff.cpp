// RegStuff: Run key values through the wide registry functions, every key closed by its owner.
#include "platform/RegStuff.h"

#include "core/Handles.h"

namespace platform {

namespace {

HKEY RootOf(RunHive hive) { return hive == RunHive::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

}  // namespace

LONG SetRegValue(HKEY key, const std::wstring& valueName, DWORD type, const std::wstring& value) {
    const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key, valueName.c_str(), 0, type, reinterpret_cast<const BYTE*>(value.c_str()), bytes);
}

LONG WriteRegValue(HKEY root, const std::wstring& subKey, const std::wstring& valueName, const std::wstring& value,
                   DWORD type) {
    HKEY opened = nullptr;
    const LONG open = RegOpenKeyExW(root, subKey.c_str(), 0, kRunKeyAccess, &opened);
    if (open != ERROR_SUCCESS) return open;
    const core::UniqueKey key(opened);
    return SetRegValue(key.get(), valueName, type, value);
}

LONG DeleteRegValue(HKEY root, const std::wstring& subKey, const std::wstring& valueName) {
    HKEY opened = nullptr;
    const LONG open = RegOpenKeyExW(root, subKey.c_str(), 0, kRunKeyAccess, &opened);
    if (open != ERROR_SUCCESS) return open;
    const core::UniqueKey key(opened);
    return RegDeleteValueW(key.get(), valueName.c_str());
}

bool RegistryRunKeys::Write(RunHive hive, const std::wstring& name, const std::wstring& data) {
    if (hive == RunHive::CurrentUser) {
        // A fresh profile may have no Run key of its own yet; creating it needs no rights.
        HKEY created = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, kRunKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, kRunKeyAccess,
                            nullptr, &created, nullptr) != ERROR_SUCCESS) {
            return false;
        }
        const core::UniqueKey key(created);
        return SetRegValue(key.get(), name, REG_SZ, data) == ERROR_SUCCESS;
    }
    return WriteRegValue(RootOf(hive), kRunKeyPath, name, data, REG_SZ) == ERROR_SUCCESS;
}

void RegistryRunKeys::Remove(RunHive hive, const std::wstring& name) {
    DeleteRegValue(RootOf(hive), kRunKeyPath, name);
}

void AddRunEntry(const RunEntry& entry) {
    RegistryRunKeys keys;
    AddStartupEntry(keys, entry);
}

void RemoveRunEntry(const std::wstring& exeName) {
    RegistryRunKeys keys;
    RemoveStartupEntry(keys, exeName);
}

}  // namespace platform
