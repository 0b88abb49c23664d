// The tray record's text cuts, the notification-to-event table and the balloon timeout.
#include "tray/TrayRecord.h"

#include "core/ErrorReport.h"

#include <algorithm>
#include <limits>

namespace tray {

namespace {

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }

}  // namespace

std::wstring CutToField(std::wstring_view text, std::size_t maxChars) {
    if (text.size() <= maxChars) return std::wstring(text);
    std::size_t length = maxChars;
    // Half a character would show as a box, or make the shell refuse the text.
    if (length > 0 && IsHighSurrogate(text[length - 1])) --length;
    return std::wstring(text.substr(0, length));
}

void CopyToField(std::wstring_view text, std::span<wchar_t> field) {
    if (field.empty()) return;
    const std::wstring cut = CutToField(text, field.size() - 1);
    std::copy(cut.begin(), cut.end(), field.begin());
    std::fill(field.begin() + static_cast<std::ptrdiff_t>(cut.size()), field.end(), L'\0');
}

TrayNotification ClassifyNotification(std::int64_t code) {
    switch (code) {
    case 512: return {TrayEvent::MouseMove, 0};
    case 513: return {TrayEvent::MouseDown, 1};
    case 514: return {TrayEvent::MouseUp, 1};
    case 515: return {TrayEvent::MouseDblClick, 1};
    case 516: return {TrayEvent::MouseDown, 2};
    case 517: return {TrayEvent::MouseUp, 2};
    case 518: return {TrayEvent::MouseDblClick, 2};
    case 1027:  // balloon hidden
    case 1028:  // balloon timed out
    case 1029:  // balloon clicked
        return {TrayEvent::BalloonClosed, 0};
    default: return {};
    }
}

std::int32_t BalloonTimeoutMs(std::int32_t showTimer) {
    if (showTimer <= 0) return 0;
    const std::int64_t ms = static_cast<std::int64_t>(showTimer) * 1000;
    if (ms > std::numeric_limits<std::int32_t>::max()) throw core::HandlerError(core::kOverflow);
    return static_cast<std::int32_t>(ms);
}

}  // namespace tray
