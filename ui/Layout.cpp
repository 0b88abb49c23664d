// Twips to pixels, window sizes and fonts.
#include "ui/Layout.h"

#include <cmath>

namespace ui {
namespace {

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

}  // namespace

int TwipsToPixels(int twips) { return MulDiv(twips, ScreenDpi(), kTwipsPerInch); }

PixelRect ToPixels(const TwipsRect& r) {
    return {TwipsToPixels(r.left), TwipsToPixels(r.top), TwipsToPixels(r.width), TwipsToPixels(r.height)};
}

PixelRect ToPixels(const TwipsRect& frame, const TwipsRect& r) {
    return ToPixels(TwipsRect{frame.left + r.left, frame.top + r.top, r.width, r.height});
}

UniqueFont CreateArialBold(double points) {
    const int height = -static_cast<int>(std::lround(points * ScreenDpi() / 72.0));
    return UniqueFont(CreateFontW(height, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET,
                                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                  DEFAULT_PITCH | FF_SWISS, L"Arial"));
}

SIZE WindowSizeForClient(int clientWidthTwips, int clientHeightTwips, DWORD style, DWORD exStyle) {
    RECT r{0, 0, TwipsToPixels(clientWidthTwips), TwipsToPixels(clientHeightTwips)};
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    return {r.right - r.left, r.bottom - r.top};
}

POINT CentredOnScreen(SIZE windowSize) {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return {work.left + (work.right - work.left - windowSize.cx) / 2,
            work.top + (work.bottom - work.top - windowSize.cy) / 2};
}

}  // namespace ui
