// The window backdrop and the messages every window handles alike.
#include "ui/Backdrop.h"

#include "ui/DialogFocus.h"
#include "ui/PushButton.h"

#include <array>

namespace ui {
namespace {

// The window property that holds a window's backdrop state, a set of the flags below; absent for a
// white backdrop whose colours are not decided yet.
constexpr wchar_t kBackdropProperty[] = L"Corvalin.Backdrop";
constexpr INT_PTR kFaceBackdrop = 1;  // the backdrop is the system button face
constexpr INT_PTR kDecided = 2;       // the colour rule has run for the current scheme
constexpr INT_PTR kSystemColours = 4;  // and chose the system's colours

INT_PTR BackdropState(HWND window) { return reinterpret_cast<INT_PTR>(GetPropW(window, kBackdropProperty)); }

void SetBackdropState(HWND window, INT_PTR state) {
    SetPropW(window, kBackdropProperty, reinterpret_cast<HANDLE>(state));
}

SystemColours CurrentSystemColours() {
    return {GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_BTNFACE),
            GetSysColor(COLOR_BTNTEXT), GetSysColor(COLOR_GRAYTEXT)};
}

// Runs the colour rule for the window and keeps its choice with the window; returns the new state.
INT_PTR DecidedState(HWND window, bool highContrast) {
    INT_PTR state = BackdropState(window) & kFaceBackdrop;
    state |= kDecided;
    if (NeedsSystemColours(CurrentSystemColours(), highContrast, (state & kFaceBackdrop) != 0)) state |= kSystemColours;
    SetBackdropState(window, state);
    return state;
}

INT_PTR StateOf(HWND window) {
    const INT_PTR state = BackdropState(window);
    return (state & kDecided) ? state : DecidedState(window, HighContrastOn());
}

HBRUSH BackdropBrush(HWND window) {
    const INT_PTR state = StateOf(window);
    // System colour brushes and stock objects belong to the system: nothing to free, and a system brush
    // follows a change of its colour by itself.
    if (state & kFaceBackdrop) return GetSysColorBrush(COLOR_BTNFACE);
    if (state & kSystemColours) return GetSysColorBrush(COLOR_WINDOW);
    return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
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
    // A face backdrop changes what the colour rule weighs: it runs again on next use.
    SetBackdropState(window, kFaceBackdrop);
    RedrawWindow(window, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

COLORREF BackdropColor(HWND window) { return ColoursOf(window).backdrop; }

WindowColours ColoursOf(HWND window) {
    const INT_PTR state = StateOf(window);
    return ColoursFor(CurrentSystemColours(), (state & kFaceBackdrop) != 0, (state & kSystemColours) != 0);
}

bool HighContrastOn(SystemParametersFn query) {
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof contrast;
    if (!query(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0)) return false;
    return (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

void FollowColourScheme(HWND window, bool highContrast) {
    DecidedState(window, highContrast);
    RedrawWindow(window, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
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
        const WindowColours colours = ColoursOf(window);
        SetBkColor(dc, colours.backdrop);
        SetTextColor(dc, colours.text);
        result = reinterpret_cast<LRESULT>(BackdropBrush(window));
        return true;
    }
    case WM_SYSCOLORCHANGE:
        // Sent to every top-level window, hidden ones too, after the user changed a system colour (a
        // switch of high-contrast mode sends it as well).
        FollowColourScheme(window, HighContrastOn());
        result = 0;
        return true;
    case WM_SETTINGCHANGE:
        if (wParam != SPI_SETHIGHCONTRAST) return false;
        FollowColourScheme(window, HighContrastOn());
        result = 0;
        return true;
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

}  // namespace ui
