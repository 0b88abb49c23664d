// Wake timer: CreateWaitableTimerW and SetWaitableTimer with resume; a refusal is not reported.
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
    // An absolute due time, in UTC: the instant the machine must be awake at, whatever the system does
    // or does not count of the time it spends asleep in a relative wait.
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    LARGE_INTEGER due{};
    due.QuadPart = static_cast<LONGLONG>((static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime) + dueIn;
    // Nobody waits on the handle: its only job is to wake the machine. A refused timer, or one the
    // system cannot wake for (it succeeds then, with ERROR_NOT_SUPPORTED as its last error), is no
    // error for the user: the countdown goes on, the computer is kept awake while it runs, and one
    // put to sleep rings when it wakes. A refused handle is made anew next time.
    if (!SetWaitableTimer(handle_.get(), &due, 0, nullptr, nullptr, TRUE)) handle_.reset();
}

void WakeTimer::CancelOnSystem() {
    if (handle_) CancelWaitableTimer(handle_.get());
}

}  // namespace ui
