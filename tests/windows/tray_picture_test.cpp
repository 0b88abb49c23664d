// The tray control's own picture: a 16 x 16 icon with the blue 'V' the right way up and in its colours.
#include "tray/Picture.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

namespace {

struct IconPixels {
    std::array<std::uint32_t, 16 * 16> color{};  // 0x00RRGGBB
    std::array<std::uint32_t, 16 * 16> mask{};   // non-zero where the AND mask lets the background through
    int width = 0;
    int height = 0;
    std::uint32_t At(int x, int y) const { return color[static_cast<size_t>(y * 16 + x)] & 0xFFFFFF; }
};

IconPixels Read(HICON icon) {
    IconPixels out;
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return out;
    core::UniqueBitmap color(info.hbmColor);
    core::UniqueBitmap mask(info.hbmMask);
    BITMAP bm{};
    GetObjectW(color.get(), sizeof bm, &bm);
    out.width = bm.bmWidth;
    out.height = bm.bmHeight;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = 16;
    bi.bmiHeader.biHeight = -16;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, color.get(), 0, 16, out.color.data(), &bi, DIB_RGB_COLORS);
    GetDIBits(screen, mask.get(), 0, 16, out.mask.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return out;
}

constexpr std::uint32_t kBlack = 0x000000;
constexpr std::uint32_t kLightCyan = 0xB1FFFF;  // RGB(177, 255, 255)
constexpr std::uint32_t kBlue = 0x07A2FE;       // RGB(7, 162, 254)

TEST(TrayOwnPicture, IsA16By16IconWithABlackBorderOnLightCyan) {
    const tray::PictureRef picture = tray::CreateTrayPicture();
    ASSERT_TRUE(picture);
    ASSERT_EQ(picture->PictureType(), tray::Picture::Type::Icon);
    const IconPixels pixels = Read(picture->IconHandle());
    EXPECT_EQ(pixels.width, 16);
    EXPECT_EQ(pixels.height, 16);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(pixels.At(i, 0), kBlack) << i;
        EXPECT_EQ(pixels.At(i, 15), kBlack) << i;
        EXPECT_EQ(pixels.At(0, i), kBlack) << i;
        EXPECT_EQ(pixels.At(15, i), kBlack) << i;
    }
    EXPECT_EQ(pixels.At(1, 1), kLightCyan);
    EXPECT_EQ(pixels.At(7, 2), kLightCyan);
}

TEST(TrayOwnPicture, VStandsTheRightWayUpInBlueOutlinedInBlack) {
    const IconPixels pixels = Read(tray::CreateTrayPicture()->IconHandle());
    // The arms are wide apart at the top and meet at the bottom.
    EXPECT_EQ(pixels.At(3, 3), kBlue);
    EXPECT_EQ(pixels.At(12, 3), kBlue);
    EXPECT_EQ(pixels.At(7, 11), kBlue);
    EXPECT_EQ(pixels.At(2, 3), kBlack);
    EXPECT_EQ(pixels.At(7, 13), kBlack);
    EXPECT_EQ(pixels.At(3, 12), kLightCyan);
    EXPECT_EQ(pixels.At(7, 4), kLightCyan);
}

TEST(TrayOwnPicture, EveryPixelIsOpaque) {
    const IconPixels pixels = Read(tray::CreateTrayPicture()->IconHandle());
    for (std::size_t i = 0; i < pixels.mask.size(); ++i) EXPECT_EQ(pixels.mask[i] & 0xFFFFFF, 0u) << i;
}

TEST(TrayOwnPicture, EachControlGetsAPictureOfItsOwn) {
    const tray::PictureRef a = tray::CreateTrayPicture();
    const tray::PictureRef b = tray::CreateTrayPicture();
    EXPECT_NE(a->IconHandle(), b->IconHandle());
}

}  // namespace
