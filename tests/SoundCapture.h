// What wave-out played in a test run: ALSA's "file" device writes every sample into the file the run
// names in CORVALIN_SOUND_CAPTURE.
#pragma once

#include <windows.h>

#include <string>

namespace testcapture {

// The capture file as a Windows path (Wine maps / to Z:); empty when the environment names none.
inline std::wstring SoundCapturePath() {
    wchar_t unixPath[1024] = {};
    if (GetEnvironmentVariableW(L"CORVALIN_SOUND_CAPTURE", unixPath, 1024) == 0) return L"";
    std::wstring path = L"Z:";
    for (const wchar_t* p = unixPath; *p != L'\0'; ++p) path.push_back(*p == L'/' ? L'\\' : *p);
    return path;
}

// The size of a file in bytes; -1 when it cannot be read.
inline long long SizeOf(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace testcapture
