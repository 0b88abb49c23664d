// Small text formatting helpers (this compiler generation has no <format>).
#pragma once

#include <string>

namespace core {

// Decimal text of value, zero-padded on the left to at least `width` digits (a sign does not count).
inline std::wstring ZeroPad(long long value, int width) {
    const bool negative = value < 0;
    std::wstring digits = std::to_wstring(negative ? -value : value);
    if (static_cast<int>(digits.size()) < width) digits.insert(0, static_cast<std::size_t>(width) - digits.size(), L'0');
    return negative ? L"-" + digits : digits;
}

}  // namespace core
