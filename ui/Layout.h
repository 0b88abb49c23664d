// Geometry and fonts of the layouts: positions are kept in twips, as the layouts give them, and turned
// into pixels here only, at the DPI of the window they are for; every font of the program is Arial bold
// in one of three sizes.
#pragma once

#include "core/Handles.h"

#include <windows.h>

namespace ui {

constexpr int kTwipsPerInch = 1440;

// Twips to pixels at the given DPI (15 twips per pixel at 96 dots per inch), rounded.
int TwipsToPixels(int twips, int dpi);

struct TwipsRect {
    int left;
    int top;
    int width;
    int height;
};

struct PixelRect {
    int x;
    int y;
    int width;
    int height;
};

PixelRect ToPixels(const TwipsRect& r, int dpi);
// A control inside a frame: its position is relative to the frame's top-left corner.
PixelRect ToPixels(const TwipsRect& frame, const TwipsRect& r, int dpi);

// Arial, bold, character set 0, at the given size in points (9, 11.25 or 24 in the layouts) and DPI.
core::UniqueFont CreateArialBold(double points, int dpi);

// Outer window size for a client area of the given size (in twips) with the given styles and DPI.
SIZE WindowSizeForClient(int clientWidthTwips, int clientHeightTwips, DWORD style, DWORD exStyle, int dpi);

// Makes the window's client area exactly width x height pixels, keeping its top-left corner. The frame
// is measured on the window itself, so the result holds whatever metrics the system draws it with.
void SetClientSize(HWND window, int width, int height);

// Top-left position that centres a window of the given size on the primary screen's work area.
POINT CentredOnScreen(SIZE windowSize);

}  // namespace ui
