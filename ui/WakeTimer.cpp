// Wake timer: CreateWaitableTimerW and SetWaitableTimer with resume, results deliberately unused.
#include "ui/WakeTimer.h"

#include <algorithm>

namespace ui {

WakeTimer::WakeTimer()
    : system_{[this](std::int64_t dueIn) { SetOnSystem(dueIn); }, [this] { CancelOnSystem(); }} {}

void WakeTimer::Set(std::int64_t dueIn) {
    if (system_.set) system_.set(std::max<std::int64_t>(dueIn, 1));
    set_ = true;
}

void WakeTimer::Cancel() {
    if (!set_) return;
    set_ = false;
    if (system_.cancel) system_.cancel();
}

void WakeTimer::SetOnSystem(std::int64_t dueIn) {
    if (!handle_) handle_.reset(CreateWaitableTimerW(nullptr, TRUE, nullptr));
    if (!handle_) return;
    // A negative due time is relative; relative times run on interrupt time, which counts sleep.
    LARGE_INTEGER due{};
    due.QuadPart = -dueIn;
    // Nobody waits on the handle: its only job is to wake the machine. Where the system cannot wake
    // (ERROR_NOT_SUPPORTED) or the power plan forbids wake timers, the countdown works as before and
    // nothing is reported.
    SetWaitableTimer(handle_.get(), &due, 0, nullptr, nullptr, TRUE);
}

void WakeTimer::CancelOnSystem() {
    if (handle_) CancelWaitableTimer(handle_.get());
}

}  // namespace ui
