// The program's push button: a standard BUTTON control drawn our way (BS_OWNERDRAW): Arial bold text in
// the system button-text colour on a white face, raised or sunken edges, a focus rectangle, grey text
// when disabled; in the system's colours instead where its window's colour rule asks for them. Being
// the platform's own button, it keeps the push-button role and "Press" action for screen readers and
// UI-automation clients, Space from the keyboard, BM_CLICK and the pressed state.
// What the button tells its parent (WM_DRAWITEM, WM_CTLCOLORBTN, BN_CLICKED) each window hands back
// through HandleParentMessage.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace ui {

class PushButton {
public:
    PushButton() = default;
    PushButton(const PushButton&) = delete;
    PushButton& operator=(const PushButton&) = delete;
    ~PushButton();

    // Creates the button as a child of parent with the given control id (also its dialog id).
    bool Create(HWND parent, int id, const wchar_t* caption, int x, int y, int width, int height,
                HFONT font, int tabStopOrder = 0);
    HWND hwnd() const { return hwnd_; }

    std::wstring Caption() const;
    void SetCaption(const std::wstring& caption);

    // Runs the click event, as a mouse click, Space, Enter or BM_CLICK do.
    void Click();

    std::function<void()> onClick;
    std::function<void()> onMouseMove;

    // The messages a parent window receives about its push buttons: draws the button, gives its face
    // brush, runs its click event (never while the window is disabled), and answers DM_GETDEFID with
    // the focused push button, so that Enter presses the button that has the focus, as in a dialog,
    // where the default button follows the focus. Returns true when the message was handled, with its
    // result in result.
    static bool HandleParentMessage(HWND parent, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    static PushButton* FromHandle(HWND hwnd);
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR self);
    void Draw(const DRAWITEMSTRUCT& item) const;
    // The brush of the face: the system's button face in the system's colours, else the layouts' white.
    // Both belong to the system, which keeps them current: nothing to make or free.
    static HBRUSH FaceBrush(bool systemColours);

    HWND hwnd_ = nullptr;
};

}  // namespace ui
