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

namespace {

// Whether the executable's icon group (resource id 1) lists an image of exactly size x size pixels.
// The group resource is a GRPICONDIR: a 6-byte header whose last WORD counts the 14-byte entries that
// follow, each starting with its width and height in bytes, 0 meaning 256.
bool IconGroupHasSize(int size) {
    const HMODULE module = GetModuleHandleW(nullptr);
    const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), RT_GROUP_ICON);
    if (!found) return false;
    const DWORD length = SizeofResource(module, found);
    // Resource memory belongs to the module: nothing to free.
    const auto* bytes = static_cast<const std::uint8_t*>(LockResource(LoadResource(module, found)));
    if (!bytes || length < 6) return false;
    const std::size_t count = bytes[4] | (bytes[5] << 8);
    for (std::size_t i = 0; i < count && 6 + 14 * (i + 1) <= length; ++i) {
        const int width = bytes[6 + 14 * i] == 0 ? 256 : bytes[6 + 14 * i];
        const int height = bytes[6 + 14 * i + 1] == 0 ? 256 : bytes[6 + 14 * i + 1];
        if (width == size && height == size) return true;
    }
    return false;
}

}  // namespace

PictureRef CreateTrayPicture(int size) {
    if (size == resources::tray_picture::kSize) return CreateTrayPicture();
    if (IconGroupHasSize(size)) {
        // Without LR_SHARED the icon is ours to destroy; with an exact entry LoadImageW scales nothing.
        core::UniqueIcon icon(static_cast<HICON>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
        if (icon) return Picture::FromIcon(std::move(icon));
    }
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
