// The settings store: named text values of application "Vendrel", section "Corvalin Timer Software",
// kept in the current user's registry where the per-user settings facility has always kept them.
#pragma once

#include <string>

namespace core {

inline constexpr wchar_t kSettingsApplication[] = L"Vendrel";
inline constexpr wchar_t kSettingsSection[] = L"Corvalin Timer Software";
// The section's key below HKEY_CURRENT_USER.
inline constexpr wchar_t kSettingsKeyPath[] =
    L"Software\\VB and VBA Program Settings\\Vendrel\\Corvalin Timer Software";

// Description of a store failure in the handler error report.
inline constexpr wchar_t kInvalidProcedureCall[] = L"Invalid procedure call or argument";

// The stored text of key, or defaultValue when the value or its keys do not exist (or hold no text).
// Throws HandlerError when the store itself cannot be read.
std::wstring ReadSetting(const std::wstring& key, const std::wstring& defaultValue = L"");

// Stores value under key at once, creating the application and section keys when needed. Throws
// HandlerError ("Invalid procedure call or argument") when the store refuses it.
void WriteSetting(const std::wstring& key, const std::wstring& value);

}  // namespace core
