// A timer's mini countdown, its recent durations and the global keys, from its system menu.
#include "app/Form1.h"

#include "app/MiniCountdown.h"
#include "app/RecentDurations.h"
#include "app/TimerProgram.h"
#include "core/Settings.h"

namespace app {

std::vector<std::wstring> StoredRecentDurations() {
    try {
        return ParseRecentDurations(core::ReadSetting(kRecentDurationsSetting));
    } catch (const core::HandlerError&) {
        return {};
    }
}

void RememberRecentDuration(const std::wstring& entry) {
    try {
        core::WriteSetting(kRecentDurationsSetting, RecentDurationsText(WithRecentDuration(StoredRecentDurations(), entry)));
    } catch (const core::HandlerError&) {
    }
}

void FillRecentMenu(HMENU menu, UINT firstItem, UINT step, bool greyed) {
    const std::vector<std::wstring> recent = StoredRecentDurations();
    if (recent.empty()) AppendMenuW(menu, MF_STRING | MF_GRAYED, firstItem, L"(none)");
    for (std::size_t i = 0; i < recent.size(); ++i) {
        AppendMenuW(menu, MF_STRING | (greyed ? MF_GRAYED : MF_ENABLED), firstItem + static_cast<UINT>(i) * step,
                    recent[i].c_str());
    }
}

namespace {

// The system menu's "Start Recent" submenu: the one submenu of it.
HMENU RecentSubmenu(HMENU menu) {
    for (int i = GetMenuItemCount(menu) - 1; i >= 0; --i) {
        if (const HMENU sub = GetSubMenu(menu, i)) return sub;
    }
    return nullptr;
}

}  // namespace

bool Form1::MiniShown() const { return mini_ && mini_->Shown(); }

void Form1::ShowMini(bool shown, std::optional<POINT> place) {
    if (shown) {
        if (!mini_) mini_ = std::make_unique<MiniCountdown>(program_, *this);
        // Back where it was: this run's place, or the one the record kept.
        if (!place && mini_->hwnd()) place = mini_->Place();
        if (!place && saved_ && (saved_->miniLeft != 0 || saved_->miniTop != 0)) {
            place = POINT{saved_->miniLeft, saved_->miniTop};
        }
        mini_->Show(place);
    } else if (mini_) {
        mini_->Hide();
    }
    SaveRecord();
}

void Form1::MiniInto(platform::TimerRecord& record) const {
    record.mini = MiniShown();
    if (!mini_ || !mini_->hwnd()) return;
    const POINT place = mini_->Place();
    record.miniLeft = place.x;
    record.miniTop = place.y;
}

bool Form1::StartRecent(std::size_t index) {
    const std::vector<std::wstring> recent = StoredRecentDurations();
    if (index >= recent.size()) return false;
    core::Trap trap(L"Form1.StartRecent", program_.reporter);
    // As the command line's duration or clock time: counted from now, asking first while one is loaded.
    return TakeDuration(trap, ParseCommandLine({recent[index]}), UtcNow());
}

void Form1::AddMoreCommands(HMENU menu) {
    AppendMenuW(menu, MF_STRING, kMiniCommand, L"Mini Countdown\tCtrl+M");
    // Filled each time the menu opens; its items come as the system menu's.
    if (const HMENU recent = CreatePopupMenu()) {
        AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(recent), L"Start Recent");
    }
    AppendMenuW(menu, MF_STRING, kKeysCommand, L"Keys\u2026");
}

void Form1::InitMoreCommands(HMENU menu) {
    const bool held = program_.Held();
    CheckMenuItem(menu, kMiniCommand, MF_BYCOMMAND | (MiniShown() ? MF_CHECKED : MF_UNCHECKED));
    EnableMenuItem(menu, kKeysCommand, MF_BYCOMMAND | (held ? MF_GRAYED : MF_ENABLED));
    if (const HMENU recent = RecentSubmenu(menu)) {
        while (GetMenuItemCount(recent) > 0) DeleteMenu(recent, 0, MF_BYPOSITION);
        FillRecentMenu(recent, kRecentCommand, 0x10, held);
    }
}

bool Form1::OnMoreCommand(UINT item) {
    if (item == kMiniCommand) {
        ShowMini(!MiniShown());
        return true;
    }
    const bool recent = item >= kRecentCommand && item < kRecentCommand + 0x10 * kMostRecentDurations && item % 0x10 == 0;
    if (item != kKeysCommand && !recent) return false;
    // Refused while an alarm or a question holds the program, as the greyed item is.
    if (program_.Held()) return true;
    if (item == kKeysCommand) {
        program_.Keys.Ask(hwnd());
    } else {
        StartRecent((item - kRecentCommand) / 0x10);
    }
    return true;
}

}  // namespace app
