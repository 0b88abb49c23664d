// Makes icons from pixel data: the tray control's own picture, the 16 x 16 blue 'V', and the
// pictures drawn at run time.
#include "tray/Picture.h"

#include "resources/TrayPicture.h"
#include "tray/ProgressPicture.h"

#include <algorithm>
#include <vector>

namespace tray {

PictureRef CreateTrayPicture() {
    return PictureFromPixels(resources::tray_picture::kSize, resources::tray_picture::kPixels);
}

PictureRef CreateTrayPicture(int size) {
    if (size == resources::tray_picture::kSize) return CreateTrayPicture();
    return PictureFromPixels(size, DrawProgressPicture(size, 0.0));
}

PictureRef PictureFromPixels(int size, std::span<const std::uint32_t> pixels) {
    if (size <= 0 || pixels.size() != static_cast<std::size_t>(size) * static_cast<std::size_t>(size)) return nullptr;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = -size;  // top-down, the order of the pixel data
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    core::UniqueBitmap color(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!color || !bits) return nullptr;
    std::copy(pixels.begin(), pixels.end(), static_cast<std::uint32_t*>(bits));
    GdiFlush();
    // Every pixel is opaque: an all-zero AND mask, its rows padded to whole WORDs.
    const std::vector<std::uint8_t> maskBits(static_cast<std::size_t>((size + 15) / 16 * 2 * size), 0);
    core::UniqueBitmap mask(CreateBitmap(size, size, 1, 1, maskBits.data()));
    ICONINFO icon{};
    icon.fIcon = TRUE;
    icon.hbmColor = color.get();
    icon.hbmMask = mask.get();
    // The icon keeps copies of both bitmaps; ours go at the end of the scope.
    core::UniqueIcon handle(CreateIconIndirect(&icon));
    if (!handle) return nullptr;
    return Picture::FromIcon(std::move(handle));
}

}  // namespace tray
