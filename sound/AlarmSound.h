// The alarm's sound as the windows that play and silence it share it: one owner keeps it (the first
// timer's window) and lends it to Time Expired and Alarm Options.
#pragma once

#include <cstdint>

namespace sound {

struct AlarmSound {
    // Sound buffer of the last alarm or alarm test; 0 until the first one.
    std::int32_t buffer = 0;
    // Time Expired windows up: the sound and the alarm's hold on the system last until the last of
    // them is answered.
    int ringing = 0;
};

}  // namespace sound
