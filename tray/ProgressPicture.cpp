// Progress picture: the design at the picture's size, then the frame marked by angle, then the pause
// sign.
#include "tray/ProgressPicture.h"

#include "resources/TrayPicture.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tray {

namespace {

namespace art = resources::tray_picture;

double SegmentDistance(double x, double y, double ax, double ay, double bx, double by) {
    const double dx = bx - ax;
    const double dy = by - ay;
    const double t = std::clamp(((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
    return std::hypot(x - (ax + t * dx), y - (ay + t * dy));
}

// The 'V' of the 16 x 16 design as shapes, in design pixels: two strokes from the top corners to the
// bottom point, blue, 1.8 pixels wide, outlined in black 0.9 pixels wide, cut flat at the top.
std::uint32_t DesignColourAt(double x, double y) {
    if (y < 2.0) return art::kLightCyan;
    const double d = std::min(SegmentDistance(x, y, 4.0, 3.0, 8.0, 12.2), SegmentDistance(x, y, 12.0, 3.0, 8.0, 12.2));
    if (d < 0.9 && y >= 3.0) return art::kBlue;
    return d < 1.8 ? art::kBlack : art::kLightCyan;
}

// The design at size x size pixels: at 16 its own pixels; at every other size the 'V' drawn from its
// shapes with 4 x 4 samples a pixel, so that it keeps one smooth style at every scale, and the rim in
// whole pixels, size / 16 wide (at least 1).
std::vector<std::uint32_t> DrawDesign(int size) {
    if (size == art::kSize) return {art::kPixels.begin(), art::kPixels.end()};
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(size) * static_cast<std::size_t>(size));
    const int rim = ProgressRimWidth(size);
    const double scale = static_cast<double>(art::kSize) / size;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            std::uint32_t& pixel = pixels[static_cast<std::size_t>(y * size + x)];
            if (x < rim || y < rim || x >= size - rim || y >= size - rim) {
                pixel = art::kBlack;
                continue;
            }
            std::uint32_t r = 0;
            std::uint32_t g = 0;
            std::uint32_t b = 0;
            for (int sy = 0; sy < 4; ++sy) {
                for (int sx = 0; sx < 4; ++sx) {
                    const std::uint32_t c = DesignColourAt((x + (sx + 0.5) / 4) * scale, (y + (sy + 0.5) / 4) * scale);
                    r += (c >> 16) & 0xFF;
                    g += (c >> 8) & 0xFF;
                    b += c & 0xFF;
                }
            }
            pixel = 0xFF000000u | ((r + 8) / 16) << 16 | ((g + 8) / 16) << 8 | (b + 8) / 16;
        }
    }
    return pixels;
}

// Two upright bars, each size / 8 wide (at least 2) with a gap as wide, half the picture high, on a
// ground one pixel larger all round that parts them from the 'V'. Centred to the pixel: where the
// picture and the sign would differ by an odd number of pixels, the gap and the height take one more.
void DrawPauseSign(std::vector<std::uint32_t>& pixels, int size) {
    const int bar = std::max(2, size / 8);
    const int gap = bar + (size - 3 * bar) % 2;
    const int width = 2 * bar + gap;
    const int top = size / 4;
    const int height = size - 2 * top;
    const int left = (size - width) / 2;
    for (int y = top - 1; y <= top + height; ++y) {
        for (int x = left - 1; x <= left + width; ++x) {
            const bool inBar = y >= top && y < top + height && x >= left && x < left + width &&
                               (x < left + bar || x >= left + bar + gap);
            pixels[static_cast<std::size_t>(y * size + x)] = inBar ? art::kBlack : art::kLightCyan;
        }
    }
}

}  // namespace

std::vector<std::uint32_t> DrawProgressPicture(int size, double shareLeft, bool paused) {
    if (size <= 0) return {};
    const double share = std::clamp(shareLeft, 0.0, 1.0);
    const int frame = ProgressFrameWidth(size);
    // The mark covers the frame pixels whose angle, clockwise from twelve o'clock, lies in the
    // share left at the end of the turn: the part before it has run out.
    const double emptyUpTo = (1.0 - share) * 2.0 * std::numbers::pi;
    const double centre = size / 2.0;
    const int rim = ProgressRimWidth(size);
    std::vector<std::uint32_t> pixels = DrawDesign(size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const bool onFrame = x < frame || y < frame || x >= size - frame || y >= size - frame;
            const bool onRim = x < rim || y < rim || x >= size - rim || y >= size - rim;
            if (!onFrame || onRim || share <= 0.0) continue;
            double angle = std::atan2(x + 0.5 - centre, centre - (y + 0.5));
            if (angle < 0) angle += 2.0 * std::numbers::pi;
            if (angle >= emptyUpTo) pixels[static_cast<std::size_t>(y * size + x)] = kProgressMark;
        }
    }
    if (paused && size >= 8) DrawPauseSign(pixels, size);
    return pixels;
}

}  // namespace tray
