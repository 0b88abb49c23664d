// The label check: length in characters, printable characters only, no spaces around it.
#include "core/TimerLabel.h"

namespace core {

namespace {

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Spaces of every width the user cannot see at the ends of a label.
bool IsSpace(wchar_t c) {
    return c == 0x20 || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x202F || c == 0x205F ||
           c == 0x3000;
}

bool IsUnprintable(wchar_t c) {
    const bool control = c < 0x20 || (c >= 0x7F && c <= 0x9F);
    const bool separator = c == 0x2028 || c == 0x2029;
    // Marks, embeddings, overrides and isolates reorder the text around them: in a tip or a title
    // they could make one timer's label read as another's.
    const bool direction = c == 0x061C || (c >= 0x200B && c <= 0x200F) || (c >= 0x202A && c <= 0x202E) ||
                           (c >= 0x2060 && c <= 0x206F);
    const bool invisible = c == 0xFEFF || c == 0xFFFE || c == 0xFFFF || (c >= 0xFFF9 && c <= 0xFFFB);
    return control || separator || direction || invisible;
}

}  // namespace

bool IsValidLabel(std::wstring_view label) {
    if (label.empty()) return true;
    if (IsSpace(label.front()) || IsSpace(label.back())) return false;
    std::size_t characters = 0;
    for (std::size_t at = 0; at < label.size(); ++at) {
        const wchar_t c = label[at];
        if (IsHighSurrogate(c)) {
            if (at + 1 == label.size() || !IsLowSurrogate(label[at + 1])) return false;
            ++at;
        } else if (IsLowSurrogate(c) || IsUnprintable(c)) {
            return false;
        }
        if (++characters > kLongestLabel) return false;
    }
    return true;
}

std::wstring_view TrimLabel(std::wstring_view label) {
    while (!label.empty() && IsSpace(label.front())) label.remove_prefix(1);
    while (!label.empty() && IsSpace(label.back())) label.remove_suffix(1);
    return label;
}

}  // namespace core
