// Tray tip text: the display's whole seconds, in the same formatting the display uses.
#include "app/TrayCountdown.h"

#include "app/CountdownDisplay.h"
#include "core/AppTitle.h"

namespace app {

std::wstring TrayTipText(CountdownState state, std::int32_t secondsLeft, std::int16_t tenthsLeft) {
    std::wstring tip = core::kProductName;
    if (state == CountdownState::Idle) return tip;
    const std::int64_t shownTenths = TicksLeft(secondsLeft, tenthsLeft);
    tip += L"\n" + FormatWholeSeconds(static_cast<std::int32_t>(shownTenths / 10)) + L" left";
    if (state == CountdownState::Paused) tip += L", paused";
    return tip;
}

}  // namespace app
