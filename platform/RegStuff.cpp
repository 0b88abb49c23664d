// RegStuff: Run key values through the wide registry functions, every key closed by its owner.
#include "platform/RegStuff.h"

#include "core/Handles.h"

#include <algorithm>

namespace platform {

namespace {

HKEY RootOf(RunHive hive) { return hive == RunHive::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE; }

// The user's Run key is one key in both views. The flags are ignored on 32-bit Windows.
REGSAM ViewOf(RunHive hive) {
    if (hive == RunHive::LocalMachine) return KEY_WOW64_32KEY;
    return hive == RunHive::LocalMachine64 ? KEY_WOW64_64KEY : 0;
}

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

LONG DeleteRegValue(HKEY root, const std::wstring& subKey, const std::wstring& valueName, REGSAM view) {
    HKEY opened = nullptr;
    const LONG open = RegOpenKeyExW(root, subKey.c_str(), 0, kRunKeyAccess | view, &opened);
    if (open != ERROR_SUCCESS) return open;
    const core::UniqueKey key(opened);
    return RegDeleteValueW(key.get(), valueName.c_str());
}

std::optional<std::wstring> ReadRegText(HKEY root, const std::wstring& subKey, const std::wstring& valueName,
                                        REGSAM view) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, subKey.c_str(), 0, KEY_QUERY_VALUE | view, &opened) != ERROR_SUCCESS) return std::nullopt;
    const core::UniqueKey key(opened);
    std::wstring text(MAX_PATH, L'\0');
    for (;;) {
        // RRF_RT_REG_SZ takes REG_EXPAND_SZ too, expanded; the size is in bytes, the zero included.
        DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        const LONG read =
            RegGetValueW(key.get(), nullptr, valueName.c_str(), RRF_RT_REG_SZ, nullptr, text.data(), &bytes);
        if (read == ERROR_MORE_DATA) {
            text.resize(std::max<size_t>(bytes / sizeof(wchar_t), text.size() * 2));
            continue;
        }
        if (read != ERROR_SUCCESS) return std::nullopt;
        text.resize(wcsnlen(text.c_str(), bytes / sizeof(wchar_t)));
        return text;
    }
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
    DeleteRegValue(RootOf(hive), kRunKeyPath, name, ViewOf(hive));
}

std::optional<std::wstring> RegistryRunKeys::Read(RunHive hive, const std::wstring& name) {
    return ReadRegText(RootOf(hive), kRunKeyPath, name, ViewOf(hive));
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
