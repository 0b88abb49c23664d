// What the tray icon sends and hears, without the platform: the cuts of the record's text fields,
// the event each shell notification raises, and the balloon's timeout in milliseconds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tray {

// The private message the shell posts to the control's own window (WM_USER + 101).
inline constexpr std::uint32_t kTrayCallbackMessage = 1125;
// The one icon a control owns, within its own window.
inline constexpr std::uint32_t kTrayIconId = 0;

// Characters that reach the shell, each field keeping one more for its terminating zero.
inline constexpr std::size_t kTipChars = 127;
inline constexpr std::size_t kBalloonTextChars = 255;
inline constexpr std::size_t kBalloonTitleChars = 63;

// The text as its field receives it: at most maxChars characters. A cut never leaves the first half
// of a surrogate pair dangling at the end; that character goes too.
std::wstring CutToField(std::wstring_view text, std::size_t maxChars);

// Copies text into a fixed field of the record, cut to field.size() - 1 characters and terminated.
void CopyToField(std::wstring_view text, std::span<wchar_t> field);

enum class TrayEvent { None, MouseMove, MouseDown, MouseUp, MouseDblClick, BalloonClosed };

struct TrayNotification {
    TrayEvent event = TrayEvent::None;
    std::int16_t button = 0;  // 1 left, 2 right; 0 where the event has no button
};

// The event the shell's notification code (the callback's lParam) raises. Mouse codes are the
// window messages of the mouse; 1027, 1028 and 1029 say the balloon was hidden, timed out or
// clicked. The middle button, 1026 (balloon shown) and everything else raise nothing.
TrayNotification ClassifyNotification(std::int64_t code);

// The balloon's timeout for ShowTimer seconds: ShowTimer x 1000 ms when ShowTimer > 0, else 0.
// Raises core::HandlerError("Overflow") when the product does not fit a 32-bit signed value.
std::int32_t BalloonTimeoutMs(std::int32_t showTimer);

}  // namespace tray
