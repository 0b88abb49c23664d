// The settings store over the wide registry functions or a portable copy's file: every read goes to
// the store, every write is stored at once, nothing is cached.
#include "core/Settings.h"

#include "core/ErrorReport.h"
#include "core/Handles.h"
#include "core/Program.h"
#include "core/SettingsFile.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <vector>

namespace core {

namespace {

bool MissingOrNotText(LONG result) {
    return result == ERROR_FILE_NOT_FOUND || result == ERROR_PATH_NOT_FOUND || result == ERROR_UNSUPPORTED_TYPE;
}

// A file beside the program; a drive root's folder ends with its backslash already.
std::wstring Beside(const std::wstring& folder, std::wstring_view file) {
    if (folder.ends_with(L'\\')) file.remove_prefix(1);
    return folder + std::wstring(file);
}

std::wstring ReadRegistry(const std::wstring& key, const std::wstring& defaultValue) {
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

void WriteRegistry(const std::wstring& key, const std::wstring& value) {
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

}  // namespace

SettingsPlace SettingsPlace::ForProgramFolder(const std::wstring& folder) {
    SettingsPlace place;
    const DWORD marker = GetFileAttributesW(Beside(folder, kPortableMarkerFile).c_str());
    if (marker == INVALID_FILE_ATTRIBUTES || (marker & FILE_ATTRIBUTE_DIRECTORY)) return place;
    const SettingsFile file(Beside(folder, kPortableSettingsFile));
    // Read-only media and folders such as Program Files refuse to create a file; a read-only
    // attribute on the folder itself does not, so only a try tells. The try leaves a temporary file
    // already there as it is (it may be the one whole copy, see SettingsFile::Load) and deletes its own.
    const HANDLE opened = CreateFileW(file.TemporaryPath().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr);
    const bool made = GetLastError() != ERROR_ALREADY_EXISTS;
    UniqueFile probe(opened);
    if (!probe) {
        place.refusedFolder_ = folder;
        return place;
    }
    probe.reset();
    if (made) DeleteFileW(file.TemporaryPath().c_str());
    place.file_ = file.Path();
    return place;
}

std::wstring SettingsPlace::Read(const std::wstring& key, const std::wstring& defaultValue) const {
    if (file_.empty()) return ReadRegistry(key, defaultValue);
    const std::optional<IniDocument> document = SettingsFile(file_).Load();
    if (!document) throw HandlerError(kInvalidProcedureCall);
    const IniSection* section = FindIniSection(*document, kSettingsFileSection);
    const std::wstring* value = section ? FindIniValue(section->entries, key) : nullptr;
    return value ? *value : defaultValue;
}

void SettingsPlace::Write(const std::wstring& key, const std::wstring& value) const {
    if (file_.empty()) return WriteRegistry(key, value);
    const SettingsFile file(file_);
    std::optional<IniDocument> document = file.Load();
    if (!document) throw HandlerError(kInvalidProcedureCall);
    SetIniValue(IniSectionNamed(*document, kSettingsFileSection).entries, key, value);
    if (!file.Save(*document)) throw HandlerError(kInvalidProcedureCall);
}

const SettingsPlace& ProgramSettingsPlace() {
    // Made once, at the first read or write of a setting or record, and never changed: a marker
    // file put beside the program while it runs takes effect at its next start.
    static const SettingsPlace place = SettingsPlace::ForProgramFolder(ProgramFolder());
    return place;
}

std::wstring PortableFallbackMessage() {
    const std::wstring& folder = ProgramSettingsPlace().RefusedFolder();
    if (folder.empty()) return {};
    std::wstring text = kPortableFallbackText;
    return text.replace(text.find(L"{}"), 2, folder);
}

std::wstring ReadSetting(const std::wstring& key, const std::wstring& defaultValue) {
    return ProgramSettingsPlace().Read(key, defaultValue);
}

void WriteSetting(const std::wstring& key, const std::wstring& value) { ProgramSettingsPlace().Write(key, value); }

}  // namespace core
