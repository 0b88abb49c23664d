// Narrow text widened by the system's code-page conversion.
#include "core/WideText.h"

#include <windows.h>

namespace core {
namespace {

// Empty when the bytes are not valid text in the code page (with MB_ERR_INVALID_CHARS).
std::wstring Convert(UINT codePage, DWORD flags, std::string_view text) {
    const int length = static_cast<int>(text.size());
    const int needed = MultiByteToWideChar(codePage, flags, text.data(), length, nullptr, 0);
    if (needed <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    MultiByteToWideChar(codePage, flags, text.data(), length, wide.data(), needed);
    return wide;
}

}  // namespace

std::wstring WidenNarrowText(std::string_view text) {
    if (text.empty()) return {};
    // Windows 7 and later honour MB_ERR_INVALID_CHARS for UTF-8 (XP would drop bad bytes silently).
    std::wstring wide = Convert(CP_UTF8, MB_ERR_INVALID_CHARS, text);
    if (wide.empty()) wide = Convert(CP_ACP, 0, text);
    return wide;
}

}  // namespace core
