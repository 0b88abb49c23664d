// Progress picture: the design scaled by whole design pixels, then the frame marked by angle, then the
// pause sign.
#include "tray/ProgressPicture.h"

#include "resources/TrayPicture.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tray {

namespace {

// Two upright bars, each size / 8 wide (at least 2) with a gap as wide, half the picture high, centred,
// on a ground one pixel larger all round that parts them from the 'V'.
void DrawPauseSign(std::vector<std::uint32_t>& pixels, int size) {
    namespace art = resources::tray_picture;
    const int bar = std::max(2, size / 8);
    const int width = 3 * bar;
    const int height = size / 2;
    const int left = (size - width) / 2;
    const int top = (size - height) / 2;
    for (int y = top - 1; y <= top + height; ++y) {
        for (int x = left - 1; x <= left + width; ++x) {
            const bool inBar = y >= top && y < top + height && x >= left && x < left + width &&
                               (x < left + bar || x >= left + 2 * bar);
            pixels[static_cast<std::size_t>(y * size + x)] = inBar ? art::kBlack : art::kLightCyan;
        }
    }
}

}  // namespace

std::vector<std::uint32_t> DrawProgressPicture(int size, double shareLeft, bool paused) {
    namespace art = resources::tray_picture;
    if (size <= 0) return {};
    const double share = std::clamp(shareLeft, 0.0, 1.0);
    const int frame = ProgressFrameWidth(size);
    // The mark covers the frame pixels whose angle, clockwise from twelve o'clock, lies in the
    // share left at the end of the turn: the part before it has run out.
    const double emptyUpTo = (1.0 - share) * 2.0 * std::numbers::pi;
    const double centre = size / 2.0;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(size) * static_cast<std::size_t>(size));
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            // Each pixel takes the design pixel under its centre.
            const int designX = (2 * x + 1) * art::kSize / (2 * size);
            const int designY = (2 * y + 1) * art::kSize / (2 * size);
            std::uint32_t colour = art::PixelAt(designX, designY);
            const bool onFrame = x < frame || y < frame || x >= size - frame || y >= size - frame;
            const bool onRim = x == 0 || y == 0 || x == size - 1 || y == size - 1;
            if (onFrame && !onRim && share > 0.0) {
                double angle = std::atan2(x + 0.5 - centre, centre - (y + 0.5));
                if (angle < 0) angle += 2.0 * std::numbers::pi;
                if (angle >= emptyUpTo) colour = kProgressMark;
            }
            pixels[static_cast<std::size_t>(y * size + x)] = colour;
        }
    }
    if (paused && size >= 8) DrawPauseSign(pixels, size);
    return pixels;
}

}  // namespace tray
