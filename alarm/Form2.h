// The " Time Expired" window: shown modally from inside the countdown's expiring tick. "OK" silences the
// alarm; "OK -> Restart Timer / Count Down Again" also asks the countdown to run again.
#pragma once

#include "core/ErrorReport.h"
#include "core/Modal.h"
#include "core/Program.h"
#include "ui/Attention.h"
#include "ui/Controls.h"
#include "ui/PushButton.h"
#include "ui/Window.h"
#include "ui/WindowPointer.h"

#include <functional>
#include <optional>

namespace alarm {

class Form2 : public ui::Window {
public:
    explicit Form2(core::Trap::Reporter reporter = core::ShowErrorReport);
    // attention: the taskbar flash and the awake request, kept by the caller so it can be listened to.
    Form2(core::Trap::Reporter reporter, ui::Attention& attention);
    ~Form2() override;

    // Creates the window, runs its load, shows it modally over owner and returns once it is unloaded.
    // Modal for the whole program: no other window of it takes input meanwhile. Topmost while up, and
    // it keeps the system and the display awake. It takes the keyboard, with the focus on "OK", when
    // asked to and the system lets it; otherwise it shows without taking the other program's keystrokes
    // and flashes its taskbar button instead. onceUp, when given, runs once the window is up and the user
    // has it in front (at once when it took the keyboard): a message about the alarm waits for that, owned
    // by this window, so that it holds up neither the alarm nor another program's typing.
    void ShowModal(HWND owner, bool takeKeyboard = true, std::function<void()> onceUp = {});

    void Form_Load();
    void PushButton1_Click();
    void PushButton2_Click();

    ui::PushButton PushButton1;
    ui::PushButton PushButton2;
    ui::WindowPointer Pointer;

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void Unload();
    // The end both buttons share: stop the alarm, let its buffer come back, close.
    void SilenceAndUnload(core::Trap& trap, int firstLine);

    core::Trap::Reporter reporter_;
    ui::Attention ownAttention_;
    ui::Attention& attention_;
    ui::FontSet fonts_;
    HWND owner_ = nullptr;
    std::optional<core::ThreadModality> modality_;
    std::function<void()> onceUp_;
};

}  // namespace alarm
