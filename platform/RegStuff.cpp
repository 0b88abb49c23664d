// RegStuff: Run key and approval values through the wide registry functions, every key closed by its
// owner.
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

bool On64BitWindows() {
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

// The approval key of the hive's Run key. Task Manager keeps the machine's in the 64-bit view; on
// 32-bit Windows, where there is one view, the flag is ignored and both machine-wide hives are one.
std::wstring ApprovalKeyOf(RunHive hive) {
    const bool run32 = hive == RunHive::LocalMachine && On64BitWindows();
    return std::wstring(kApprovalKeyPath) + (run32 ? L"Run32" : L"Run");
}

REGSAM ApprovalViewOf(RunHive hive) { return hive == RunHive::CurrentUser ? 0 : KEY_WOW64_64KEY; }

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

std::vector<std::uint8_t> ReadRegBytes(HKEY root, const std::wstring& subKey, const std::wstring& valueName,
                                       REGSAM view) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, subKey.c_str(), 0, KEY_QUERY_VALUE | view, &opened) != ERROR_SUCCESS) return {};
    const core::UniqueKey key(opened);
    std::vector<std::uint8_t> bytes(64);
    for (;;) {
        DWORD size = static_cast<DWORD>(bytes.size());
        const LONG read =
            RegGetValueW(key.get(), nullptr, valueName.c_str(), RRF_RT_REG_BINARY, nullptr, bytes.data(), &size);
        if (read == ERROR_MORE_DATA && size > bytes.size()) {
            bytes.resize(size);
            continue;
        }
        if (read != ERROR_SUCCESS) return {};
        bytes.resize(size);
        return bytes;
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

std::vector<std::uint8_t> RegistryRunKeys::Approval(RunHive hive, const std::wstring& name) {
    return ReadRegBytes(RootOf(hive), ApprovalKeyOf(hive), name, ApprovalViewOf(hive));
}

bool RegistryRunKeys::SetApproval(RunHive hive, const std::wstring& name, std::span<const std::uint8_t> value) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(RootOf(hive), ApprovalKeyOf(hive).c_str(), 0, KEY_SET_VALUE | ApprovalViewOf(hive), &opened) !=
        ERROR_SUCCESS) {
        return false;
    }
    const core::UniqueKey key(opened);
    return RegSetValueExW(key.get(), name.c_str(), 0, REG_BINARY, value.data(), static_cast<DWORD>(value.size())) ==
           ERROR_SUCCESS;
}

}  // namespace platform
