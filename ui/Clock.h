// A monotonic clock in 100-nanosecond units that keeps counting while the computer sleeps and is
// never adjusted by the user or time service, so waits and timers stay right across midnight.
#pragma once

#include <windows.h>

#include <cstdint>

namespace ui {

class MonotonicClock {
public:
    MonotonicClock();
    // Now, in 100 ns units since an arbitrary start.
    std::int64_t Now() const;

private:
    using QueryFn = void(WINAPI*)(PULONGLONG);
    // Interrupt time counts sleep and hibernation (Windows 10 and later); the performance counter is
    // the fallback on older systems.
    QueryFn interruptTime_ = nullptr;
    std::int64_t frequency_ = 0;
};

constexpr std::int64_t kClockUnitsPerMs = 10'000;

// The system's clock (the wall time, which the user and the time service may set): milliseconds since
// 1 January 1601, UTC, as the records keep ends and Time Expired tells how long ago one was.
std::int64_t UtcNowMs();

}  // namespace ui
