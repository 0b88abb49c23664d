// Base of every window of the program: registers its class, finds `this` on WM_NCCREATE and forwards
// each message to a member, so no window procedure of ours is a free function with global state.
#pragma once

#include <windows.h>

namespace ui {

class Window {
public:
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    HWND hwnd() const { return hwnd_; }

protected:
    Window() = default;

    struct ClassInfo {
        const wchar_t* name;
        HBRUSH background = nullptr;
        HICON icon = nullptr;
        UINT style = 0;
    };

    // Registers the class on first use and creates the window; `this` receives every message from
    // WM_NCCREATE on. Returns null when creation failed.
    HWND Create(const ClassInfo& cls, DWORD exStyle, DWORD style, const wchar_t* title, int x, int y,
                int width, int height, HWND parent, UINT_PTR idOrMenu);

    // A top-level window of the layouts: white, with the application icon, its client area the given size
    // in twips at the window's DPI, centred on the screen. Returns null when creation failed.
    HWND CreateCentred(const wchar_t* className, DWORD exStyle, DWORD style, const wchar_t* title,
                       int clientWidthTwips, int clientHeightTwips, HWND owner);

    // Destroys the window now (no-op when it is gone already).
    void Destroy();

    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Called after the window is gone (WM_NCDESTROY), when hwnd() is already null.
    virtual void OnDestroyed() {}

private:
    static LRESULT CALLBACK Thunk(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
};

}  // namespace ui
