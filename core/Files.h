// File tests every window shares, and the files the program looks for beside itself.
#pragma once

#include <string>

namespace core {

// Files the program looks for beside itself, appended to the program folder.
inline constexpr wchar_t kHandPointerFile[] = L"\\HAND-M.CUR";
inline constexpr wchar_t kSkinFile[] = L"\\x\\o.cjs";
inline constexpr wchar_t kAlarmFile[] = L"\\alarm.wav";

// True exactly when the last-modified time of path can be read: files and folders alike. An empty
// path, a path with wildcards, a missing file or an unreachable drive give false. Never throws.
bool FileExists(const std::wstring& path);

// True when a listing of exactly path finds an ordinary file there: not a folder, not hidden, not a
// system file. A path with wildcards ("*", "?") is never found, so it cannot stand for another file.
bool FileListed(const std::wstring& path);

}  // namespace core
