// Standard controls built from a layout table, the fonts of the layouts, and small text helpers.
#pragma once

#include "resources/Layouts.h"
#include "ui/Handles.h"

#include <windows.h>

#include <span>
#include <string>

namespace ui {

// The three fonts of a window: Arial bold 9, 11.25 and 24 points.
class FontSet {
public:
    FontSet();
    HFONT Get(layout::Font font) const;

private:
    UniqueFont fonts_[3];
};

// Creates a frame, combo box, label, check box or text box of a layout table as a child of parent;
// a control inside a frame is placed relative to that frame. Push buttons are not made here.
HWND CreateStandardControl(HWND parent, std::span<const layout::Control> table, const layout::Control& control,
                           HFONT font);

// Puts the children in increasing TabIndex, which is the order the Tab key walks.
void OrderByTabIndex(HWND parent, std::span<const layout::Control> table);

std::wstring WindowText(HWND hwnd);

// Handles every pending message of this thread, as the handlers that let events run in their middle do.
void DoEvents();

}  // namespace ui
