// Push button: painting, mouse capture and keyboard handling.
#include "ui/PushButton.h"

#include "ui/Handles.h"

#include <vector>

namespace ui {

PushButton::~PushButton() { Destroy(); }

bool PushButton::Create(HWND parent, int id, const wchar_t* caption, int x, int y, int width, int height,
                        HFONT font, int /*tabStopOrder*/) {
    font_ = font;
    return Window::Create({L"CorvalinPushButton", nullptr, nullptr, CS_HREDRAW | CS_VREDRAW}, 0,
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP, caption, x, y, width, height, parent,
                          static_cast<UINT_PTR>(id)) != nullptr;
}

std::wstring PushButton::Caption() const {
    const int length = GetWindowTextLengthW(hwnd());
    std::vector<wchar_t> text(static_cast<size_t>(length) + 1);
    GetWindowTextW(hwnd(), text.data(), length + 1);
    return std::wstring(text.data());
}

void PushButton::SetCaption(const std::wstring& caption) { SetWindowTextW(hwnd(), caption.c_str()); }

void PushButton::SetBackColor(COLORREF color) {
    back_ = color;
    InvalidateRect(hwnd(), nullptr, TRUE);
}

void PushButton::Click() {
    if (onClick) onClick();
}

void PushButton::SetPressed(bool pressed) {
    if (pressed == pressed_) return;
    pressed_ = pressed;
    InvalidateRect(hwnd(), nullptr, TRUE);
}

void PushButton::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd(), &ps);
    RECT r;
    GetClientRect(hwnd(), &r);
    UniqueBrush face(CreateSolidBrush(back_));
    FillRect(dc, &r, face.get());
    DrawEdge(dc, &r, pressed_ ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);

    RECT text = r;
    if (pressed_) OffsetRect(&text, 1, 1);
    {
        ScopedSelect select(dc, font_ ? static_cast<HGDIOBJ>(font_) : GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(IsWindowEnabled(hwnd()) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
        const std::wstring caption = Caption();
        DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    if (GetFocus() == hwnd()) {
        RECT focus = r;
        InflateRect(&focus, -4, -4);
        DrawFocusRect(dc, &focus);
    }
    EndPaint(hwnd(), &ps);
}

LRESULT PushButton::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SETFONT:
        font_ = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam)) InvalidateRect(hwnd(), nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(font_);
    case WM_SETTEXT: {
        const LRESULT result = Window::HandleMessage(message, wParam, lParam);
        InvalidateRect(hwnd(), nullptr, TRUE);
        return result;
    }
    case WM_ENABLE:
        InvalidateRect(hwnd(), nullptr, TRUE);
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        if (message == WM_KILLFOCUS) {
            spaceDown_ = false;
            SetPressed(false);
        }
        InvalidateRect(hwnd(), nullptr, TRUE);
        return 0;
    case WM_GETDLGCODE: {
        // Enter on a focused button presses that button, as on a standard one.
        const MSG* msg = reinterpret_cast<const MSG*>(lParam);
        LRESULT code = DLGC_BUTTON;
        if (msg && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) code |= DLGC_WANTMESSAGE;
        return code;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        SetFocus(hwnd());
        SetCapture(hwnd());
        tracking_ = true;
        SetPressed(true);
        return 0;
    case WM_MOUSEMOVE: {
        if (tracking_) {
            RECT r;
            GetClientRect(hwnd(), &r);
            const POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            SetPressed(PtInRect(&r, p) != FALSE);
        }
        if (onMouseMove) onMouseMove();
        return 0;
    }
    case WM_LBUTTONUP: {
        if (!tracking_) return 0;
        tracking_ = false;
        const bool inside = pressed_;
        SetPressed(false);
        ReleaseCapture();
        if (inside) Click();
        return 0;
    }
    case WM_CAPTURECHANGED:
        tracking_ = false;
        SetPressed(false);
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_SPACE && !spaceDown_) {
            spaceDown_ = true;
            SetPressed(true);
            return 0;
        }
        if (wParam == VK_RETURN) {
            Click();
            return 0;
        }
        break;
    case WM_KEYUP:
        if (wParam == VK_SPACE && spaceDown_) {
            spaceDown_ = false;
            SetPressed(false);
            Click();
            return 0;
        }
        break;
    case BM_CLICK:
        Click();
        return 0;
    default:
        break;
    }
    return Window::HandleMessage(message, wParam, lParam);
}

}  // namespace ui
