// A countdown timer's state, without the platform: idle, running or paused, the time left
// as the next tick shows it, and when it ends. The main window draws its buttons and display from it.
#pragma once

#include <cstdint>

namespace core {

enum class CountdownState { Idle, Running, Paused };

// Ticks from now up to and including the expiring one, for the count held between ticks. It is also
// the value, in tenths, that the display shows: a tick shows before it counts down.
constexpr std::int64_t TicksLeft(std::int32_t secondsLeft, std::int16_t tenthsLeft) {
    return std::int64_t{secondsLeft} * 10 + tenthsLeft + 1;
}

class Countdown {
public:
    CountdownState State() const { return state_; }
    // Whether a tick has counted since the countdown was loaded. Until then the display still shows the
    // idle text, and a start loads the countdown afresh.
    bool Ticked() const { return ticked_; }
    // The time ran out and the countdown has been neither reset nor run again since.
    bool Expired() const { return expired_; }
    // Whole seconds and the tenths digit the next tick shows.
    std::int32_t SecondsLeft() const { return secondsLeft_; }
    std::int16_t TenthsLeft() const { return tenthsLeft_; }
    std::int64_t TicksLeft() const { return core::TicksLeft(secondsLeft_, tenthsLeft_); }
    // When the expiring tick falls due, in milliseconds since 1601 UTC; 0 unless running.
    std::int64_t EndsAt() const { return endsAt_; }

    // Start on a countdown that does not run: it runs from nowUtc on, the time left as it stands (a
    // paused one resumes). A fresh start then loads its count.
    void Run(std::int64_t nowUtc);
    // A fresh start's count: the whole length, and 9 as the tenths digit its first tick shows.
    void Load(std::int32_t lengthSeconds);
    void Pause();
    void Reset();
    // A countdown kept while the program was not running: counted already, `ticksLeft` ticks to go (the
    // expiring one included, at least 1), running from nowUtc on or paused.
    void Restore(std::int64_t ticksLeft, bool running, std::int64_t nowUtc);
    // Counts one tenth down, and a whole second when the tenths digit passes 0. Returns true for the
    // tick that showed the last tenth: the countdown is then idle and expired.
    bool Tick();

private:
    CountdownState state_ = CountdownState::Idle;
    bool ticked_ = false;
    bool expired_ = false;
    std::int32_t secondsLeft_ = 0;
    std::int16_t tenthsLeft_ = 0;
    std::int64_t runFrom_ = 0;
    std::int64_t endsAt_ = 0;
};

}  // namespace core
