// Which colours a window of the layouts draws with: the layouts' own, or the system's where the user's
// colour scheme would make a text vanish against a background the layouts fix. No platform here:
// colours are 0x00BBGGRR values as the system hands them out.
#pragma once

#include <cstdint>

namespace ui {

using Colour = std::uint32_t;  // 0x00BBGGRR

// The layouts' fixed background: every window, frame, label, check box and push button starts white.
inline constexpr Colour kLayoutWhite = 0x00FFFFFF;

// The least contrast a text needs against its background to stay readable (WCAG 2, normal text).
inline constexpr double kReadableContrast = 4.5;

// The system colours the windows' texts and backgrounds can take.
struct SystemColours {
    Colour window;      // COLOR_WINDOW
    Colour windowText;  // COLOR_WINDOWTEXT
    Colour buttonFace;  // COLOR_BTNFACE
    Colour buttonText;  // COLOR_BTNTEXT
    Colour grayText;    // COLOR_GRAYTEXT
};

// What one window paints.
struct WindowColours {
    Colour backdrop;        // the window, its frames, labels and check box
    Colour text;            // their texts
    Colour buttonFace;      // push buttons
    Colour buttonText;
    Colour buttonGrayText;  // a disabled push button's caption
    bool system;            // true when the system's colours have replaced the layout's
};

// The contrast ratio of two colours, 1 to 21, as WCAG 2 defines it from their relative luminance.
double ContrastRatio(Colour a, Colour b);

// Whether a window must draw with the system's colours: always in high-contrast mode, and otherwise
// when a system text colour falls below the readable contrast against the background it is drawn on:
// the window text against white, or against the button face where that is the window's backdrop
// (faceBackdrop, ApplyFaceColor); the button text against the push buttons' fixed white. A disabled
// caption is left out: a control that takes no input owes no contrast, and the grey of the standard
// schemes is below it on white.
bool NeedsSystemColours(const SystemColours& system, bool highContrast, bool faceBackdrop);

// The colours of a window: the layout's (white, or the button face behind the texts, with the system's
// text colours) or, with useSystem, the system's own pairs of background and text.
WindowColours ColoursFor(const SystemColours& system, bool faceBackdrop, bool useSystem);

}  // namespace ui
