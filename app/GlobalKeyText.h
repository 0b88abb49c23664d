// The global keys as the settings keep them: text a person can read and edit, "Ctrl+Alt+P" (the
// modifiers Ctrl, Alt, Shift and Win joined by "+", then a letter, a digit, F1 to F24 or a named key),
// and the five actions they are stored for. Platform-free: the modifier bits and key codes are the
// system's own numbers (MOD_ALT 1, MOD_CONTROL 2, MOD_SHIFT 4, MOD_WIN 8; virtual-key codes).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace app {

struct GlobalKey {
    std::uint32_t modifiers = 0;
    std::uint32_t key = 0;  // a virtual-key code
    bool operator==(const GlobalKey&) const = default;
};

inline constexpr std::uint32_t kModAlt = 1;
inline constexpr std::uint32_t kModControl = 2;
inline constexpr std::uint32_t kModShift = 4;
inline constexpr std::uint32_t kModWin = 8;

// What a global key does, each as the switch or button of the same name does it, on every timer.
enum class KeyAction { PauseAll, ShowAll, AnswerAlarms, MiniCountdown, NewTimer };
inline constexpr std::size_t kKeyActions = 5;

struct KeyActionInfo {
    KeyAction action;
    const wchar_t* setting;  // the settings value
    const wchar_t* caption;  // what the Keys dialog calls it
};
inline constexpr std::array<KeyActionInfo, kKeyActions> kKeyActionInfo{{
    {KeyAction::PauseAll, L"Key Pause All", L"Pause or resume every timer"},
    {KeyAction::ShowAll, L"Key Show All", L"Bring back every timer window"},
    {KeyAction::AnswerAlarms, L"Key Answer Alarms", L"Answer every alarm that rings"},
    {KeyAction::MiniCountdown, L"Key Mini Countdown", L"Show or hide the mini countdowns"},
    {KeyAction::NewTimer, L"Key New Timer", L"Open a new timer"},
}};

// "Ctrl+Alt+P": the modifiers in the order Ctrl, Alt, Shift, Win, then the key; empty for a key that
// has no name here.
std::wstring GlobalKeyText(const GlobalKey& key);
// The key a text names, in any case and with spaces around the parts; nothing for an empty text, a
// key without a name here, a part twice, or a modifier alone.
std::optional<GlobalKey> ParseGlobalKey(std::wstring_view text);

}  // namespace app
