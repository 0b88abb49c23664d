// The window backdrop and the messages every window handles alike.
#include "ui/Backdrop.h"

#include "ui/DialogFocus.h"
#include "ui/PushButton.h"

#include <array>

namespace ui {
namespace {

// The window property that holds a window's backdrop: absent for white, the system colour index + 1
// for a system colour.
constexpr wchar_t kBackdropProperty[] = L"Corvalin.Backdrop";

int BackdropColorIndex(HWND window) {
    return static_cast<int>(reinterpret_cast<INT_PTR>(GetPropW(window, kBackdropProperty))) - 1;
}

HBRUSH BackdropBrush(HWND window) {
    const int index = BackdropColorIndex(window);
    // System colour brushes and stock objects belong to the system: nothing to free.
    return index >= 0 ? GetSysColorBrush(index) : static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
}

// Labels, frames, check boxes and option buttons take the backdrop; push buttons, read-only text boxes
// and pickers also ask through WM_CTLCOLORSTATIC at times, and keep their own colours.
bool TakesBackdrop(HWND control) {
    std::array<wchar_t, 16> name{};
    if (GetClassNameW(control, name.data(), static_cast<int>(name.size())) == 0) return false;
    if (_wcsicmp(name.data(), L"Static") == 0) return true;
    if (_wcsicmp(name.data(), L"Button") != 0) return false;
    switch (GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
    case BS_GROUPBOX:
        return true;
    default:
        return false;
    }
}

}  // namespace

void ApplyFaceColor(HWND window) {
    SetPropW(window, kBackdropProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(COLOR_BTNFACE + 1)));
    RedrawWindow(window, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

COLORREF BackdropColor(HWND window) {
    const int index = BackdropColorIndex(window);
    return index >= 0 ? GetSysColor(index) : RGB(255, 255, 255);
}

bool HandleBackdropMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_ERASEBKGND: {
        RECT client{};
        GetClientRect(window, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, BackdropBrush(window));
        result = 1;
        return true;
    }
    case WM_CTLCOLORSTATIC: {
        const HWND control = reinterpret_cast<HWND>(lParam);
        if (GetParent(control) != window || !TakesBackdrop(control)) return false;
        const HDC dc = reinterpret_cast<HDC>(wParam);
        SetBkColor(dc, BackdropColor(window));
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        result = reinterpret_cast<LRESULT>(BackdropBrush(window));
        return true;
    }
    case WM_NCDESTROY:
        RemovePropW(window, kBackdropProperty);
        return false;
    default:
        return false;
    }
}

bool HandleCommonFormMessage(HWND window, WindowPointer& pointer, UINT message, WPARAM wParam, LPARAM lParam,
                             LRESULT& result) {
    if (HandleBackdropMessage(window, message, wParam, lParam, result)) return true;
    if (PushButton::HandleParentMessage(window, message, wParam, lParam, result)) return true;
    if (HandleDialogFocus(window, message, wParam, lParam, result)) return true;
    if (message == WM_SETCURSOR) return pointer.HandleSetCursor(window, wParam, lParam, result);
    if (message == WM_MOUSEMOVE) {
        // The window surface, and the frames, which let the mouse through to the window.
        pointer.OnSurfaceMouseMove();
        result = 0;
        return true;
    }
    return false;
}

void SetApplicationIcon(HWND window) {
    // The icon group of the executable; shared, so nothing is destroyed later.
    const HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
    SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

}  // namespace ui
