// Twips to pixels, window sizes and fonts.
#include "ui/Layout.h"

#include "ui/Dpi.h"

#include <cmath>

namespace ui {

int TwipsToPixels(int twips, int dpi) { return MulDiv(twips, dpi, kTwipsPerInch); }

PixelRect ToPixels(const TwipsRect& r, int dpi) {
    return {TwipsToPixels(r.left, dpi), TwipsToPixels(r.top, dpi), TwipsToPixels(r.width, dpi),
            TwipsToPixels(r.height, dpi)};
}

PixelRect ToPixels(const TwipsRect& frame, const TwipsRect& r, int dpi) {
    return ToPixels(TwipsRect{frame.left + r.left, frame.top + r.top, r.width, r.height}, dpi);
}

core::UniqueFont CreateArialBold(double points, int dpi) {
    const int height = -static_cast<int>(std::lround(points * dpi / 72.0));
    return core::UniqueFont(CreateFontW(height, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET,
                                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                  DEFAULT_PITCH | FF_SWISS, L"Arial"));
}

SIZE WindowSizeForClient(int clientWidthTwips, int clientHeightTwips, DWORD style, DWORD exStyle, int dpi) {
    RECT r{0, 0, TwipsToPixels(clientWidthTwips, dpi), TwipsToPixels(clientHeightTwips, dpi)};
    AdjustWindowRectForDpi(r, style, exStyle, dpi);
    return {r.right - r.left, r.bottom - r.top};
}

void SetClientSize(HWND window, int width, int height) {
    RECT outer{};
    RECT client{};
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    if (client.right == width && client.bottom == height) return;
    SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left + width - client.right,
                 outer.bottom - outer.top + height - client.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

POINT CentredOnScreen(SIZE windowSize) {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return {work.left + (work.right - work.left - windowSize.cx) / 2,
            work.top + (work.bottom - work.top - windowSize.cy) / 2};
}

}  // namespace ui
