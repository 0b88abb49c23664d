// The "ended ... ago" texts: whole minutes, then hours and minutes.
#include "app/EndedText.h"

namespace app {

std::wstring AgoText(std::int64_t agoMs) {
    const std::int64_t minutes = agoMs < 0 ? 0 : agoMs / 60'000;
    if (minutes == 0) return {};
    const std::int64_t hours = minutes / 60;
    std::wstring text = hours > 0 ? std::to_wstring(hours) + L" h" : L"";
    if (minutes % 60 != 0) text += (text.empty() ? L"" : L" ") + std::to_wstring(minutes % 60) + L" min";
    return text + L" ago";
}

std::wstring EndedLineText(const std::wstring& clock, const std::wstring& day, std::int64_t agoMs) {
    std::wstring line = L"Ended at " + clock;
    if (!day.empty()) line += L" on " + day;
    const std::wstring ago = AgoText(agoMs);
    return ago.empty() ? line : line + L", " + ago;
}

std::wstring TrayEndedText(std::int64_t agoMs) {
    const std::wstring ago = AgoText(agoMs);
    return ago.empty() ? ago : L"ended " + ago;
}

}  // namespace app
