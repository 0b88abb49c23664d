// The settings file's sections and lines, and its bytes as UTF-16LE or UTF-8.
#include "core/IniText.h"

#include "core/TextFormat.h"

#include <algorithm>
#include <cstdint>

namespace core {
namespace {

bool EndsLine(wchar_t c) { return c == L'\r' || c == L'\n' || c == L'\0'; }

std::wstring_view Trim(std::wstring_view text) {
    const auto first = text.find_first_not_of(L" \t");
    if (first == std::wstring_view::npos) return {};
    return text.substr(first, text.find_last_not_of(L" \t") - first + 1);
}

// Calls line(text) for each line of the text, without its end.
template <typename Line>
void ForEachLine(std::wstring_view text, Line line) {
    while (!text.empty()) {
        const auto end = std::find_if(text.begin(), text.end(), EndsLine);
        const auto length = static_cast<std::size_t>(end - text.begin());
        line(text.substr(0, length));
        text.remove_prefix(std::min(length + 1, text.size()));
    }
}

// The entry a line holds, or false for a line that holds none.
bool ReadEntry(std::wstring_view line, IniEntries& entries) {
    const std::wstring_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed[0] == L';' || trimmed[0] == L'#') return false;
    const auto equals = line.find(L'=');
    if (equals == std::wstring_view::npos) return false;
    const std::wstring_view name = Trim(line.substr(0, equals));
    if (name.empty()) return false;
    entries.emplace_back(std::wstring(name), std::wstring(line.substr(equals + 1)));
    return true;
}

void WriteEntries(const IniEntries& entries, std::wstring& text) {
    for (const auto& [name, value] : entries) {
        const auto end = std::find_if(value.begin(), value.end(), EndsLine);
        text += name + L"=" + std::wstring(value.begin(), end) + L"\r\n";
    }
}


void AppendUtf16(char32_t code, std::wstring& text) {
    if (code < 0x10000) {
        text += static_cast<wchar_t>(code);
    } else {
        code -= 0x10000;
        text += static_cast<wchar_t>(0xD800 + (code >> 10));
        text += static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
    }
}

// Bytes a UTF-8 sequence takes by its lead byte; 0 for a byte no sequence starts with.
std::size_t SequenceLength(std::uint8_t lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead < 0xE0) return 2;
    if (lead >= 0xE0 && lead < 0xF0) return 3;
    if (lead >= 0xF0 && lead < 0xF5) return 4;
    return 0;
}

std::wstring FromUtf8(std::string_view bytes) {
    constexpr std::uint8_t kLeadBits[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    std::wstring text;
    for (std::size_t at = 0; at < bytes.size();) {
        const auto lead = static_cast<std::uint8_t>(bytes[at]);
        const std::size_t length = SequenceLength(lead);
        char32_t code = lead & kLeadBits[length];
        std::size_t taken = 1;
        for (; taken < length && at + taken < bytes.size(); ++taken) {
            const auto next = static_cast<std::uint8_t>(bytes[at + taken]);
            if ((next & 0xC0) != 0x80) break;
            code = code << 6 | (next & 0x3F);
        }
        // Overlong forms, surrogates and codes beyond U+10FFFF are no UTF-8: one replacement each.
        const bool whole = length > 0 && taken == length && code >= kLeast[length] && code <= 0x10FFFF &&
                           (code < 0xD800 || code > 0xDFFF);
        AppendUtf16(whole ? code : 0xFFFD, text);
        at += taken;
    }
    return text;
}

constexpr std::wstring_view kSealStart = L";end=";
constexpr std::size_t kSealLength = kSealStart.size() + 8 + 2;

// FNV-1a over the text's UTF-16 code units: no guard against intent, only against a torn write.
std::wstring SealLine(std::wstring_view text) {
    std::uint32_t sum = 2166136261u;
    for (const wchar_t c : text) sum = (sum ^ static_cast<std::uint16_t>(c)) * 16777619u;
    std::wstring line(kSealStart);
    for (int shift = 28; shift >= 0; shift -= 4) line += L"0123456789ABCDEF"[sum >> shift & 0xF];
    return line + L"\r\n";
}

}  // namespace

IniDocument ParseIni(std::wstring_view text) {
    IniDocument document;
    ForEachLine(text, [&](std::wstring_view line) {
        const std::wstring_view trimmed = Trim(line);
        if (trimmed.size() >= 2 && trimmed.front() == L'[' && trimmed.back() == L']') {
            document.push_back({std::wstring(Trim(trimmed.substr(1, trimmed.size() - 2))), {}});
        } else if (!document.empty()) {
            ReadEntry(line, document.back().entries);
        }
    });
    return document;
}

IniEntries ParseIniEntries(std::wstring_view text) {
    IniEntries entries;
    ForEachLine(text, [&](std::wstring_view line) { ReadEntry(line, entries); });
    return entries;
}

std::wstring FormatIni(const IniDocument& document) {
    std::wstring text;
    for (const IniSection& section : document) {
        if (!text.empty()) text += L"\r\n";
        text += L"[" + section.name + L"]\r\n";
        WriteEntries(section.entries, text);
    }
    return text;
}

std::wstring FormatIniEntries(const IniEntries& entries) {
    std::wstring text;
    WriteEntries(entries, text);
    return text;
}

std::wstring SealIniText(std::wstring_view text) { return std::wstring(text) + SealLine(text); }

bool IsSealedIniText(std::wstring_view text) {
    if (text.size() < kSealLength) return false;
    const std::wstring_view body = text.substr(0, text.size() - kSealLength);
    return text.substr(body.size()) == SealLine(body);
}

bool SameIniName(std::wstring_view a, std::wstring_view b) { return SameLetters(a, b); }

const std::wstring* FindIniValue(const IniEntries& entries, std::wstring_view name) {
    const auto found = std::find_if(entries.begin(), entries.end(),
                                    [&](const auto& entry) { return SameIniName(entry.first, name); });
    return found == entries.end() ? nullptr : &found->second;
}

void SetIniValue(IniEntries& entries, std::wstring_view name, std::wstring value) {
    const auto found = std::find_if(entries.begin(), entries.end(),
                                    [&](const auto& entry) { return SameIniName(entry.first, name); });
    if (found != entries.end()) {
        found->second = std::move(value);
    } else {
        entries.emplace_back(std::wstring(name), std::move(value));
    }
}

const IniSection* FindIniSection(const IniDocument& document, std::wstring_view name) {
    const auto found = std::find_if(document.begin(), document.end(),
                                    [&](const IniSection& section) { return SameIniName(section.name, name); });
    return found == document.end() ? nullptr : &*found;
}

IniSection& IniSectionNamed(IniDocument& document, std::wstring_view name) {
    const auto found = std::find_if(document.begin(), document.end(),
                                    [&](const IniSection& section) { return SameIniName(section.name, name); });
    return found != document.end() ? *found : document.emplace_back(IniSection{std::wstring(name), {}});
}

std::string IniFileBytes(std::wstring_view text) {
    std::string bytes = "\xFF\xFE";
    for (const wchar_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>((c >> 8) & 0xFF);
    }
    return bytes;
}

std::wstring IniFileText(std::string_view bytes) {
    if (bytes.starts_with("\xFF\xFE")) {
        std::wstring text;
        for (std::size_t at = 2; at + 1 < bytes.size(); at += 2) {
            text += static_cast<wchar_t>(static_cast<std::uint8_t>(bytes[at]) |
                                         static_cast<std::uint8_t>(bytes[at + 1]) << 8);
        }
        return text;
    }
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    return FromUtf8(bytes);
}

}  // namespace core
