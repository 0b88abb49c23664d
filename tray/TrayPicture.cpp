// Makes the tray control's own picture, the 16 x 16 blue 'V', into an icon from its pixel data.
#include "tray/Picture.h"

#include "resources/TrayPicture.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace tray {

PictureRef CreateTrayPicture() {
    namespace art = resources::tray_picture;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = art::kSize;
    info.bmiHeader.biHeight = -art::kSize;  // top-down, the order of the pixel data
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    ui::UniqueBitmap color(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!color || !bits) return nullptr;
    std::copy(art::kPixels.begin(), art::kPixels.end(), static_cast<std::uint32_t*>(bits));
    GdiFlush();
    // Every pixel is opaque: an all-zero AND mask (rows of 16 one-bit pixels, one WORD each).
    const std::array<std::uint16_t, art::kSize> maskBits{};
    ui::UniqueBitmap mask(CreateBitmap(art::kSize, art::kSize, 1, 1, maskBits.data()));
    ICONINFO icon{};
    icon.fIcon = TRUE;
    icon.hbmColor = color.get();
    icon.hbmMask = mask.get();
    // The icon keeps copies of both bitmaps; ours go at the end of the scope.
    ui::UniqueIcon handle(CreateIconIndirect(&icon));
    if (!handle) return nullptr;
    return Picture::FromIcon(std::move(handle));
}

}  // namespace tray
