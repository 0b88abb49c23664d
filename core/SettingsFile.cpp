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
// Shared for deletion too: a write of another copy may move its temporary file over this one.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The file's text; empty when there is no file, nothing when it cannot be read.
std::optional<std::wstring> ReadText(const std::wstring& path) {
    const UniqueFile file(
        CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return std::wstring();
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
    return IniFileText(bytes);
}

// Writes the bytes from the handle's position, ends the file after them and flushes it to the disk.
bool WriteToEnd(HANDLE file, const std::string& bytes) {
    DWORD written = 0;
    return WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size() && SetEndOfFile(file) && FlushFileBuffers(file);
}

// Whether the file has more than one name, and then the file open for a rewrite in place (nothing when
// another program holds it so that it cannot be written). Scoop keeps a portable copy's settings across
// updates by making the file in the program's folder a hard link to one in its own folder: a file moved
// into its place would cut the link. The names are counted through a handle that asks for nothing and
// shares everything, so that a file another program has open never passes for one with a single name.
struct LinkedFile {
    bool linked = false;
    UniqueFile file;
};

LinkedFile OpenWhenLinked(const std::wstring& path) {
    const UniqueFile probe(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    BY_HANDLE_FILE_INFORMATION information{};
    if (!probe || !GetFileInformationByHandle(probe.get(), &information) || information.nNumberOfLinks < 2) return {};
    return {true, UniqueFile(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))};
}

}  // namespace

std::optional<IniDocument> SettingsFile::Load() const {
    const std::optional<std::wstring> text = ReadText(path_);
    if (!text) return std::nullopt;
    // A whole file wins over any temporary file, which is then a write cut off before its move (the
    // file holds the last write that finished) or before its deletion (the same text). A file without
    // its seal, cut off or edited by hand, gives way only to a whole temporary file.
    if (!IsSealedIniText(*text)) {
        const std::optional<std::wstring> temporary = ReadText(TemporaryPath());
        if (temporary && IsSealedIniText(*temporary)) return ParseIni(*temporary);
    }
    return ParseIni(*text);
}

bool SettingsFile::Save(const IniDocument& document) const {
    const std::string bytes = IniFileBytes(SealIniText(FormatIni(document)));
    const std::wstring temporary = TemporaryPath();
    const LinkedFile linked = OpenWhenLinked(path_);
    // A linked file that cannot be written now keeps its link: the write fails rather than replace it.
    if (linked.linked && !linked.file) return false;
    bool whole = false;
    {
        // CREATE_ALWAYS empties a temporary file an interrupted write left behind. The bytes reach the
        // disk before the move: on NTFS the rename can be on the disk before the data, which after a
        // power cut would leave an empty file in the old one's place.
        const UniqueFile file(
            CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return false;
        whole = WriteToEnd(file.get(), bytes);
    }
    // Deleted once closed: the handle shares nothing.
    if (!whole) {
        DeleteFileW(temporary.c_str());
        return false;
    }
    if (linked.linked) {
        // Until the rewrite is on the disk the temporary file is the whole copy Load falls back on; it
        // stays when the rewrite fails.
        if (!WriteToEnd(linked.file.get(), bytes)) return false;
        DeleteFileW(temporary.c_str());
        return true;
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
