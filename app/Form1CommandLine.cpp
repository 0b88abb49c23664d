// The main window takes a command line's request: its own copy's, once loaded, or one a later copy
// hands over in WM_COPYDATA, under the error trap. A duration starts as a pick in the three lists and
// Start do, a switch does what its button does; a closing window refuses what comes.
#include "app/Form1.h"

#include "app/CountdownDisplay.h"
#include "core/Program.h"
#include "core/TextFormat.h"

#include <algorithm>

namespace app {
namespace {

UINT const kHandOverMessage = WM_APP + 16;
// More requests than this at once are dropped: a flood of starts cannot make the program grow.
std::size_t const kHandOverQueueLimit = 8;

}  // namespace

bool Form1::HandleCommandLineMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_COPYDATA) {
        result = OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        return true;
    }
    if (message == kHandOverMessage) {
        OnHandOver();
        result = 0;
        return true;
    }
    // A modal window of ours has gone, which enables this window again: durations that came
    // meanwhile take their turn.
    if (message == WM_ENABLE && wParam != FALSE && !handedOver_.empty()) PostMessageW(hwnd(), kHandOverMessage, 0, 0);
    return false;
}

std::intptr_t Form1::HandOver(const CommandLineRequest& request) {
    if (first_ != this) return first_->HandOver(request);
    if (handedOver_.size() >= kHandOverQueueLimit) return kHandOverBusy;
    // A clock time is checked by this copy's clock now, and counted when it is acted on: it may wait
    // behind Time Expired or a question meanwhile.
    const CommandLineRequest checked = ResolveTimeOfDay(request, UtcNow(), SystemZoneRule);
    if (checked.kind == CommandLineRequest::Kind::Bad) return RefusalAnswer(checked.problem);
    handedOver_.push_back(request);
    PostMessageW(hwnd(), kHandOverMessage, 0, 0);
    return kHandOverTaken;
}

LRESULT Form1::OnCopyData(const COPYDATASTRUCT* data) {
    // Any program on the desktop can send this: only a whole, well-formed hand-over of ours counts,
    // and its text is read again as a command line.
    if (!data || data->dwData != kHandOverTag) return FALSE;
    // The close pumps messages before the program ends: what came now would be dropped, so the later
    // copy hears it and waits to run the timer itself.
    if (closing_) return kHandOverClosing;
    std::vector<std::wstring> arguments;
    if (!DecodeHandOver(data->lpData, data->cbData, arguments)) return FALSE;
    using Kind = CommandLineRequest::Kind;
    const CommandLineRequest request = ParseCommandLine(arguments);
    if (request.kind == Kind::Usage || request.kind == Kind::Bad) return FALSE;
    // Acted on from the message loop: the sender waits for this answer, and the question a loaded
    // countdown asks must not hold it up.
    return HandOver(request);
}

void Form1::OnHandOver() {
    if (handedOver_.empty() || closing_) return;
    if (!IsWindowEnabled(hwnd())) {
        // A modal window of ours is up: Time Expired, a message box, or the question about an earlier
        // duration. As a tray click does, this brings it to the front; that is all a start without a
        // duration asks, and a duration waits until the modal window has gone (WM_ENABLE). A switch
        // finds nothing to pause, resume or reset now, and goes quietly.
        const auto counts = [](const CommandLineRequest& r) {
            return r.newTimer || r.kind == CommandLineRequest::Kind::Duration ||
                   r.kind == CommandLineRequest::Kind::TimeOfDay;
        };
        const auto asksForWindow = [&](const CommandLineRequest& r) {
            return r.kind == CommandLineRequest::Kind::None || counts(r);
        };
        if (std::any_of(handedOver_.begin(), handedOver_.end(), asksForWindow)) BringToFront();
        std::erase_if(handedOver_, [&](const CommandLineRequest& r) { return !counts(r); });
        return;
    }
    // Starting minimises the window, and the tray balloon's wait pumps messages: a request that
    // arrives inside waits for this one to finish.
    if (handingOver_) return;
    const CommandLineRequest request = handedOver_.front();
    handedOver_.pop_front();
    handingOver_ = true;
    // Whichever way this one ends (a step may fail and its report pump messages), the next gets its
    // turn.
    struct NextTurn {
        Form1& form;
        ~NextTurn() {
            form.handingOver_ = false;
            if (!form.handedOver_.empty()) PostMessageW(form.hwnd(), kHandOverMessage, 0, 0);
        }
    } nextTurn{*this};
    core::Trap trap(L"Form1.HandOver", reporter);
    const bool duration =
        request.kind == CommandLineRequest::Kind::Duration || request.kind == CommandLineRequest::Kind::TimeOfDay;
    if (request.newTimer) {
        // A new timer's window, idle or started at once, labelled as asked.
        Form1* timer = nullptr;
        trap.Step(100, [&] {
            timer = NewTimer();
            if (timer && !request.label.empty()) timer->SetLabel(request.label);
        });
        if (timer && duration) timer->TakeDuration(trap, request);
    } else if (duration) {
        // A duration goes to the first timer, whose window comes back if it was closed.
        ComeBack();
        if (TakeDuration(trap, request) && !request.label.empty()) SetLabel(request.label);
    } else if (request.kind != CommandLineRequest::Kind::None) {
        // A switch acts on every timer, or on those with the label named.
        for (Form1* timer : TimersLabelled(request.label)) timer->TakeSwitch(trap, request.kind);
    } else {
        trap.Step(100, [&] {
            if (!closedAway_) {
                BringToFront();
                return;
            }
            for (Form1* timer : Timers()) timer->BringToFront();
        });
    }
}

bool Form1::TakeDuration(core::Trap& trap, const CommandLineRequest& request) {
    // A clock time is counted from now, by the zone's rules; one that has become the time now, or that
    // the clock skips, says so instead.
    std::int32_t seconds = request.seconds;
    const auto count = [&](int step) {
        bool counted = false;
        trap.Step(step, [&] {
            const CommandLineRequest resolved = ResolveTimeOfDay(request, UtcNow(), SystemZoneRule);
            counted = resolved.kind == CommandLineRequest::Kind::Duration;
            if (!counted) core::ShowUserMessage(BadArgumentText(resolved.badArgument, resolved.problem));
            seconds = resolved.seconds;
        });
        return counted;
    };
    const bool clockTime = request.kind == CommandLineRequest::Kind::TimeOfDay;
    if (clockTime && !count(130)) return false;
    const CountdownState state = CountdownStateForButtons();
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
    // As the user's picks: each is shown and stored.
    for (int i = 0; i < 3; ++i) trap.Step(110 + 2 * i, [&] { SetPickerText(pickers[i], picks[i]); });
    // Behind the tray icon the window is still minimised, and Start's minimise would only show it as a
    // minimised window on the taskbar: it comes back first, and Start sends it behind the icon again.
    trap.Step(116, [&] { ComeOutOfTray(); });
    trap.Step(118, [&] {
        PushButton1_Click();
        ShowCountdownInTray();
    });
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
    const CountdownState state = CountdownStateForButtons();
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

UtcMilliseconds UtcNow() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return static_cast<UtcMilliseconds>((ULONGLONG{now.dwHighDateTime} << 32 | now.dwLowDateTime) / 10'000);
}

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
