// A countdown timer's state, without the platform: idle, running, paused or ringing, the time left as
// the next tick shows it, and when it ends. A timer window draws its buttons and display from it.
#pragma once

#include <cstdint>

namespace core {

// What a timer is doing, as its buttons, switches, questions, records, tray line and taskbar button see
// it. Ringing: the time ran out and the alarm has not been answered (neither reset nor run again since).
enum class CountdownState { Idle, Running, Paused, Ringing };

// Ticks from now up to and including the expiring one, for the count held between ticks. It is also
// the value, in tenths, that the display shows: a tick shows before it counts down.
constexpr std::int64_t TicksLeft(std::int32_t secondsLeft, std::int16_t tenthsLeft) {
    return std::int64_t{secondsLeft} * 10 + tenthsLeft + 1;
}

class Countdown {
public:
    // A countdown paused before its first tick still shows the idle text and is loaded afresh by the
    // next start: it counts as idle. One that runs counts as running from Start on.
    CountdownState State() const {
        if (expired_) return CountdownState::Ringing;
        if (state_ == CountdownState::Paused && !ticked_) return CountdownState::Idle;
        return state_;
    }
    // The state as the display, the tray and the taskbar button show it: a countdown that has not
    // ticked yet still shows the idle text, and counts as idle there.
    CountdownState Shown() const { return ticked_ || expired_ ? State() : CountdownState::Idle; }
    // Whether a tick has counted since the countdown was loaded. Until then the display still shows the
    // idle text, and a start loads the countdown afresh.
    bool Ticked() const { return ticked_; }
    // Whole seconds and the tenths digit the next tick shows.
    std::int32_t SecondsLeft() const { return secondsLeft_; }
    std::int16_t TenthsLeft() const { return tenthsLeft_; }
    std::int64_t TicksLeft() const { return core::TicksLeft(secondsLeft_, tenthsLeft_); }
    // When the expiring tick falls due, in milliseconds since 1601 UTC; 0 unless running.
    std::int64_t EndsAt() const { return endsAt_; }
    // While ringing: when the time ran out (the end it was counting to), in the same milliseconds.
    std::int64_t EndedAt() const { return endedAt_; }

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
    // A countdown that ran out at endedUtc while the program was not running, or whose alarm was up
    // when the program ended: it runs with its expiring tick to come, and rings having ended then.
    void RestoreRinging(std::int64_t endedUtc, std::int64_t nowUtc);
    // A fresh start that was asked for at askedUtc and made at nowUtc: the whole tenths in between
    // count as gone, so that it ends when it would have had it started at once (the expiring tick
    // always stays to come).
    void CountFrom(std::int64_t askedUtc, std::int64_t nowUtc);
    // More time for a countdown that runs or is paused: `seconds` more left, and so a later end; the
    // whole seconds left stay within mostSeconds (one already beyond keeps what it has). Any other
    // countdown is left as it is.
    void Add(std::int32_t seconds, std::int32_t mostSeconds);
    // Counts one tenth down, and a whole second when the tenths digit passes 0. Returns true for the
    // tick that showed the last tenth: the countdown then rings until it is reset or run again.
    bool Tick();

private:
    CountdownState state_ = CountdownState::Idle;
    bool ticked_ = false;
    bool expired_ = false;
    std::int32_t secondsLeft_ = 0;
    std::int16_t tenthsLeft_ = 0;
    std::int64_t runFrom_ = 0;
    std::int64_t endsAt_ = 0;
    std::int64_t endedAt_ = 0;
};

}  // namespace core
