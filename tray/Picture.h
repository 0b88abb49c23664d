// A picture for the tray control: an icon or a bitmap, shared by reference, that knows which it is.
#pragma once

#include "core/Handles.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <span>
#include <variant>

namespace tray {

class Picture {
public:
    // The picture types of the picture objects the control was written for.
    enum class Type { None = 0, Bitmap = 1, Icon = 3 };

    // Takes ownership of the icon; it is destroyed with the last reference.
    static std::shared_ptr<const Picture> FromIcon(core::UniqueIcon icon) {
        return std::shared_ptr<const Picture>(new Picture(std::move(icon)));
    }
    // An icon someone else owns (LoadIconW of a resource): never destroyed here.
    static std::shared_ptr<const Picture> SharedIcon(HICON icon) {
        return std::shared_ptr<const Picture>(new Picture(icon));
    }
    static std::shared_ptr<const Picture> FromBitmap(core::UniqueBitmap bitmap) {
        return std::shared_ptr<const Picture>(new Picture(std::move(bitmap)));
    }

    Type PictureType() const {
        if (std::holds_alternative<core::UniqueBitmap>(handle_)) return Type::Bitmap;
        return IconHandle() ? Type::Icon : Type::None;
    }
    // The icon's handle; null for a bitmap.
    HICON IconHandle() const {
        if (const auto* owned = std::get_if<core::UniqueIcon>(&handle_)) return owned->get();
        if (const auto* shared = std::get_if<HICON>(&handle_)) return *shared;
        return nullptr;
    }

private:
    explicit Picture(core::UniqueIcon icon) : handle_(std::move(icon)) {}
    explicit Picture(HICON shared) : handle_(shared) {}
    explicit Picture(core::UniqueBitmap bitmap) : handle_(std::move(bitmap)) {}

    std::variant<core::UniqueIcon, HICON, core::UniqueBitmap> handle_;
};

using PictureRef = std::shared_ptr<const Picture>;

// The control's own picture: the 16 x 16 blue 'V' outlined in black on a light-cyan square with a
// black border.
PictureRef CreateTrayPicture();

// The same picture at size x size pixels, for the shell's small-icon size at another scale: the
// design drawn at that size, as the countdown's pictures are; the 16 x 16 picture at 16.
PictureRef CreateTrayPicture(int size);

// An opaque icon from size x size pixels (0xAARRGGBB, rows top to bottom); null when the system
// refuses it or the pixel count does not match.
PictureRef PictureFromPixels(int size, std::span<const std::uint32_t> pixels);

}  // namespace tray
