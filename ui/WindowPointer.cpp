// Window pointer: the shape rules and the WM_SETCURSOR answer for a window and its controls.
#include "ui/WindowPointer.h"

namespace ui {

namespace {

// Shows the new shape at once instead of at the next mouse move: the window under the mouse is asked
// for its cursor exactly as the system asks on a move. Windows of other threads are left alone.
void RefreshPointer() {
    POINT at{};
    if (!GetCursorPos(&at)) return;
    const HWND under = WindowFromPoint(at);
    if (!under || GetWindowThreadProcessId(under, nullptr) != GetCurrentThreadId()) return;
    const LRESULT hit = SendMessageW(under, WM_NCHITTEST, 0, MAKELPARAM(at.x, at.y));
    SendMessageW(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under), MAKELPARAM(LOWORD(hit), WM_MOUSEMOVE));
}

}  // namespace

bool WindowPointer::LoadCustom(const std::wstring& path) {
    // Size 0 with LR_LOADFROMFILE keeps the file's own size; a cursor loaded from a file is no shared
    // image and is destroyed by its owner.
    custom_.reset(static_cast<HCURSOR>(LoadImageW(nullptr, path.c_str(), IMAGE_CURSOR, 0, 0, LR_LOADFROMFILE)));
    return HasCustom();
}

void WindowPointer::Set(Shape shape) { Change(shape); }

void WindowPointer::OnButtonMouseMove() {
    if (shape_ != Shape::Hourglass) Change(Shape::Custom);
}

void WindowPointer::OnSurfaceMouseMove() {
    if (shape_ != Shape::Hourglass) Change(Shape::Default);
}

void WindowPointer::Change(Shape shape) {
    if (shape == shape_) return;
    shape_ = shape;
    RefreshPointer();
}

HCURSOR WindowPointer::CursorToShow() const {
    switch (shape_) {
    case Shape::Custom:
        return custom_.get();
    case Shape::Hourglass:
        return LoadCursorW(nullptr, IDC_WAIT);
    case Shape::Default:
        break;
    }
    return nullptr;
}

bool WindowPointer::HandleSetCursor(HWND window, WPARAM wParam, LPARAM lParam, LRESULT& result) const {
    const HWND under = reinterpret_cast<HWND>(wParam);
    if (LOWORD(lParam) != HTCLIENT || (under != window && !IsChild(window, under))) return false;
    const HCURSOR cursor = CursorToShow();
    if (!cursor) return false;
    SetCursor(cursor);
    result = TRUE;
    return true;
}

}  // namespace ui
