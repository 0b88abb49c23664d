// The colour rule: relative luminance and contrast as WCAG 2 gives them, and the choice of colours.
#include "ui/ColourRule.h"

#include <algorithm>
#include <cmath>

namespace ui {
namespace {

double Channel(Colour colour, int shift) {
    const double c = static_cast<double>((colour >> shift) & 0xFF) / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double Luminance(Colour colour) {
    // 0x00BBGGRR: red in the lowest byte.
    return 0.2126 * Channel(colour, 0) + 0.7152 * Channel(colour, 8) + 0.0722 * Channel(colour, 16);
}

bool Readable(Colour text, Colour background) { return ContrastRatio(text, background) >= kReadableContrast; }

}  // namespace

double ContrastRatio(Colour a, Colour b) {
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

bool NeedsSystemColours(const SystemColours& system, bool highContrast, bool faceBackdrop) {
    if (highContrast) return true;
    if (!Readable(system.windowText, faceBackdrop ? system.buttonFace : kLayoutWhite)) return true;
    return !Readable(system.buttonText, kLayoutWhite);
}

WindowColours ColoursFor(const SystemColours& system, bool faceBackdrop, bool useSystem) {
    if (!useSystem) {
        return {faceBackdrop ? system.buttonFace : kLayoutWhite, system.windowText, kLayoutWhite, system.buttonText,
                system.grayText, false};
    }
    // The system's own pairs: window text on the window colour, button text on the button face.
    return {faceBackdrop ? system.buttonFace : system.window,
            faceBackdrop ? system.buttonText : system.windowText,
            system.buttonFace,
            system.buttonText,
            system.grayText,
            true};
}

}  // namespace ui
