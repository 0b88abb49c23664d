// Whole-number conversion of picker texts.
#include "app/Conversions.h"

#include "core/ErrorReport.h"

#include <cmath>

namespace app {

std::int16_t ToInteger16(std::wstring_view text) {
    while (!text.empty() && (text.front() == L' ' || text.front() == L'\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == L' ' || text.back() == L'\t')) text.remove_suffix(1);

    bool negative = false;
    if (!text.empty() && (text.front() == L'+' || text.front() == L'-')) {
        negative = text.front() == L'-';
        text.remove_prefix(1);
    }
    double value = 0;
    bool digits = false;
    bool fraction = false;
    double scale = 0.1;
    for (wchar_t c : text) {
        if (c >= L'0' && c <= L'9') {
            digits = true;
            if (fraction) {
                value += (c - L'0') * scale;
                scale /= 10;
            } else {
                value = value * 10 + (c - L'0');
                if (value > 1e9) throw core::HandlerError(core::kOverflow);
            }
        } else if (c == L'.' && !fraction) {
            fraction = true;
        } else {
            throw core::HandlerError(core::kTypeMismatch);
        }
    }
    if (!digits) throw core::HandlerError(core::kTypeMismatch);
    if (negative) value = -value;
    const double rounded = std::nearbyint(value);  // the default rounding mode is half to even
    if (rounded < -32768 || rounded > 32767) throw core::HandlerError(core::kOverflow);
    return static_cast<std::int16_t>(rounded);
}

}  // namespace app
