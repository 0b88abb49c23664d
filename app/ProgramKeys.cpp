// The program's global keys and the "/mini" switch: each key does what its switch does, on every timer,
// through the same hand-over as a later copy's command line.
#include "alarm/Form2.h"
#include "app/Form1.h"
#include "app/TimerProgram.h"
#include "core/AppTitle.h"

#include <algorithm>

namespace app {

void TimerProgram::ToggleMiniCountdowns(const std::wstring& label) {
    const std::vector<std::wstring> ids = IdsLabelled(label);
    const bool anyShown = std::any_of(ids.begin(), ids.end(), [&](const std::wstring& id) {
        const Form1* timer = Find(id);
        return timer && timer->MiniShown();
    });
    for (const std::wstring& id : ids) {
        if (Form1* timer = Find(id); timer && timer->hwnd()) timer->ShowMini(!anyShown);
    }
}

void TimerProgram::RegisterGlobalKeys() {
    std::vector<std::wstring> refused;
    try {
        refused = Keys.RegisterStored(hwnd());
    } catch (const core::HandlerError&) {
        return;
    }
    if (refused.empty()) return;
    std::wstring names;
    for (const std::wstring& name : refused) names += (names.empty() ? L"" : L", ") + name;
    // Once, at the start: the keys stay stored, and the next start tries them again.
    cSysTray1.ShowBalloon(names + L": taken by another program, or no key. Choose others under Keys\u2026 in a "
                                  L"timer window's system menu.",
                          core::kProductName, 0, false);
}

void TimerProgram::OnGlobalKey(WPARAM id) {
    const std::optional<KeyAction> action = GlobalKeys::ActionOf(id);
    if (!action || ending_ || Keys.acting) return;
    Keys.acting = true;
    struct Done {
        GlobalKeys& keys;
        ~Done() { keys.acting = false; }
    } done{Keys};
    using Kind = CommandLineRequest::Kind;
    CommandLineRequest request;
    switch (*action) {
    case KeyAction::PauseAll: {
        // As "/pause" when any timer counts, "/resume" otherwise.
        const std::vector<Form1*> timers = Timers();
        const bool anyCounts = std::any_of(timers.begin(), timers.end(), [](Form1* timer) {
            return timer->countdown().State() == core::CountdownState::Running;
        });
        request.kind = anyCounts ? Kind::Pause : Kind::Resume;
        break;
    }
    case KeyAction::ShowAll:
        // As a start without arguments: every window back.
        break;
    case KeyAction::MiniCountdown:
        request.kind = Kind::Mini;
        break;
    case KeyAction::NewTimer:
        request.newTimer = true;
        break;
    case KeyAction::AnswerAlarms:
        // As OK in each Time Expired up, by id: an answer pumps messages, and a timer may go meanwhile.
        for (const std::wstring& timerId : IdsLabelled(L"")) {
            const Form1* timer = Find(timerId);
            alarm::Form2* alarm = timer ? timer->TimeExpired() : nullptr;
            if (alarm && alarm->hwnd()) alarm->PushButton1_Click();
        }
        return;
    }
    HandOver(request);
}

}  // namespace app
