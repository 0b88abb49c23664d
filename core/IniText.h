// The settings file's text: sections of name=value lines, read and written here rather than by the
// system's profile functions, which rewrite a file in place. Platform-free.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace core {

using IniEntries = std::vector<std::pair<std::wstring, std::wstring>>;
struct IniSection {
    std::wstring name;
    IniEntries entries;
    bool operator==(const IniSection&) const = default;
};
using IniDocument = std::vector<IniSection>;

// Sections in the file's order. A line is "[name]", "name=value" or skipped: blank, a comment (";" or
// "#" first), without "=", or before the first section. Names lose the spaces and tabs around them; a
// value is the rest of its line as it stands. Lines end at CR, LF or a zero.
IniDocument ParseIni(std::wstring_view text);
// The "name=value" lines of one section's body, as ParseIni reads them.
IniEntries ParseIniEntries(std::wstring_view text);

// CRLF lines, a blank line between sections. A value ends at its first CR, LF or zero, as a registry
// reader ends a text at its first zero; names are the program's own and written as they are.
std::wstring FormatIni(const IniDocument& document);
std::wstring FormatIniEntries(const IniEntries& entries);

// The program ends every file it writes with the line ";end=" and eight hex digits, a checksum of the
// text before it. A file rewritten in place and cut off (the write short, or the new text over the
// tail of the old) no longer matches its last line, so a reader can tell it from a whole file.
// ParseIni skips the line as a comment; a file made by hand needs none.
std::wstring SealIniText(std::wstring_view text);
// True when the text ends in the line SealIniText adds, matching the text before it.
bool IsSealedIniText(std::wstring_view text);

// Names match without regard to ASCII letter case, as the registry matches its names.
bool SameIniName(std::wstring_view a, std::wstring_view b);
const std::wstring* FindIniValue(const IniEntries& entries, std::wstring_view name);
// Replaces the value of the first entry of that name, or adds one at the end.
void SetIniValue(IniEntries& entries, std::wstring_view name, std::wstring value);
// The first section of that name; FindIniSection gives null when there is none, IniSectionNamed adds it.
const IniSection* FindIniSection(const IniDocument& document, std::wstring_view name);
IniSection& IniSectionNamed(IniDocument& document, std::wstring_view name);

// The file's bytes: UTF-16LE with its byte-order mark, so that labels and paths in any script survive.
std::string IniFileBytes(std::wstring_view text);
// Text from a file's bytes: UTF-16LE after its byte-order mark, otherwise UTF-8 (with or without its
// mark; a byte that is no UTF-8 reads as U+FFFD). UTF-16 code units in either case.
std::wstring IniFileText(std::string_view bytes);

}  // namespace core
