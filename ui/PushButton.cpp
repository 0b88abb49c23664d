// Push button: creation as an owner-drawn standard button, its drawing, and the parent's messages
// routed back to it.
#include "ui/PushButton.h"

#include "core/ErrorReport.h"
#include "core/Handles.h"
#include "core/Program.h"
#include "ui/Backdrop.h"
#include "ui/Subclass.h"

#include <vector>

namespace ui {
namespace {

UINT_PTR const kSubclassId = 1;

}  // namespace

PushButton::~PushButton() {
    if (hwnd_) DestroyWindow(hwnd_);
}

bool PushButton::Create(HWND parent, int id, const wchar_t* caption, int x, int y, int width, int height,
                        HFONT font, int /*tabStopOrder*/) {
    hwnd_ = CreateWindowExW(0, L"BUTTON", caption, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, x, y, width,
                            height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                            GetModuleHandleW(nullptr), nullptr);
    if (!hwnd_) return false;
    // Without its subclass the button would draw nothing and ignore clicks: the user is told.
    if (!SetSubclass(hwnd_, &PushButton::SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
        core::ShowErrorReport(core::ReportText(L"Push button subclass failed", L"PushButton.Create", __LINE__));
    }
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return true;
}

std::wstring PushButton::Caption() const {
    const int length = GetWindowTextLengthW(hwnd_);
    std::vector<wchar_t> text(static_cast<size_t>(length) + 1);
    GetWindowTextW(hwnd_, text.data(), length + 1);
    return std::wstring(text.data());
}

void PushButton::SetCaption(const std::wstring& caption) {
    SetWindowTextW(hwnd_, caption.c_str());
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void PushButton::Click() {
    if (onClick) onClick();
}

HBRUSH PushButton::FaceBrush(bool systemColours) {
    return systemColours ? GetSysColorBrush(COLOR_BTNFACE) : static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
}

void PushButton::Draw(const DRAWITEMSTRUCT& item) const {
    const HDC dc = item.hDC;
    RECT r = item.rcItem;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    const WindowColours colours = ColoursOf(GetParent(hwnd_));
    FillRect(dc, &r, FaceBrush(colours.system));
    DrawEdge(dc, &r, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);

    RECT text = r;
    if (pressed) OffsetRect(&text, 1, 1);
    const HFONT font = reinterpret_cast<HFONT>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0));
    {
        // The device context is the button's own: everything chosen here is put back.
        core::ScopedSelect select(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
        const int oldMode = SetBkMode(dc, TRANSPARENT);
        const COLORREF oldColor =
            SetTextColor(dc, (item.itemState & ODS_DISABLED) ? colours.buttonGrayText : colours.buttonText);
        const std::wstring caption = Caption();
        // An "&" marks the access key, underlined as a standard button does it: hidden until the user
        // works from the keyboard (the system clears ODS_NOACCEL once Alt is pressed), when asked so.
        DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | ((item.itemState & ODS_NOACCEL) ? DT_HIDEPREFIX : 0));
        SetTextColor(dc, oldColor);
        SetBkMode(dc, oldMode);
    }
    if (item.itemState & ODS_FOCUS) {
        RECT focus = r;
        InflateRect(&focus, -4, -4);
        DrawFocusRect(dc, &focus);
    }
}

PushButton* PushButton::FromHandle(HWND hwnd) {
    DWORD_PTR self = 0;
    if (!hwnd || !GetSubclass(hwnd, &PushButton::SubclassProc, kSubclassId, &self)) return nullptr;
    return reinterpret_cast<PushButton*>(self);
}

bool PushButton::HandleParentMessage(HWND parent, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        PushButton* button = item && item->CtlType == ODT_BUTTON ? FromHandle(item->hwndItem) : nullptr;
        if (!button) return false;
        button->Draw(*item);
        result = TRUE;
        return true;
    }
    case WM_CTLCOLORBTN: {
        // The button clears itself with this brush before it asks to be drawn (a new caption, for one):
        // its own face, so that no grey shows in between.
        PushButton* button = FromHandle(reinterpret_cast<HWND>(lParam));
        if (!button) return false;
        result = reinterpret_cast<LRESULT>(FaceBrush(ColoursOf(GetParent(button->hwnd_)).system));
        return true;
    }
    case WM_COMMAND: {
        // A click, Space, BM_CLICK, and Enter from IsDialogMessage (which names the button in lParam).
        PushButton* button = HIWORD(wParam) == BN_CLICKED ? FromHandle(reinterpret_cast<HWND>(lParam)) : nullptr;
        if (!button || GetParent(button->hwnd_) != parent || GetDlgCtrlID(button->hwnd_) != LOWORD(wParam)) {
            return false;
        }
        result = 0;
        // A button of a disabled window never runs its click, however the message came.
        if (IsWindowEnabled(GetAncestor(parent, GA_ROOT))) button->Click();
        return true;
    }
    case DM_GETDEFID: {
        // An owner-drawn button never reports itself as a default button, and our windows have no dialog
        // procedure to move the default along with the focus; this answer does that move.
        PushButton* button = FromHandle(GetFocus());
        if (!button || GetParent(button->hwnd_) != parent) return false;
        result = MAKELRESULT(GetDlgCtrlID(button->hwnd_), DC_HASDEFID);
        return true;
    }
    default:
        return false;
    }
}

LRESULT CALLBACK PushButton::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR /*id*/,
                                          DWORD_PTR self) {
    auto* button = reinterpret_cast<PushButton*>(self);
    switch (message) {
    case WM_MOUSEMOVE:
        // No exception may unwind through the button's own window procedure.
        try {
            if (button->onMouseMove) button->onMouseMove();
        } catch (...) {
        }
        break;
    case WM_LBUTTONDBLCLK:
        // An owner-drawn button reports the second click of a double click as BN_DOUBLECLICKED and
        // does not press; a push button takes it as one more press, so two quick clicks are two clicks.
        return CallNextSubclass(hwnd, WM_LBUTTONDOWN, wParam, lParam);
    case WM_NCDESTROY:
        RemoveSubclass(hwnd, &PushButton::SubclassProc, kSubclassId);
        button->hwnd_ = nullptr;
        break;
    default:
        break;
    }
    return CallNextSubclass(hwnd, message, wParam, lParam);
}

}  // namespace ui
