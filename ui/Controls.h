// Standard controls built from a layout table, the fonts of the layouts, and small text helpers.
#pragma once

#include "core/Handles.h"
#include "resources/Layouts.h"
#include "ui/PushButton.h"

#include <windows.h>

#include <initializer_list>
#include <span>
#include <string>

namespace ui {

// The three fonts of a window at its DPI: Arial bold 9, 11.25 and 24 points. Empty until a window
// gives it its DPI.
class FontSet {
public:
    FontSet() = default;
    explicit FontSet(int dpi);
    HFONT Get(layout::Font font) const;
    int Dpi() const { return dpi_; }

private:
    int dpi_ = 0;
    core::UniqueFont fonts_[3];
};

// A push button of a layout table and the object that becomes it.
struct ButtonSlot {
    int id;
    PushButton* button;
};

// Creates every control of a layout table as a child of parent, in increasing TabIndex, the order Tab
// walks: the push buttons into their slots, every other kind as the standard control (a control inside
// a frame is placed relative to that frame), sized at the fonts' DPI.
void CreateControls(HWND parent, std::span<const layout::Control> table, const FontSet& fonts,
                    std::initializer_list<ButtonSlot> buttons);

// WM_DPICHANGED of a window of the layouts: the window takes the DPI the message carries (the system
// may not report the new one for the window yet), lays every control of its table out again at that
// DPI with fonts made for it, and moves to the suggested rectangle with its client area at the new DPI.
void ApplyDpiChange(HWND window, const layout::ClientArea& client, std::span<const layout::Control> table,
                    FontSet& fonts, WPARAM wParam, LPARAM lParam);

// Shows a window at its normal size: one left minimised while it was hidden is restored.
void ShowNormal(HWND hwnd);

std::wstring WindowText(HWND hwnd);

// Handles every pending message of this thread, as the handlers that let events run in their middle do.
void DoEvents();

// Hands one message of a message loop to its window: dialog keys to the dialog manager of the window
// they were typed in, everything else translated and dispatched.
void DispatchToWindow(MSG& msg);
// The keyboard shortcuts of a top-level window, which DispatchToWindow translates for it as
// TranslateAcceleratorW does (a WM_COMMAND, or WM_SYSCOMMAND for an item of its system menu). The
// window keeps the table; nullptr takes it away again.
void SetShortcuts(HWND root, HACCEL shortcuts);

}  // namespace ui
