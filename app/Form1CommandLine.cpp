// A timer takes what a command line asks of it: a duration starts as a pick in the three lists and
// Start do, a switch does what its button does.
#include "app/Form1.h"

#include "app/CountdownDisplay.h"
#include "app/RecentDurations.h"
#include "app/TimerProgram.h"
#include "core/Program.h"
#include "core/TextFormat.h"
#include "ui/Clock.h"

namespace app {

bool Form1::TakeDuration(core::Trap& trap, const CommandLineRequest& request, std::int64_t arrivedUtc) {
    // A clock time is counted from now, by the zone's rules; one that has become the time now, or that
    // the clock skips, says so instead.
    std::int32_t seconds = request.seconds;
    const auto count = [&](int step) {
        bool counted = false;
        trap.Step(step, [&] {
            const CommandLineRequest resolved = ResolveTimeOfDay(request, UtcNow(), program_.Zone());
            counted = resolved.kind == CommandLineRequest::Kind::Duration;
            if (!counted) core::ShowUserMessage(BadArgumentText(resolved.badArgument, resolved.problem));
            seconds = resolved.seconds;
        });
        return counted;
    };
    const bool clockTime = request.kind == CommandLineRequest::Kind::TimeOfDay;
    if (clockTime && !count(130)) return false;
    const CountdownState state = countdown_.State();
    // A ringing timer waits for its answer; the program holds the request until then.
    if (state == CountdownState::Ringing) return false;
    const bool paused = state == CountdownState::Paused;
    const bool loaded = state != CountdownState::Idle;
    if (loaded) {
        trap.Step(102, [&] { BringToFront(); });
        // The countdown goes on while the question waits; when it rings the question goes, as if
        // answered No. A failing question replaces nothing.
        bool yes = false;
        trap.Step(104, [&] {
            const auto shown = static_cast<std::int32_t>(countdown_.TicksLeft() / 10);
            LocalTime named;
            named.millisecondOfDay = request.seconds * 1000;
            const std::wstring until = clockTime ? ShortTimeText(named, request.seconds % 60 != 0) : L"";
            yes = countdownQuestions_.Ask(ReplaceQuestionText(paused, shown, seconds, until),
                                          MB_YESNO | MB_DEFBUTTON2) ==
                  IDYES;
        });
        if (!yes || closing_) return false;
        // The question took its time: the clock time counts from the answer.
        if (clockTime && !count(132)) return false;
    }
    // The items of the new duration, found before anything changes: a countdown is replaced only by
    // one that can start, never reset to leave the lists half set.
    const HWND pickers[] = {cboHrs_, cboMins_, cboSecs_};
    const std::wstring picks[] = {core::ZeroPad(seconds / 3600, 2), core::ZeroPad(seconds / 60 % 60, 2),
                                  core::ZeroPad(seconds % 60, 2)};
    bool found = false;
    trap.Step(106, [&] {
        for (int i = 0; i < 3; ++i) {
            if (SendMessageW(pickers[i], CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                             reinterpret_cast<LPARAM>(picks[i].c_str())) == CB_ERR) {
                throw core::HandlerError(core::kSubscriptOutOfRange);
            }
        }
        found = true;
    });
    if (!found) return false;
    if (loaded) {
        trap.Step(108, [&] {
            PushButton2_Click();
            ShowCountdownInTray();
        });
    }
    // A duration with a label names the timer it starts, before Start (whose first minimise may wait on
    // the tray balloon): the caption, the tray and the record say it from the start.
    if (!request.label.empty() && request.label != label_) SetLabel(request.label);
    // As the user's picks: each is shown and stored.
    for (int i = 0; i < 3; ++i) trap.Step(110 + 2 * i, [&] { SetPickerText(pickers[i], picks[i]); });
    // Behind the tray icon the window is still minimised, and Start's minimise would only show it as a
    // minimised window on the taskbar: it comes back first, and Start sends it behind the icon again.
    trap.Step(116, [&] { ComeOutOfTray(); });
    // A duration counts from its arrival; a clock time was counted to its time named just now.
    askedAt_ = clockTime ? std::nullopt : std::optional<std::int64_t>(arrivedUtc);
    recentEntry_ = clockTime ? ClockTimeEntry(request.seconds) : L"";
    trap.Step(118, [&] {
        PushButton1_Click();
        askedAt_.reset();
        recentEntry_.clear();
        ShowCountdownInTray();
    });
    askedAt_.reset();
    recentEntry_.clear();
    return true;
}

void Form1::ComeOutOfTray() {
    if (!HiddenInTray) return;
    ui::ShowNormal(hwnd());
    HiddenInTray = false;
}

void Form1::TakeSwitch(core::Trap& trap, CommandLineRequest::Kind kind) {
    // What the buttons would do, only where there is something to do: a script's switch never starts a
    // countdown nor asks anything.
    const CountdownState state = countdown_.State();
    const bool running = state == CountdownState::Running;
    const bool paused = state == CountdownState::Paused;
    if (kind == CommandLineRequest::Kind::Pause && running) {
        trap.Step(120, [&] { PushButton1_Click(); });
    } else if (kind == CommandLineRequest::Kind::Resume && paused) {
        // As a duration taken behind the tray icon: back first, and Start sends it behind the icon again.
        trap.Step(122, [&] { ComeOutOfTray(); });
        trap.Step(124, [&] { PushButton1_Click(); });
    } else if (kind == CommandLineRequest::Kind::Reset && (running || paused)) {
        trap.Step(126, [&] { PushButton2_Click(); });
    } else {
        return;
    }
    trap.Step(128, [&] { ShowCountdownInTray(); });
}

UtcMilliseconds UtcNow() { return ui::UtcNowMs(); }

ZoneRule SystemZoneRule(int year) {
    DYNAMIC_TIME_ZONE_INFORMATION current{};
    if (GetDynamicTimeZoneInformation(&current) == TIME_ZONE_ID_INVALID) return {};
    const auto change = [](const SYSTEMTIME& date) {
        return ZoneChange{date.wYear, date.wMonth, date.wDayOfWeek, date.wDay,
                          ((date.wHour * 60 + date.wMinute) * 60 + date.wSecond) * 1000 + date.wMilliseconds};
    };
    // The user turned the clock's changes off: it keeps standard time all year.
    if (current.DynamicDaylightTimeDisabled) return ZoneRule{current.Bias, current.StandardBias, 0, {}, {}};
    // The year's own rules, where the zone changed them over the years; the current ones otherwise.
    TIME_ZONE_INFORMATION zone{};
    if (year >= 1601 && year <= 30827 && GetTimeZoneInformationForYear(static_cast<USHORT>(year), &current, &zone)) {
        return ZoneRule{zone.Bias, zone.StandardBias, zone.DaylightBias, change(zone.StandardDate),
                        change(zone.DaylightDate)};
    }
    return ZoneRule{current.Bias, current.StandardBias, current.DaylightBias, change(current.StandardDate),
                    change(current.DaylightDate)};
}

}  // namespace app
