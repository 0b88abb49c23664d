// A timer after its end: Time Expired's line saying when it ended and how long ago, the snooze that runs
// the same timer again for a few minutes without touching its picks, and the time a script adds.
#include "app/Form1.h"

#include "alarm/Form2.h"
#include "app/EndedText.h"
#include "app/TimerProgram.h"
#include "app/TrayCountdown.h"

#include <algorithm>

namespace app {
namespace {

// Time Expired's line for a timer that ended at endedUtc: the clock time, the day when it was not
// today, and how long ago.
std::wstring EndedLine(const ZoneRules& zone, std::int64_t endedUtc, std::int64_t nowUtc) {
    const EndedWhen when = EndedWhenOf(zone, endedUtc, nowUtc);
    return EndedLineText(when.clock, when.day, nowUtc - endedUtc);
}

// A ringing timer's quiet key: apart from every counting one's (TrayQuietKey), one a minute since it ended.
constexpr std::int64_t kRingingKeys = std::int64_t{1} << 40;

}  // namespace

EndedWhen EndedWhenOf(const ZoneRules& zone, std::int64_t endedUtc, std::int64_t nowUtc) {
    const LocalTime ended = ToLocalTime(zone, endedUtc);
    const LocalTime today = ToLocalTime(zone, nowUtc);
    const bool sameDay = ended.year == today.year && ended.month == today.month && ended.day == today.day;
    return {ShortTimeText(ended, false), sameDay ? L"" : ShortDateText(ended)};
}

std::wstring ShortDateText(const LocalTime& time) {
    SYSTEMTIME local{};
    local.wYear = static_cast<WORD>(time.year);
    local.wMonth = static_cast<WORD>(time.month);
    local.wDay = static_cast<WORD>(time.day);
    wchar_t text[80] = {};
    if (GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &local, nullptr, text, 80) <= 0) return L"";
    return text;
}

void Form1::PrepareTimeExpired(alarm::Form2& timeExpired) {
    // The end the countdown was counting to: for an alarm that rings again at a start, the real end.
    const std::int64_t ended = countdown_.EndedAt();
    if (ended <= 0) return;
    timeExpired.endedUtc = ended;
    timeExpired.endedText = [this, ended](std::int64_t now) { return EndedLine(program_.Zone(), ended, now); };
    // The tray tip's "ended N min ago" follows the same minute. The window is this timer's own and goes
    // before it does.
    timeExpired.onMinute = [this] { program_.ShowTimersInTray(); };
}

void Form1::StartSnoozed(core::Trap& trap, std::int32_t seconds) {
    // As Restart runs it (the window behind the tray icon, the tray and the taskbar counting), for the
    // snooze's length; the picks stay, so that Restart afterwards runs them again.
    snoozeLength_ = seconds;
    trap.Step(162, [&] { PushButton1_Click(); });
    snoozeLength_.reset();
    // Kept at once: a program that ends during the extra minutes brings them back.
    trap.Step(164, [&] { SaveRecord(); });
}

void Form1::TakeAdd(core::Trap& trap, std::int32_t seconds) {
    switch (countdown_.State()) {
    case CountdownState::Running:
    case CountdownState::Paused:
        // A record keeps at most the pickers' longest left: more would not come back after a crash.
        trap.Step(140, [&] {
            countdown_.Add(seconds, kLongestDuration);
            ShowDisplay();
            ShowCountdownInTray();
        });
        break;
    case CountdownState::Ringing:
        // As its snooze button does; the answer comes back as the buttons' do.
        if (timeExpired_ && timeExpired_->hwnd()) trap.Step(142, [&] { timeExpired_->Snooze(seconds); });
        break;
    case CountdownState::Idle:
        break;
    }
}

std::int64_t Form1::QuietTrayKey() const {
    if (trayShown_ <= -3) return kRingingKeys - trayShown_;
    return TrayQuietKey(countdown_.Shown(), countdown_.SecondsLeft(), countdown_.TenthsLeft());
}

}  // namespace app
