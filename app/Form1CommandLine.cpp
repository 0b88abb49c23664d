// The main window takes a command line's request: its own copy's, once loaded, or one a later copy
// hands over in WM_COPYDATA. A duration starts as a pick in the three lists and Start do.
#include "app/Form1.h"

#include "app/CountdownDisplay.h"
#include "core/Program.h"
#include "core/TextFormat.h"

namespace app {
namespace {

UINT const kHandOverMessage = WM_APP + 16;
// More requests than this at once are dropped: a flood of starts cannot make the program grow.
std::size_t const kHandOverQueueLimit = 8;

}  // namespace

bool Form1::HandleCommandLineMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_COPYDATA) {
        result = OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam)) ? TRUE : FALSE;
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

void Form1::HandOver(const CommandLineRequest& request) {
    if (handedOver_.size() >= kHandOverQueueLimit) return;
    handedOver_.push_back(request);
    PostMessageW(hwnd(), kHandOverMessage, 0, 0);
}

bool Form1::OnCopyData(const COPYDATASTRUCT* data) {
    // Any program on the desktop can send this: only a whole, well-formed hand-over of ours counts,
    // and its text is read again as a command line.
    if (!data || data->dwData != kHandOverTag) return false;
    std::vector<std::wstring> arguments;
    if (!DecodeHandOver(data->lpData, data->cbData, arguments)) return false;
    const CommandLineRequest request = ParseCommandLine(arguments);
    if (request.kind != CommandLineRequest::Kind::None && request.kind != CommandLineRequest::Kind::Duration) {
        return false;
    }
    // Acted on from the message loop: the sender waits for this answer, and the question a loaded
    // countdown asks must not hold it up.
    HandOver(request);
    return true;
}

void Form1::OnHandOver() {
    if (handedOver_.empty()) return;
    if (!IsWindowEnabled(hwnd())) {
        // A modal window of ours is up: Time Expired, a message box, or the question about an earlier
        // duration. As a tray click does, this brings it to the front; that is all a start without a
        // duration asks, and a duration waits until the modal window has gone (WM_ENABLE).
        BringToFront();
        std::erase_if(handedOver_,
                      [](const CommandLineRequest& r) { return r.kind != CommandLineRequest::Kind::Duration; });
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
    if (request.kind == CommandLineRequest::Kind::Duration) {
        TakeDuration(request.seconds);
    } else {
        BringToFront();
    }
}

void Form1::TakeDuration(std::int32_t seconds) {
    const CountdownState state = CountdownStateNow();
    const bool paused = state == CountdownState::Paused;
    if (state != CountdownState::Idle) {
        BringToFront();
        const auto shown = static_cast<std::int32_t>(TicksLeft(SecondsLeft, TenthsLeft) / 10);
        // The countdown goes on while the question waits, and may even ring: whatever it has become,
        // only Yes replaces it.
        if (core::AskUser(ReplaceQuestionText(paused, shown, seconds), MB_YESNO | MB_DEFBUTTON2) != IDYES) return;
        PushButton2_Click();
        ShowCountdownInTray();
    }
    // As the user's picks: each is shown and stored.
    SetPickerText(cboHrs_, core::ZeroPad(seconds / 3600, 2));
    SetPickerText(cboMins_, core::ZeroPad(seconds / 60 % 60, 2));
    SetPickerText(cboSecs_, core::ZeroPad(seconds % 60, 2));
    // Behind the tray icon the window is still minimised, and Start's minimise would only show it as a
    // minimised window on the taskbar: it comes back first, and Start sends it behind the icon again.
    if (core::program::HiddenInTray) {
        ui::ShowNormal(hwnd());
        core::program::HiddenInTray = false;
    }
    PushButton1_Click();
    ShowCountdownInTray();
}

}  // namespace app
