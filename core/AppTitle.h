// The application title that captions every message box that names no caption of its own.
#pragma once

#include <string>

namespace core {

inline constexpr wchar_t kProductName[] = L"Corvalin Timer Software";

// Cuts the name at its last blank, at least once and until it is 40 characters or shorter:
// "Corvalin Timer Software" gives "Corvalin Timer".
std::wstring CutTitle(std::wstring name);

}  // namespace core
