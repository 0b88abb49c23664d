// The countdown's state changes, as Start/Pause, Reset and the tick make them.
#include "core/Countdown.h"

#include <algorithm>

namespace core {

void Countdown::Run(std::int64_t nowUtc) {
    state_ = CountdownState::Running;
    expired_ = false;
    runFrom_ = nowUtc;
    endsAt_ = runFrom_ + TicksLeft() * 100;
}

void Countdown::Load(std::int32_t lengthSeconds) {
    secondsLeft_ = lengthSeconds;
    tenthsLeft_ = 9;
    ticked_ = false;
    if (state_ == CountdownState::Running) endsAt_ = runFrom_ + TicksLeft() * 100;
}

void Countdown::Pause() {
    if (state_ == CountdownState::Running) state_ = CountdownState::Paused;
    endsAt_ = 0;
}

void Countdown::Reset() {
    state_ = CountdownState::Idle;
    ticked_ = false;
    expired_ = false;
    secondsLeft_ = 0;
    tenthsLeft_ = 0;
    endsAt_ = 0;
    endedAt_ = 0;
}

void Countdown::Restore(std::int64_t ticksLeft, bool running, std::int64_t nowUtc) {
    const std::int64_t left = ticksLeft < 1 ? 0 : ticksLeft - 1;
    secondsLeft_ = static_cast<std::int32_t>(left / 10);
    tenthsLeft_ = static_cast<std::int16_t>(left % 10);
    ticked_ = true;
    expired_ = false;
    state_ = CountdownState::Paused;
    endsAt_ = 0;
    if (running) Run(nowUtc);
}

void Countdown::RestoreRinging(std::int64_t endedUtc, std::int64_t nowUtc) {
    Restore(1, true, nowUtc);
    endsAt_ = endedUtc;
}

void Countdown::CountFrom(std::int64_t askedUtc, std::int64_t nowUtc) {
    if (state_ != CountdownState::Running || nowUtc <= askedUtc) return;
    const std::int64_t gone = std::min((nowUtc - askedUtc) / 100, TicksLeft() - 1);
    if (gone > 0) Restore(TicksLeft() - gone, true, nowUtc);
}

void Countdown::Add(std::int32_t seconds, std::int32_t mostSeconds) {
    const CountdownState state = State();
    if (state != CountdownState::Running && state != CountdownState::Paused) return;
    const std::int64_t wanted = std::min<std::int64_t>(std::int64_t{secondsLeft_} + seconds, mostSeconds);
    const std::int64_t added = std::max<std::int64_t>(wanted - secondsLeft_, 0);
    secondsLeft_ += static_cast<std::int32_t>(added);
    if (state == CountdownState::Running) endsAt_ += added * 1000;
}

bool Countdown::Tick() {
    ticked_ = true;
    if (--tenthsLeft_ < 0) {
        tenthsLeft_ = 9;
        --secondsLeft_;
    }
    if (secondsLeft_ >= 0) return false;
    state_ = CountdownState::Idle;
    expired_ = true;
    endedAt_ = endsAt_;
    endsAt_ = 0;
    return true;
}

}  // namespace core
