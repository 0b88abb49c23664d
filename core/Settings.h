// The settings store: named text values of application "Vendrel", section "Corvalin Timer Software",
// kept in the current user's registry where the per-user settings facility has always kept them, or,
// for a portable copy, in a file beside the program.
#pragma once

#include <string>

namespace core {

inline constexpr wchar_t kSettingsApplication[] = L"Vendrel";
inline constexpr wchar_t kSettingsSection[] = L"Corvalin Timer Software";
// The section's key below HKEY_CURRENT_USER.
inline constexpr wchar_t kSettingsKeyPath[] =
    L"Software\\VB and VBA Program Settings\\Vendrel\\Corvalin Timer Software";

// A copy is portable when this file lies beside the program; it then keeps its settings, and its
// timers' records, in the settings file beside it, with the registry's names and values: the settings
// in the section "Settings", each timer's record in a section "Timer <id>".
inline constexpr wchar_t kPortableMarkerFile[] = L"\\portable";
inline constexpr wchar_t kPortableSettingsFile[] = L"\\Corvalin Timer Software.ini";
inline constexpr wchar_t kSettingsFileSection[] = L"Settings";
// Said once when the folder of a portable copy takes no file; {} is the folder.
inline constexpr wchar_t kPortableFallbackText[] =
    L"The settings cannot be kept beside the program in {}; they are kept in the registry instead.";

// Description of a store failure in the handler error report.
inline constexpr wchar_t kInvalidProcedureCall[] = L"Invalid procedure call or argument";

// Where the settings live: the registry, or a portable copy's settings file. Fixed once made.
class SettingsPlace {
public:
    // The current user's registry.
    SettingsPlace() = default;
    // The place of a copy in folder: its settings file when the portable marker lies there and the
    // folder takes a file (tried by making and deleting the file's temporary file); the registry
    // otherwise, having said with RefusedFolder() that the folder took none.
    static SettingsPlace ForProgramFolder(const std::wstring& folder);

    // The settings file, empty for the registry.
    const std::wstring& File() const { return file_; }
    // The portable copy's folder that took no file, empty otherwise.
    const std::wstring& RefusedFolder() const { return refusedFolder_; }

    // As ReadSetting and WriteSetting below, in this place.
    std::wstring Read(const std::wstring& key, const std::wstring& defaultValue = L"") const;
    void Write(const std::wstring& key, const std::wstring& value) const;

private:
    std::wstring file_;
    std::wstring refusedFolder_;
};

// The program's place, chosen from the program folder at the first call and kept for the rest of the
// process: the settings store's one piece of program-wide state, immutable once made.
const SettingsPlace& ProgramSettingsPlace();

// kPortableFallbackText for the program's own folder when it fell back to the registry, empty
// otherwise: the program shows it once at its start.
std::wstring PortableFallbackMessage();

// The stored text of key, or defaultValue when the value or its keys do not exist (or hold no text).
// Throws HandlerError when the store itself cannot be read.
std::wstring ReadSetting(const std::wstring& key, const std::wstring& defaultValue = L"");

// Stores value under key at once, creating the application and section keys (or the settings file)
// when needed. Throws HandlerError ("Invalid procedure call or argument") when the store refuses it.
void WriteSetting(const std::wstring& key, const std::wstring& value);

}  // namespace core
