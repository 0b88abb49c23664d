// A waitable timer that wakes a sleeping computer at an instant: set to the countdown's end while a
// countdown runs, so that the alarm rings on time even when the user put the machine to sleep
// meanwhile. Only where the machine and its power plan allow wake timers: the program never counts on
// it, and a machine that slept through the end rings as soon as it wakes.
#pragma once

#include "core/Handles.h"

#include <windows.h>

#include <cstdint>
#include <functional>

namespace ui {

class WakeTimer {
public:
    // The system calls behind the timer; a test listens in between.
    struct System {
        // Relative, in 100 ns clock units.
        std::function<void(std::int64_t dueIn)> set;
        std::function<void()> cancel;
    };

    WakeTimer();
    WakeTimer(const WakeTimer&) = delete;
    WakeTimer& operator=(const WakeTimer&) = delete;

    void UseSystem(System system) { system_ = std::move(system); }

    // Sets the timer dueIn clock units from now, replacing an earlier time.
    void Set(std::int64_t dueIn);
    // Cancels the timer when it is set.
    void Cancel();
    bool IsSet() const { return set_; }

private:
    void SetOnSystem(std::int64_t dueIn);
    void CancelOnSystem();

    core::UniqueKernelObject handle_;
    System system_;
    bool set_ = false;
};

}  // namespace ui
