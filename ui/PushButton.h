// The program's push button: a caption, a click and a mouse-move event, Arial bold text in the system
// button-text colour on a white face, drawn focus and pressed states, Space and Enter from the keyboard.
// It is a real child window whose text is its caption and which answers BM_CLICK, so screen readers
// and UI-automation clients can read and press it.
#pragma once

#include "ui/Window.h"

#include <functional>
#include <string>

namespace ui {

class PushButton : public Window {
public:
    PushButton() = default;
    ~PushButton() override;

    // Creates the button as a child of parent with the given control id (also its dialog id).
    bool Create(HWND parent, int id, const wchar_t* caption, int x, int y, int width, int height,
                HFONT font, int tabStopOrder = 0);

    std::wstring Caption() const;
    void SetCaption(const std::wstring& caption);
    void SetBackColor(COLORREF color);

    // Runs the click event, as a mouse click, the keyboard or BM_CLICK do.
    void Click();

    std::function<void()> onClick;
    std::function<void()> onMouseMove;

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void Paint();
    void SetPressed(bool pressed);

    HFONT font_ = nullptr;
    COLORREF back_ = RGB(255, 255, 255);
    bool pressed_ = false;
    bool tracking_ = false;
    bool spaceDown_ = false;
};

}  // namespace ui
