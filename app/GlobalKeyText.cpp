// Global keys to text and back: the modifiers and the keys' names.
#include "app/GlobalKeyText.h"

#include <cwctype>
#include <vector>

namespace app {
namespace {

struct Named {
    std::uint32_t key;
    const wchar_t* name;
};
// Keys by name beside letters, digits and F1 to F24 (virtual-key codes).
constexpr Named kNamedKeys[] = {
    {0x08, L"Backspace"}, {0x09, L"Tab"},      {0x0D, L"Enter"},    {0x13, L"Pause"},     {0x1B, L"Esc"},
    {0x20, L"Space"},     {0x21, L"PageUp"},   {0x22, L"PageDown"}, {0x23, L"End"},       {0x24, L"Home"},
    {0x25, L"Left"},      {0x26, L"Up"},       {0x27, L"Right"},    {0x28, L"Down"},      {0x2C, L"PrintScreen"},
    {0x2D, L"Insert"},    {0x2E, L"Delete"},   {0x6A, L"Num*"},     {0x6B, L"Num+"},      {0x6D, L"Num-"},
    {0x6E, L"Num."},      {0x6F, L"Num/"},     {0xBA, L";"},        {0xBB, L"="},         {0xBC, L","},
    {0xBD, L"-"},         {0xBE, L"."},        {0xBF, L"/"},        {0xC0, L"`"},         {0xDB, L"["},
    {0xDC, L"\\"},        {0xDD, L"]"},        {0xDE, L"'"},
};
constexpr Named kModifiers[] = {{kModControl, L"Ctrl"}, {kModAlt, L"Alt"}, {kModShift, L"Shift"}, {kModWin, L"Win"}};

bool SameText(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::towlower(a[i]) != std::towlower(b[i])) return false;
    }
    return true;
}

std::wstring_view Trimmed(std::wstring_view text) {
    while (!text.empty() && text.front() == L' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == L' ') text.remove_suffix(1);
    return text;
}

std::wstring KeyName(std::uint32_t key) {
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) return std::wstring(1, static_cast<wchar_t>(key));
    if (key >= 0x70 && key <= 0x87) return L"F" + std::to_wstring(key - 0x6F);
    if (key >= 0x60 && key <= 0x69) return L"Num" + std::to_wstring(key - 0x60);
    for (const Named& named : kNamedKeys) {
        if (named.key == key) return named.name;
    }
    return L"";
}

std::optional<std::uint32_t> KeyOf(std::wstring_view name) {
    if (name.size() == 1 && std::iswalnum(name[0]) && name[0] < 0x80) return static_cast<std::uint32_t>(std::towupper(name[0]));
    for (std::uint32_t key = 0x60; key <= 0x87; ++key) {
        if (!KeyName(key).empty() && SameText(KeyName(key), name)) return key;
    }
    for (const Named& named : kNamedKeys) {
        if (SameText(named.name, name)) return named.key;
    }
    return std::nullopt;
}

}  // namespace

std::wstring GlobalKeyText(const GlobalKey& key) {
    const std::wstring name = KeyName(key.key);
    if (name.empty()) return L"";
    std::wstring text;
    for (const Named& modifier : kModifiers) {
        if ((key.modifiers & modifier.key) != 0) text += std::wstring(modifier.name) + L"+";
    }
    return text + name;
}

std::optional<GlobalKey> ParseGlobalKey(std::wstring_view text) {
    // Split at '+', but a '+' that is the key itself ("Ctrl+Num+") belongs to its name.
    std::vector<std::wstring_view> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'+' && i > start && Trimmed(text.substr(start, i - start)) != L"Num") {
            parts.push_back(Trimmed(text.substr(start, i - start)));
            start = i + 1;
        }
    }
    parts.push_back(Trimmed(text.substr(start)));
    GlobalKey key;
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        std::uint32_t bit = 0;
        for (const Named& modifier : kModifiers) {
            if (SameText(modifier.name, parts[i])) bit = modifier.key;
        }
        if (bit == 0 || (key.modifiers & bit) != 0) return std::nullopt;
        key.modifiers |= bit;
    }
    const auto code = KeyOf(parts.back());
    if (!code) return std::nullopt;
    key.key = *code;
    return key;
}

}  // namespace app
