// Tray tip text: the display's whole seconds, in the same formatting the display uses, and the end time.
#include "app/TrayCountdown.h"

#include "app/CountdownDisplay.h"
#include "core/AppTitle.h"

namespace app {

std::wstring TrayTipText(CountdownState state, std::int32_t secondsLeft, std::int16_t tenthsLeft,
                         const std::wstring& endTime) {
    std::wstring tip = core::kProductName;
    if (state != CountdownState::Running && state != CountdownState::Paused) return tip;
    const std::int64_t shownTenths = TicksLeft(secondsLeft, tenthsLeft);
    tip += L"\n" + FormatWholeSeconds(static_cast<std::int32_t>(shownTenths / 10)) + L" left";
    if (state == CountdownState::Paused) tip += L", paused";
    if (state == CountdownState::Running && !endTime.empty()) {
        const std::wstring ends = L", ends " + endTime;
        if (tip.size() + ends.size() <= kTrayTipLimit) tip += ends;
    }
    return tip;
}

}  // namespace app
