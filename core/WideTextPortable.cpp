// Narrow text widened without the system: a strict UTF-8 decoder, and Latin-1 standing in for the
// ANSI code page where the bytes are not UTF-8. The native build and its tests use it.
#include "core/WideText.h"

#include <optional>

namespace core {
namespace {

std::optional<std::wstring> DecodeUtf8(std::string_view text) {
    std::wstring wide;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const int extra = lead < 0x80 ? 0 : lead >= 0xC2 && lead < 0xE0 ? 1 : lead >= 0xE0 && lead < 0xF0 ? 2
                                                : lead >= 0xF0 && lead < 0xF5 ? 3 : -1;
        if (extra < 0 || text.size() - i <= static_cast<std::size_t>(extra)) return std::nullopt;
        char32_t code = extra == 0 ? lead : lead & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            if ((next & 0xC0) != 0x80) return std::nullopt;
            code = (code << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and code points beyond U+10FFFF are not UTF-8.
        const char32_t least[] = {0, 0x80, 0x800, 0x10000};
        if (code < least[extra] || (code >= 0xD800 && code < 0xE000) || code > 0x10FFFF) return std::nullopt;
        if constexpr (sizeof(wchar_t) == 2) {
            if (code >= 0x10000) {
                wide += static_cast<wchar_t>(0xD800 + ((code - 0x10000) >> 10));
                wide += static_cast<wchar_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
            } else {
                wide += static_cast<wchar_t>(code);
            }
        } else {
            wide += static_cast<wchar_t>(code);
        }
        i += static_cast<std::size_t>(extra) + 1;
    }
    return wide;
}

}  // namespace

std::wstring WidenNarrowText(std::string_view text) {
    if (std::optional<std::wstring> wide = DecodeUtf8(text)) return *wide;
    std::wstring latin1;
    for (const char c : text) latin1 += static_cast<wchar_t>(static_cast<unsigned char>(c));
    return latin1;
}

}  // namespace core
