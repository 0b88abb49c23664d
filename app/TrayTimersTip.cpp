// The tray tip and picture for several timers: loaded timers ordered by when they end, lines added
// while they fit.
#include "app/TrayTimersTip.h"

#include "core/AppTitle.h"

#include <algorithm>
#include <vector>

namespace app {

namespace {

// The loaded timers' indexes, running ones soonest end first, then paused ones least time left first;
// timers alike keep their order.
std::vector<std::size_t> TipOrder(std::span<const TrayTimer> timers) {
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < timers.size(); ++i) {
        if (timers[i].state != CountdownState::Idle) order.push_back(i);
    }
    const auto key = [&](std::size_t i) {
        return std::pair(timers[i].state == CountdownState::Paused,
                         TicksLeft(timers[i].secondsLeft, timers[i].tenthsLeft));
    };
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return key(a) < key(b); });
    return order;
}

// The timer's line: its label, and what the single timer's tip says after the product name.
std::wstring TimerLine(const TrayTimer& timer, bool withEndTime) {
    const std::wstring tip =
        TrayTipText(timer.state, timer.secondsLeft, timer.tenthsLeft, withEndTime ? timer.endTime : std::wstring());
    const std::wstring state = tip.substr(tip.find(L'\n') + 1);
    return timer.label.empty() ? state : timer.label + L" " + state;
}

}  // namespace

std::wstring TrayTimersTipText(std::span<const TrayTimer> timers) {
    const std::vector<std::size_t> order = TipOrder(timers);
    if (order.empty()) return core::kProductName;
    if (order.size() == 1 && timers[order[0]].label.empty()) {
        const TrayTimer& only = timers[order[0]];
        return TrayTipText(only.state, only.secondsLeft, only.tenthsLeft, only.endTime);
    }
    std::wstring tip = core::kProductName;
    std::size_t shown = 0;
    for (; shown < order.size(); ++shown) {
        const std::size_t left = order.size() - shown - 1;
        // Room kept for the "+N more" line when others follow this one.
        const std::size_t room = left == 0 ? 0 : (L"\n+" + std::to_wstring(left) + L" more").size();
        const std::wstring full = L"\n" + TimerLine(timers[order[shown]], true);
        const std::wstring bare = L"\n" + TimerLine(timers[order[shown]], false);
        if (tip.size() + full.size() + room <= kTrayTipLimit) {
            tip += full;
        } else if (tip.size() + bare.size() + room <= kTrayTipLimit) {
            tip += bare;
        } else {
            break;
        }
    }
    if (shown < order.size()) tip += L"\n+" + std::to_wstring(order.size() - shown) + L" more";
    return tip;
}

std::optional<TrayPictureChoice> TrayPictureTimer(std::span<const TrayTimer> timers) {
    const std::vector<std::size_t> order = TipOrder(timers);
    if (order.empty()) return std::nullopt;
    return TrayPictureChoice{order[0], timers[order[0]].state == CountdownState::Paused};
}

}  // namespace app
