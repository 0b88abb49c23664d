// The mouse pointer of a whole window: the custom image (the hand) over push buttons, the default
// pointer over the window surface and frames, and an hourglass that nothing replaces. The pointer
// belongs to the window, not to the control under the mouse: once a button made it the hand it stays
// the hand over labels and pickers until the mouse passes over the surface or a frame again.
#pragma once

#include "core/Handles.h"

#include <windows.h>

#include <string>

namespace ui {

class WindowPointer {
public:
    enum class Shape { Default, Custom, Hourglass };

    // Loads the cursor file as the custom image. False, and no custom image, when the file is missing
    // or is no cursor; the rules go on regardless and show the default pointer instead.
    bool LoadCustom(const std::wstring& path);
    bool HasCustom() const { return static_cast<bool>(custom_); }
    HCURSOR Custom() const { return custom_.get(); }

    Shape Current() const { return shape_; }
    // Sets the shape outright (the hourglass while the window is busy) and shows it at once.
    void Set(Shape shape);

    // The mouse moved over one of the window's push buttons: the custom pointer, unless hourglass.
    void OnButtonMouseMove();
    // The mouse moved over the window surface, a frame or a control that returns it to the default
    // pointer: the default pointer, unless hourglass.
    void OnSurfaceMouseMove();

    // WM_SETCURSOR of the window, for the window itself and every control on it (each control's
    // default handling asks its parent first). Returns true when the message was handled, with its
    // result in result; false leaves the pointer to the default handling (the class cursor of the
    // control under the mouse, the sizing arrows on the border).
    bool HandleSetCursor(HWND window, WPARAM wParam, LPARAM lParam, LRESULT& result) const;

    // The cursor the window shows in its client area now; null for the default.
    HCURSOR CursorToShow() const;

private:
    void Change(Shape shape);

    core::UniqueCursor custom_;
    Shape shape_ = Shape::Default;
};

}  // namespace ui
