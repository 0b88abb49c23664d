// Tray cadence: the hover as the shell's moves report it.
#include "tray/TrayCadence.h"

namespace tray {

void TrayCadence::PointerOverIcon(std::int64_t nowMs, Point at) {
    reported_ = true;
    reportedAtMs_ = nowMs;
    reportedAt_ = at;
}

bool TrayCadence::Hovered(std::int64_t nowMs, Point cursor) const {
    return reported_ && (nowMs - reportedAtMs_ < kHoverLingerMs || cursor == reportedAt_);
}

}  // namespace tray
