// The main window's taskbar button carries the countdown while the window has a button: the share of
// it gone, paused, the alarm up, or nothing when idle. It follows the countdown from outside its
// handlers, as the tray does.
#include "app/Form1.h"

#include <algorithm>

namespace app {

void Form1::ShowCountdownOnTaskbar(CountdownState state) {
    std::int32_t left = 0;
    if (state == CountdownState::Idle) {
        taskbarTotalSeconds_ = 0;
    } else {
        // In the display's whole seconds, so that the button changes at most once a second; the first
        // tick of a countdown shows it whole, so the most ever left is its length.
        left = static_cast<std::int32_t>(countdown_.TicksLeft() / 10);
        taskbarTotalSeconds_ = std::max(taskbarTotalSeconds_, left);
    }
    // Behind the tray icon or the Alarm Options window the window has no button; minimised to the
    // taskbar it has one.
    if (!IsWindowVisible(hwnd())) {
        TaskbarButton.ButtonGone();
        return;
    }
    const auto total = static_cast<std::uint64_t>(taskbarTotalSeconds_);
    switch (state) {
    case CountdownState::Running:
        TaskbarButton.Show(ui::TaskbarState::Normal, total - static_cast<std::uint64_t>(left), total);
        break;
    case CountdownState::Paused:
        TaskbarButton.Show(ui::TaskbarState::Paused, total - static_cast<std::uint64_t>(left), total);
        break;
    case CountdownState::Idle:
        // The alarm rings from the expiring tick until the reset that follows Time Expired's answer;
        // a countdown paused before its first tick still shows the idle text, and shows the same.
        if (countdown_.Expired() || countdown_.State() == CountdownState::Paused) {
            TaskbarButton.Show(ui::TaskbarState::Error, 1, 1);
        } else {
            TaskbarButton.Show(ui::TaskbarState::NoProgress);
        }
        break;
    }
}

}  // namespace app
