// The " Time Expired" window: shown by the countdown's expiring tick, which returns at once; its answer
// comes back through a callback. "OK" silences the alarm; "OK -> Restart Timer / Count Down Again" also
// asks the countdown to run again; "+1 min", "+5 min" and "+10 min" ask it to run again for that long.
// A line under the buttons says when the time ran out and how long ago.
#pragma once

#include "core/ErrorReport.h"
#include "core/Modal.h"
#include "core/Program.h"
#include "sound/AlarmSound.h"
#include "ui/Attention.h"
#include "ui/Controls.h"
#include "ui/LiveRegion.h"
#include "ui/PushButton.h"
#include "ui/Window.h"
#include "ui/WindowPointer.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace alarm {

class Form2 : public ui::Window {
public:
    // attention: the taskbar flash and the awake request, kept by the caller so it can be listened to;
    // alarm: the sound the buttons stop.
    Form2(core::Trap::Reporter reporter, ui::Attention& attention, sound::AlarmSound& alarm);
    ~Form2() override;

    // Creates the window, runs its load, shows it over owner and returns. answered(restart, snoozeSeconds)
    // runs once when it is answered, however (OK, Restart, a snooze, Escape, the close box), with the
    // snooze's length in seconds (0 for any other answer), just before the window gives
    // the other windows their input back and goes: it notes the answer (posts it) for the owner to act
    // on once this window's handler has returned, and must not destroy this object. Modal for the whole
    // program: no other window of it takes input meanwhile, except other Time Expired windows, which
    // can be answered in any order. Topmost while up, and it keeps the system and the display awake. It
    // takes the keyboard, with the focus on "OK", when asked to and the system lets it; otherwise it
    // shows without taking the other program's keystrokes and flashes its taskbar button instead.
    // onceUp, when given, runs once the window is up and the user has it in front (at once when it took
    // the keyboard): a message about the alarm waits for that, owned by this window, so that it holds
    // up neither the alarm nor another program's typing.
    void Show(HWND owner, bool takeKeyboard, std::function<void()> onceUp,
              std::function<void(bool restart, std::int32_t snoozeSeconds)> answered);
    // The program is ending: the window goes without an answer, giving back what it holds.
    void Withdraw();

    // The label of the timer that rang, named in the caption (" Time Expired - Tea"); empty for none.
    std::wstring label;
    // How many other Time Expired windows are up: this one opens set down and right of them by as many
    // caption heights, so that none hides another.
    int cascade = 0;
    // When the time ran out, in milliseconds since 1601 UTC (0: not known), and the line that says so
    // for a moment of the system's clock ("Ended at 17:30, 3 min ago"): shown when the window comes up
    // and again at each whole minute after the end, when onMinute runs too. No line without endedText.
    std::int64_t endedUtc = 0;
    std::function<std::wstring(std::int64_t nowUtc)> endedText;
    std::function<void()> onMinute;

    void Form_Load();
    void PlaceOnOwnersMonitor(HWND owner);
    void PushButton1_Click();
    void PushButton2_Click();
    // The snooze buttons, and a snooze of any length (a script's "/add" for a ringing timer): silences
    // the alarm and closes as OK does, asking the countdown to run again for that many seconds.
    void PushButton3_Click() { Snooze(60); }
    void PushButton4_Click() { Snooze(5 * 60); }
    void PushButton5_Click() { Snooze(10 * 60); }
    void Snooze(std::int32_t seconds);

    ui::PushButton PushButton1;
    ui::PushButton PushButton2;
    ui::PushButton PushButton3;
    ui::PushButton PushButton4;
    ui::PushButton PushButton5;
    ui::WindowPointer Pointer;

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void Unload();
    // The end both buttons share: stop the alarm, let its buffer come back, close.
    void SilenceAndUnload(core::Trap& trap, int firstLine);
    // This window no longer rings: the hold on the system goes with the last one up.
    void StopRinging();
    // The ended line as the clock stands, and the wait for its next minute.
    void ShowEnded();

    core::Trap::Reporter reporter_;
    ui::Attention& attention_;
    sound::AlarmSound& alarm_;
    ui::FontSet fonts_;
    HWND owner_ = nullptr;
    std::optional<core::ThreadModality> modality_;
    std::function<void()> onceUp_;
    std::function<void(bool restart, std::int32_t snoozeSeconds)> answered_;
    bool restartRequested_ = false;
    std::int32_t snoozeSeconds_ = 0;
    HWND lblEnded_ = nullptr;
    ui::LiveRegion liveRegion_;
    bool ringing_ = false;
};

}  // namespace alarm
