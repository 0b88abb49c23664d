// A timer's label: what the user names a timer by, checked the same wherever it comes from (the
// command line, a stored record, a window). Platform-free.
#pragma once

#include <cstddef>
#include <string_view>

namespace core {

// Characters a label holds at most; a surrogate pair counts as one character.
inline constexpr std::size_t kLongestLabel = 40;

// What the user is told when a label is refused.
inline constexpr wchar_t kLabelRuleText[] = L"A label is at most 40 characters of printable text.";

// True for the empty label (no label) and for 1 to kLongestLabel characters of printable text that
// neither begin nor end with a space. Refused: control characters (C0, DEL, C1), line and paragraph
// separators, the characters that change the text's direction or hide themselves (bidi marks,
// embeddings and isolates, the byte-order mark, non-characters), and half of a surrogate pair.
bool IsValidLabel(std::wstring_view label);

// The label without the spaces around it, as a user's typing or a command line gives it.
std::wstring_view TrimLabel(std::wstring_view label);

}  // namespace core
