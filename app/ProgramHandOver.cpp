// The program takes a command line's request: its own copy's, once loaded, or one a later copy hands
// over in WM_COPYDATA. Switches ask nothing and act at once; durations and new timers wait while an
// alarm or a question holds the program, and a duration still ends when it would have, counted from its
// arrival; an ending program refuses what comes.
#include "app/Form1.h"
#include "app/TimerProgram.h"
#include "ui/Messages.h"

#include <algorithm>

namespace app {
namespace {

// More requests than this at once are dropped: a flood of starts cannot make the program grow.
std::size_t const kHandOverQueueLimit = 8;

bool IsSwitch(const CommandLineRequest& request) {
    using Kind = CommandLineRequest::Kind;
    return !request.newTimer && (request.kind == Kind::Pause || request.kind == Kind::Resume ||
                                 request.kind == Kind::Reset || request.kind == Kind::Add ||
                                 request.kind == Kind::Mini);
}

bool IsDuration(const CommandLineRequest& request) {
    return request.kind == CommandLineRequest::Kind::Duration || request.kind == CommandLineRequest::Kind::TimeOfDay;
}

}  // namespace

std::intptr_t TimerProgram::HandOver(const CommandLineRequest& request) {
    if (handedOver_.size() >= kHandOverQueueLimit) return kHandOverBusy;
    // A clock time is checked by this copy's clock now, and counted when it is acted on: it may wait
    // behind Time Expired or a question meanwhile.
    const CommandLineRequest checked = ResolveTimeOfDay(request, UtcNow(), Zone());
    if (checked.kind == CommandLineRequest::Kind::Bad) return RefusalAnswer(checked.problem);
    // Windows started a copy again after an update restart while this one runs (the Run entry started
    // it first): the timers are here already, and nothing comes forward.
    if (request.restored) return kHandOverTaken;
    // Time to add is refused at once when no timer it names counts, is paused or rings: the copy that
    // asked says so, rather than nothing happening.
    if (request.kind == CommandLineRequest::Kind::Add) {
        const auto loaded = [&](const std::wstring& id) {
            const Form1* timer = Find(id);
            return timer && timer->hwnd() && timer->countdown().State() != core::CountdownState::Idle;
        };
        const std::vector<std::wstring> ids = IdsLabelled(request.label);
        if (std::none_of(ids.begin(), ids.end(), loaded)) {
            return RefusalAnswer(CommandLineRequest::Problem::NothingToAdd);
        }
    }
    handedOver_.push_back({request, UtcNow()});
    PostMessageW(hwnd(), ui::kHandOverMessage, 0, 0);
    return kHandOverTaken;
}

LRESULT TimerProgram::OnCopyData(const COPYDATASTRUCT* data) {
    // Any program on the desktop can send this: only a whole, well-formed hand-over of ours counts,
    // and its text is read again as a command line.
    if (!data || data->dwData != kHandOverTag) return FALSE;
    // The end pumps messages before the program ends: what came now would be dropped, so the later
    // copy hears it and waits to run the timer itself.
    if (ending_) return kHandOverClosing;
    std::vector<std::wstring> arguments;
    if (!DecodeHandOver(data->lpData, data->cbData, arguments)) return FALSE;
    using Kind = CommandLineRequest::Kind;
    const CommandLineRequest request = ParseCommandLine(arguments);
    if (request.kind == Kind::Usage || request.kind == Kind::Bad) return FALSE;
    // Acted on from the message loop: the sender waits for this answer, and the question a loaded
    // countdown asks must not hold it up.
    return HandOver(request);
}

void TimerProgram::TakeSwitches() {
    std::vector<CommandLineRequest> switches;
    for (auto it = handedOver_.begin(); it != handedOver_.end();) {
        if (IsSwitch(it->request)) {
            switches.push_back(it->request);
            it = handedOver_.erase(it);
        } else {
            ++it;
        }
    }
    core::Trap trap(L"Form1.HandOver", reporter);
    for (const CommandLineRequest& request : switches) {
        if (request.kind == CommandLineRequest::Kind::Mini) {
            ToggleMiniCountdowns(request.label);
            continue;
        }
        // By id, each timer looked up again: a resume's minimise may pump messages (the tray balloon's
        // wait), and a timer closed meanwhile is gone.
        for (const std::wstring& id : IdsLabelled(request.label)) {
            Form1* timer = Find(id);
            if (!timer || !timer->hwnd()) continue;
            if (request.kind == CommandLineRequest::Kind::Add) {
                timer->TakeAdd(trap, request.seconds);
            } else {
                timer->TakeSwitch(trap, request.kind);
            }
        }
    }
}

void TimerProgram::OnHandOver() {
    if (ending_) return;
    TakeSwitches();
    if (handedOver_.empty()) return;
    if (Held()) {
        // An alarm or a question holds the program. As a tray click does, a start brings every window
        // and the alarm to the front; that is all a start without a duration asks, and a duration or a new
        // timer waits until the hold has gone (HoldEnded), still counted from its arrival.
        const auto asksForWindow = [](const Pending& pending) {
            return pending.request.kind == CommandLineRequest::Kind::None || IsDuration(pending.request) ||
                   pending.request.newTimer;
        };
        if (std::any_of(handedOver_.begin(), handedOver_.end(), asksForWindow)) BringBackEveryWindow();
        std::erase_if(handedOver_, [](const Pending& pending) {
            return pending.request.kind == CommandLineRequest::Kind::None && !pending.request.newTimer;
        });
        return;
    }
    // Starting minimises the window, and the tray balloon's wait pumps messages: a request that arrives
    // inside waits for this one to finish.
    if (handingOver_) return;
    const Pending pending = handedOver_.front();
    handedOver_.pop_front();
    handingOver_ = true;
    // Whichever way this one ends (a step may fail and its report pump messages), the next gets its turn.
    struct NextTurn {
        TimerProgram& program;
        ~NextTurn() {
            program.handingOver_ = false;
            if (!program.handedOver_.empty()) PostMessageW(program.hwnd(), ui::kHandOverMessage, 0, 0);
        }
    } nextTurn{*this};
    core::Trap trap(L"Form1.HandOver", reporter);
    const CommandLineRequest& request = pending.request;
    if (request.newTimer) {
        // A new timer's window, idle or started at once, labelled as asked.
        std::wstring id;
        trap.Step(100, [&] {
            Form1* timer = NewTimer();
            if (!timer) return;
            if (!request.label.empty()) timer->SetLabel(request.label);
            id = timer->Id();
        });
        if (Form1* timer = Find(id); timer && IsDuration(request)) timer->TakeDuration(trap, request, pending.arrivedUtc);
    } else if (IsDuration(request)) {
        // A duration goes to the main timer, whose window comes back if it was closed.
        Main().TakeDuration(trap, request, pending.arrivedUtc);
    } else {
        trap.Step(100, [&] { BringBackEveryWindow(); });
    }
}

}  // namespace app
