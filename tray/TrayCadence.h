// When the tray icon is rewritten. The shell redraws an icon at every change, though its tip is read
// only while the pointer rests on the icon: while nobody looks, a tip that changes is sent only with a
// new picture or a new quiet key (what of the tip must never be stale, such as the minute of a time
// left); while the pointer is over the icon, every change of the tip goes at once.
#pragma once

#include <cstdint>
#include <optional>

namespace tray {

class TrayCadence {
public:
    // The shell reports the pointer over the icon (the callback's WM_MOUSEMOVE) only while it moves.
    // The hover lasts while the pointer rests where it was last reported, and this long after it moved.
    static constexpr std::int64_t kHoverLingerMs = 2000;

    struct Point {
        std::int32_t x = 0;
        std::int32_t y = 0;
        bool operator==(const Point&) const = default;
    };

    // The shell reported the pointer over the icon at nowMs, with the cursor at `at`.
    void PointerOverIcon(std::int64_t nowMs, Point at);
    // Whether the tip may be read now, with the cursor at `cursor`.
    bool Hovered(std::int64_t nowMs, Point cursor) const;

    // Whether a changed tip, with no new picture, goes to the shell now.
    bool TipDue(std::int64_t quietKey, bool hovered) const { return hovered || !sentKey_ || quietKey != *sentKey_; }
    // The shell was told the tip that belongs to quietKey.
    void Sent(std::int64_t quietKey) { sentKey_ = quietKey; }

private:
    bool reported_ = false;
    std::int64_t reportedAtMs_ = 0;
    Point reportedAt_;
    std::optional<std::int64_t> sentKey_;
};

}  // namespace tray
