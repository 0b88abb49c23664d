// The tray picture while a countdown is loaded: the blue 'V' design with the share of time left
// marked along its frame and, while paused, a pause sign over the 'V', drawn as pixels at any icon size.
#pragma once

#include <cstdint>
#include <vector>

namespace tray {

// The mark's colour (0xAARRGGBB): a strong orange that stands out from the blue 'V', the light
// background and both light and dark taskbars.
inline constexpr std::uint32_t kProgressMark = 0xFFFF6A00;

// Pixels (0xAARRGGBB, rows top to bottom) of a size x size picture: the design picture, and on the
// frame around it (its outer size / 8 pixels, at least 2) the share of time left (0 to 1) in the
// mark's colour. The mark empties clockwise from twelve o'clock as time runs out: at 1 the whole
// frame is marked, at 0.5 its left half, at 0 nothing, which at 16 pixels is the design picture itself.
// The design is drawn from its shapes at every size but 16 (see ProgressPicture.cpp), never stretched.
// The frame's outermost pixels keep the design's black rim, so the mark stands out from light and dark
// taskbars alike. paused: two black bars on a light-cyan ground over the middle of the 'V'; the frame
// is the same as running.
std::vector<std::uint32_t> DrawProgressPicture(int size, double shareLeft, bool paused = false);

// The frame's width at a size.
constexpr int ProgressFrameWidth(int size) { return size / 8 > 2 ? size / 8 : 2; }

// The width of the design's black rim at a size, which the mark leaves as it is.
constexpr int ProgressRimWidth(int size) { return size / 16 > 1 ? size / 16 : 1; }

}  // namespace tray
