// A mini countdown's text and its place on the work area.
#include "app/MiniCountdownText.h"

#include "app/CountdownDisplay.h"

#include <algorithm>

namespace app {

std::wstring MiniCountdownText(const std::wstring& label, core::CountdownState state, std::int32_t secondsShown) {
    const std::int32_t seconds = state == core::CountdownState::Ringing ? 0 : secondsShown;
    std::wstring text = (label.empty() ? L"" : label + L" ") + FormatWholeSeconds(seconds);
    if (state == core::CountdownState::Paused) text += L" Paused";
    return text;
}

MiniRect ClampedToWorkArea(MiniRect window, const MiniRect& work) {
    const std::int32_t width = window.right - window.left;
    const std::int32_t height = window.bottom - window.top;
    const std::int32_t left = std::max(work.left, std::min(window.left, work.right - width));
    const std::int32_t top = std::max(work.top, std::min(window.top, work.bottom - height));
    return {left, top, left + width, top + height};
}

}  // namespace app
