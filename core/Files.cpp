// File tests: existence by the last-modified time, and an ordinary file found by a listing.
#include "core/Files.h"

#include "core/Handles.h"

#include <windows.h>

#include <string_view>

namespace core {
namespace {

bool HasWildcards(std::wstring_view path) {
    // The "\\?\" and "\\.\" prefixes are no wildcards.
    if (path.starts_with(L"\\\\?\\") || path.starts_with(L"\\\\.\\")) path.remove_prefix(4);
    return path.find_first_of(L"*?") != std::wstring_view::npos;
}

// No "insert a disk" box from the system while a drive without media is asked about.
class QuietCriticalErrors {
public:
    QuietCriticalErrors() { SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &old_); }
    QuietCriticalErrors(const QuietCriticalErrors&) = delete;
    QuietCriticalErrors& operator=(const QuietCriticalErrors&) = delete;
    ~QuietCriticalErrors() { SetThreadErrorMode(old_, nullptr); }

private:
    DWORD old_ = 0;
};

}  // namespace

bool FileExists(const std::wstring& path) {
    if (path.empty() || HasWildcards(path)) return false;
    const QuietCriticalErrors quiet;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    return GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) != FALSE;
}

bool FileListed(const std::wstring& path) {
    if (path.empty() || HasWildcards(path)) return false;
    const QuietCriticalErrors quiet;
    WIN32_FIND_DATAW found{};
    const core::UniqueFind find(FindFirstFileW(path.c_str(), &found));
    if (!find) return false;
    constexpr DWORD kNotOrdinary = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    do {
        if ((found.dwFileAttributes & kNotOrdinary) == 0) return true;
    } while (FindNextFileW(find.get(), &found));
    return false;
}

}  // namespace core
