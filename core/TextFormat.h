// Small text formatting helpers (this compiler generation has no <format>).
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace core {

// Decimal text of value, zero-padded on the left to at least `width` digits (a sign does not count).
inline std::wstring ZeroPad(long long value, int width) {
    const bool negative = value < 0;
    std::wstring digits = std::to_wstring(negative ? -value : value);
    if (static_cast<int>(digits.size()) < width) digits.insert(0, static_cast<std::size_t>(width) - digits.size(), L'0');
    return negative ? L"-" + digits : digits;
}

// Equal but for the letters A to Z in either case, as Windows compares file names, value names and the
// command line's switches (no other letter folds: the comparison never depends on the user's locale).
inline bool SameLetters(std::wstring_view a, std::wstring_view b) {
    const auto fold = [](wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](wchar_t x, wchar_t y) { return fold(x) == fold(y); });
}

}  // namespace core
