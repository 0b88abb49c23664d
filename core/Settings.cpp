// The settings store over the wide registry functions: every read goes to the registry, every write
// is stored at once, nothing is cached.
#include "core/Settings.h"

#include "core/ErrorReport.h"
#include "core/Handles.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <vector>

namespace core {

namespace {

bool MissingOrNotText(LONG result) {
    return result == ERROR_FILE_NOT_FOUND || result == ERROR_PATH_NOT_FOUND || result == ERROR_UNSUPPORTED_TYPE;
}

}  // namespace

std::wstring ReadSetting(const std::wstring& key, const std::wstring& defaultValue) {
    HKEY opened = nullptr;
    LONG result = RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKeyPath, 0, KEY_QUERY_VALUE, &opened);
    if (MissingOrNotText(result)) return defaultValue;
    if (result != ERROR_SUCCESS) throw HandlerError(kInvalidProcedureCall);
    const core::UniqueKey section(opened);

    // Another copy of the program may store a longer text between the size query and the read:
    // ask again until the buffer holds all of it.
    std::vector<wchar_t> text(64);
    for (;;) {
        DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        result = RegGetValueW(section.get(), nullptr, key.c_str(), RRF_RT_REG_SZ, nullptr, text.data(), &bytes);
        if (result == ERROR_MORE_DATA) {
            text.resize(bytes / sizeof(wchar_t) + 1);
            continue;
        }
        if (MissingOrNotText(result)) return defaultValue;
        if (result != ERROR_SUCCESS) throw HandlerError(kInvalidProcedureCall);
        // RegGetValueW terminates the text and counts the terminator in bytes; the text ends at the first
        // zero, as any reader of a REG_SZ value sees it.
        const std::size_t count = std::min<std::size_t>(bytes / sizeof(wchar_t), text.size());
        return std::wstring(text.data(), wcsnlen(text.data(), count));
    }
}

void WriteSetting(const std::wstring& key, const std::wstring& value) {
    HKEY created = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                        nullptr, &created, nullptr) != ERROR_SUCCESS) {
        throw HandlerError(kInvalidProcedureCall);
    }
    const core::UniqueKey section(created);
    const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    if (RegSetValueExW(section.get(), key.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), bytes) !=
        ERROR_SUCCESS) {
        throw HandlerError(kInvalidProcedureCall);
    }
}

}  // namespace core
