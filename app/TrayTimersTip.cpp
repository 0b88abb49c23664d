// The tray tip and picture for several timers: loaded timers ordered by when they end, lines added
// while they fit.
#include "app/TrayTimersTip.h"

#include "core/AppTitle.h"

#include <algorithm>
#include <vector>

namespace app {

namespace {

// The loaded timers' indexes: ringing ones first when asked for (they ended already), then running
// ones soonest end first, then paused ones least time left first; timers alike keep their order.
std::vector<std::size_t> TipOrder(std::span<const TrayTimer> timers, bool ringing) {
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < timers.size(); ++i) {
        const CountdownState state = timers[i].state;
        if (state == CountdownState::Running || state == CountdownState::Paused ||
            (ringing && state == CountdownState::Ringing && !timers[i].endTime.empty())) {
            order.push_back(i);
        }
    }
    const auto key = [&](std::size_t i) {
        const CountdownState state = timers[i].state;
        const int rank = state == CountdownState::Ringing ? 0 : state == CountdownState::Running ? 1 : 2;
        return std::pair(rank, state == CountdownState::Ringing ? 0 : TicksLeft(timers[i].secondsLeft, timers[i].tenthsLeft));
    };
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return key(a) < key(b); });
    return order;
}

// How much a line says: everything, no end time, or the label cut short and the time alone.
enum class LineForm { Full, NoEndTime, Short };

// The label cut to this many characters in a short line, an ellipsis after it.
constexpr std::size_t kShortLabel = 10;

// The label as a line of that form shows it: a short line's cut, never between the halves of a
// surrogate pair.
std::wstring LabelIn(const std::wstring& label, LineForm form) {
    if (form != LineForm::Short || label.size() <= kShortLabel) return label;
    std::wstring cut = label.substr(0, kShortLabel - 1);
    if (cut.back() >= 0xD800 && cut.back() <= 0xDBFF) cut.pop_back();
    return cut + L"\u2026";
}

// The timer's line: its label, and what the single timer's tip says after the product name.
std::wstring TimerLine(const TrayTimer& timer, LineForm form) {
    const std::wstring label = LabelIn(timer.label, form);
    if (timer.state == CountdownState::Ringing) {
        if (!label.empty()) return label + L" " + timer.endTime;
        // A line of its own begins as a sentence does: "Ended 3 min ago".
        std::wstring line = timer.endTime;
        if (!line.empty() && line[0] >= L'a' && line[0] <= L'z') line[0] = static_cast<wchar_t>(line[0] - L'a' + L'A');
        return line;
    }
    const std::wstring tip = TrayTipText(timer.state, timer.secondsLeft, timer.tenthsLeft,
                                         form == LineForm::Full ? timer.endTime : std::wstring());
    std::wstring state = tip.substr(tip.find(L'\n') + 1);
    if (form == LineForm::Short) {
        state = state.substr(0, state.find(L' '));
        if (timer.state == CountdownState::Paused) state += L" paused";
    }
    return label.empty() ? state : label + L" " + state;
}

}  // namespace

std::wstring TrayTimersTipText(std::span<const TrayTimer> timers) {
    const std::vector<std::size_t> order = TipOrder(timers, true);
    if (order.empty()) return core::kProductName;
    if (order.size() == 1 && timers[order[0]].label.empty() && timers[order[0]].state != CountdownState::Ringing) {
        const TrayTimer& only = timers[order[0]];
        return TrayTipText(only.state, only.secondsLeft, only.tenthsLeft, only.endTime);
    }
    // Every line as whole as the limit allows for all of them: lines are shortened before any is left
    // out.
    for (const LineForm form : {LineForm::Full, LineForm::NoEndTime, LineForm::Short}) {
        std::wstring tip = core::kProductName;
        for (const std::size_t i : order) tip += L"\n" + TimerLine(timers[i], form);
        if (tip.size() <= kTrayTipLimit) return tip;
    }
    // Not even short lines fit: as many as do, and a last line "+N more" for the rest.
    std::wstring tip = core::kProductName;
    std::size_t shown = 0;
    for (; shown < order.size(); ++shown) {
        const std::size_t left = order.size() - shown - 1;
        // Room kept for the "+N more" line when others follow this one.
        const std::size_t room = left == 0 ? 0 : (L"\n+" + std::to_wstring(left) + L" more").size();
        const std::wstring line = L"\n" + TimerLine(timers[order[shown]], LineForm::Short);
        if (tip.size() + line.size() + room > kTrayTipLimit) break;
        tip += line;
    }
    if (shown < order.size()) tip += L"\n+" + std::to_wstring(order.size() - shown) + L" more";
    return tip;
}

std::optional<TrayPictureChoice> TrayPictureTimer(std::span<const TrayTimer> timers) {
    const std::vector<std::size_t> order = TipOrder(timers, false);
    if (order.empty()) return std::nullopt;
    return TrayPictureChoice{order[0], timers[order[0]].state == CountdownState::Paused};
}

}  // namespace app
