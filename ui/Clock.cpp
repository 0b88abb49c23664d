// Monotonic clock: precise interrupt time where the system has it, else the performance counter.
#include "ui/Clock.h"

#include "ui/ProcAddress.h"

namespace ui {

MonotonicClock::MonotonicClock() {
    interruptTime_ = ProcAddress<QueryFn>(GetModuleHandleW(L"kernelbase.dll"), "QueryInterruptTimePrecise");
    LARGE_INTEGER f{};
    QueryPerformanceFrequency(&f);
    frequency_ = f.QuadPart > 0 ? f.QuadPart : 1;
}

std::int64_t MonotonicClock::Now() const {
    if (interruptTime_) {
        ULONGLONG t = 0;
        interruptTime_(&t);
        return static_cast<std::int64_t>(t);
    }
    LARGE_INTEGER c{};
    QueryPerformanceCounter(&c);
    // Split the conversion so that the multiplication cannot overflow after long uptimes.
    const std::int64_t whole = c.QuadPart / frequency_;
    const std::int64_t part = c.QuadPart % frequency_;
    return whole * 10'000'000 + part * 10'000'000 / frequency_;
}

std::int64_t UtcNowMs() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return static_cast<std::int64_t>((ULONGLONG{now.dwHighDateTime} << 32 | now.dwLowDateTime) / 10'000);
}

}  // namespace ui
