// Countdown accuracy: how late a 60-second countdown expires, with our Timer1 and with the platform's
// plain window timer side by side in one run, once with an idle thread and once with the GUI thread
// blocked for 2 s in the middle. A fresh 60-second countdown expires on its 610th tick, 61.000 s
// after Start; lateness is the time from Start to that tick minus 61.000 s.
#include "ui/Clock.h"
#include "ui/Timer.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kExpiringTick = 610;  // 10 x (60 + 1)

struct Run {
    double ours = -1;       // seconds late
    double reference = -1;  // seconds late
};

// The platform's window timer, counting its ticks the way a tick-counting countdown would.
struct Reference {
    int ticks = 0;
    std::int64_t expiredAt = 0;
};

Run Measure(int seconds, bool blockInTheMiddle) {
    ui::MonotonicClock clock;
    Reference reference;
    int ticks = 0;
    std::int64_t oursExpiredAt = 0;
    ui::Timer timer([&] {
        if (++ticks == 10 * (seconds + 1)) oursExpiredAt = clock.Now();
    });

    const std::int64_t start = clock.Now();
    timer.SetEnabled(true);
    timer.SetInterval(100);
    // A thread timer: its WM_TIMER messages come with no window and are counted below.
    const UINT_PTR plain = SetTimer(nullptr, 0, 100, nullptr);
    bool blocked = !blockInTheMiddle;
    const std::int64_t limit = start + static_cast<std::int64_t>(seconds + 30) * 10'000'000;
    while ((oursExpiredAt == 0 || reference.expiredAt == 0) && clock.Now() < limit) {
        if (!blocked && clock.Now() - start > static_cast<std::int64_t>(seconds) * 10'000'000 / 2) {
            blocked = true;
            Sleep(2000);  // the GUI thread is busy: ticks fall due without running
        }
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.hwnd == nullptr && msg.message == WM_TIMER && msg.wParam == plain) {
                if (++reference.ticks == kExpiringTick) reference.expiredAt = clock.Now();
                continue;
            }
            DispatchMessageW(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    KillTimer(nullptr, plain);
    timer.SetEnabled(false);
    const double expected = seconds + 1.0;
    Run run;
    if (oursExpiredAt) run.ours = (oursExpiredAt - start) / 1e7 - expected;
    if (reference.expiredAt) run.reference = (reference.expiredAt - start) / 1e7 - expected;
    return run;
}

void Print(const char* name, const Run& run) {
    std::printf("%-28s Timer1 late %8.1f ms   plain window timer late %9.1f ms   ratio %8.1f\n", name,
                run.ours * 1000, run.reference * 1000,
                run.ours > 0.0005 ? run.reference / run.ours : run.reference / 0.0005);
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
    std::printf("countdown of %d s: expected expiry %d.000 s after Start (tick %d)\n", seconds, seconds + 1,
                10 * (seconds + 1));
    Print("idle thread", Measure(seconds, false));
    Print("thread blocked 2 s", Measure(seconds, true));
    std::printf("target: Timer1 lateness under 20 ms in both cases\n");
    return 0;
}
