// The settings file through the wide file functions: one read of the whole file, and a write that
// goes to a temporary file first.
#include "core/SettingsFile.h"

#include "core/Handles.h"

#include <windows.h>

#include <algorithm>

namespace core {
namespace {

// Far more than any settings file the program writes; a larger one is read as far as this.
constexpr DWORD kLargestFile = 1 << 20;

}  // namespace

std::optional<IniDocument> SettingsFile::Load() const {
    // Shared for deletion too: a write of another copy may move its temporary file over this one.
    constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    const UniqueFile file(
        CreateFileW(path_.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return IniDocument{};
        return std::nullopt;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) return std::nullopt;
    std::string bytes(static_cast<std::size_t>(std::min<LONGLONG>(size.QuadPart, kLargestFile)), '\0');
    std::size_t got = 0;
    while (got < bytes.size()) {
        DWORD read = 0;
        if (!ReadFile(file.get(), bytes.data() + got, static_cast<DWORD>(bytes.size() - got), &read, nullptr)) {
            return std::nullopt;
        }
        if (read == 0) break;  // the file became shorter meanwhile
        got += read;
    }
    bytes.resize(got);
    return ParseIni(IniFileText(bytes));
}

bool SettingsFile::Save(const IniDocument& document) const {
    const std::string bytes = IniFileBytes(FormatIni(document));
    const std::wstring temporary = TemporaryPath();
    bool whole = false;
    {
        // CREATE_ALWAYS empties a temporary file an interrupted write left behind.
        const UniqueFile file(
            CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return false;
        DWORD written = 0;
        // The file's bytes reach the disk before the move: on NTFS the rename can be on the disk
        // before the data, which after a power cut would leave an empty file in the old one's place.
        whole = WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                written == bytes.size() && FlushFileBuffers(file.get());
    }
    // Deleted once closed: the handle shares nothing.
    if (!whole) {
        DeleteFileW(temporary.c_str());
        return false;
    }
    // A move within one folder replaces the file in one step; WRITE_THROUGH returns once it is done
    // on the disk. ReplaceFileW would want the file to be there already.
    if (!MoveFileExW(temporary.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace core
