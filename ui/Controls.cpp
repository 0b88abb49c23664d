// Standard controls from layout tables, fonts and message pumping.
#include "ui/Controls.h"

#include "ui/Dpi.h"
#include "ui/Layout.h"

#include <algorithm>
#include <vector>

namespace ui {

FontSet::FontSet(int dpi) : dpi_(dpi) {
    for (int i = 0; i < 3; ++i) fonts_[i] = CreateArialBold(layout::kFontPoints[i], dpi);
}

HFONT FontSet::Get(layout::Font font) const { return fonts_[static_cast<int>(font)].get(); }

namespace {

// The window property that holds a top-level window's keyboard shortcuts.
wchar_t const kShortcutsProperty[] = L"CorvalinShortcuts";

PixelRect PlaceOf(std::span<const layout::Control> table, const layout::Control& c, int dpi) {
    const TwipsRect own{c.left, c.top, c.width, c.height};
    if (c.frame == layout::kNoFrame) return ToPixels(own, dpi);
    const layout::Control& f = table[static_cast<size_t>(c.frame)];
    return ToPixels(TwipsRect{f.left, f.top, f.width, f.height}, own, dpi);
}

// The height a drop-down list is given is that of its opened list; the closed box takes its height
// from the font.
int OpenedListHeight(const PixelRect& r) { return r.height * 10; }

// Gives a control its font and the sizes that follow from the font: a closed drop-down list's height
// and an AutoSize label's extent.
void FitToFont(HWND hwnd, const PixelRect& r, const layout::Control& c, HFONT font, int dpi) {
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    if (c.kind == layout::Kind::ComboBox) {
        // The closed box is as tall as the layout says. Its height is the selection field's plus the
        // 3-D edge and a pixel of padding above and below the field; rather than trust that sum, the
        // field is set once, the box measured, and the field corrected by what is missing.
        const int fieldHeight = r.height - 2 * SystemMetricForDpi(SM_CYEDGE, dpi) - 2;
        SendMessageW(hwnd, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), fieldHeight);
        RECT closed{};
        GetWindowRect(hwnd, &closed);
        const int missing = r.height - (closed.bottom - closed.top);
        if (missing != 0 && fieldHeight + missing > 0) {
            SendMessageW(hwnd, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), fieldHeight + missing);
        }
    }
    if (c.autoSize) {
        // An AutoSize label is as large as its text.
        HDC dc = GetDC(hwnd);
        SIZE extent{};
        {
            core::ScopedSelect select(dc, font);
            GetTextExtentPoint32W(dc, c.caption, static_cast<int>(wcslen(c.caption)), &extent);
        }
        ReleaseDC(hwnd, dc);
        SetWindowPos(hwnd, nullptr, 0, 0, extent.cx, extent.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

HWND CreateStandardControl(HWND parent, const PixelRect& r, const layout::Control& c, HFONT font, int dpi) {
    const wchar_t* cls = L"STATIC";
    DWORD style = WS_CHILD | WS_VISIBLE;
    DWORD exStyle = 0;
    int height = r.height;
    switch (c.kind) {
    case layout::Kind::Frame:
        cls = L"BUTTON";
        style |= BS_GROUPBOX;
        break;
    case layout::Kind::ComboBox:
        cls = L"COMBOBOX";
        style |= CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
        height = OpenedListHeight(r);
        break;
    case layout::Kind::Label:
        // SS_NOTIFY makes the label take the mouse itself, so moving over it leaves the window's
        // pointer as it is instead of passing the move to the window surface.
        style |= SS_NOTIFY | (c.font == layout::Font::Large ? SS_CENTER : SS_LEFT);
        break;
    case layout::Kind::CheckBox:
        cls = L"BUTTON";
        style |= BS_AUTOCHECKBOX | WS_TABSTOP;
        break;
    case layout::Kind::TextBox:
        cls = L"EDIT";
        style |= ES_AUTOHSCROLL | WS_TABSTOP;
        exStyle |= WS_EX_CLIENTEDGE;
        break;
    case layout::Kind::PushButton:
        return nullptr;
    }
    HWND hwnd = CreateWindowExW(exStyle, cls, c.caption, style, r.x, r.y, r.width, height, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), GetModuleHandleW(nullptr),
                                nullptr);
    if (!hwnd) return nullptr;
    FitToFont(hwnd, r, c, font, dpi);
    return hwnd;
}

// The table in increasing TabIndex, the table's order kept among equal ones.
std::vector<const layout::Control*> InTabOrder(std::span<const layout::Control> table) {
    std::vector<const layout::Control*> order;
    for (const auto& c : table) order.push_back(&c);
    std::stable_sort(order.begin(), order.end(),
                     [](const layout::Control* a, const layout::Control* b) { return a->tabIndex < b->tabIndex; });
    return order;
}

}  // namespace

void CreateControls(HWND parent, std::span<const layout::Control> table, const FontSet& fonts,
                    std::initializer_list<ButtonSlot> buttons) {
    // Each new child goes below its siblings: made in TabIndex order, the children stand in the order
    // Tab walks without being moved one by one afterwards.
    for (const layout::Control* control : InTabOrder(table)) {
        const layout::Control& c = *control;
        const PixelRect r = PlaceOf(table, c, fonts.Dpi());
        const HFONT font = fonts.Get(c.font);
        if (c.kind != layout::Kind::PushButton) {
            CreateStandardControl(parent, r, c, font, fonts.Dpi());
            continue;
        }
        for (const ButtonSlot& slot : buttons) {
            if (slot.id == c.id) slot.button->Create(parent, c.id, c.caption, r.x, r.y, r.width, r.height, font);
        }
    }
}

void ApplyDpiChange(HWND window, const layout::ClientArea& client, std::span<const layout::Control> table,
                    FontSet& fonts, WPARAM wParam, LPARAM lParam) {
    const int dpi = HIWORD(wParam);
    if (dpi <= 0) return;
    FontSet scaled(dpi);
    for (const layout::Control& c : table) {
        const HWND control = GetDlgItem(window, c.id);
        if (!control) continue;
        const PixelRect r = PlaceOf(table, c, dpi);
        const int height = c.kind == layout::Kind::ComboBox ? OpenedListHeight(r) : r.height;
        SetWindowPos(control, nullptr, r.x, r.y, r.width, height, SWP_NOZORDER | SWP_NOACTIVATE);
        FitToFont(control, r, c, scaled.Get(c.font), dpi);
    }
    // The old fonts go only now that no control uses them any more.
    fonts = std::move(scaled);
    const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
    if (suggested) {
        SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // The suggestion scales the whole window, frame included; the client area must be the layout's.
    SetClientSize(window, TwipsToPixels(client.clientWidth, dpi), TwipsToPixels(client.clientHeight, dpi));
    InvalidateRect(window, nullptr, TRUE);
}

void ShowNormal(HWND hwnd) { ShowWindow(hwnd, IsIconic(hwnd) ? SW_RESTORE : SW_SHOW); }

std::wstring WindowText(HWND hwnd) {
    const int length = GetWindowTextLengthW(hwnd);
    std::vector<wchar_t> text(static_cast<size_t>(length) + 1);
    const int copied = GetWindowTextW(hwnd, text.data(), length + 1);
    return std::wstring(text.data(), static_cast<size_t>(std::max(copied, 0)));
}

void DoEvents() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Leave the quit for the main loop.
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        DispatchToWindow(msg);
    }
}

void SetShortcuts(HWND root, HACCEL shortcuts) {
    if (shortcuts) {
        SetPropW(root, kShortcutsProperty, shortcuts);
    } else {
        RemovePropW(root, kShortcutsProperty);
    }
}

void DispatchToWindow(MSG& msg) {
    // Tab, Enter, Escape and the other dialog keys go to the dialog manager of the top-level window
    // they were typed in, in every loop alike, so they keep their meaning inside a balloon wait or a
    // Time Expired pump.
    const HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    // A disabled window takes no keys, whatever control of it still holds the focus: the system leaves
    // the focus on a control when its window is disabled around it, and a modal window of ours that
    // comes up without the keyboard takes none from it.
    if (root && !IsWindowEnabled(root) && msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) return;
    if (root && msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) {
        const auto shortcuts = static_cast<HACCEL>(GetPropW(root, kShortcutsProperty));
        if (shortcuts && TranslateAcceleratorW(root, shortcuts, &msg)) return;
    }
    if (root && IsDialogMessageW(root, &msg)) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

}  // namespace ui
