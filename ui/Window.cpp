// Window base: class registration and the static thunk that forwards to the member procedure.
#include "ui/Window.h"

#include "ui/Dpi.h"
#include "ui/Layout.h"

namespace ui {

Window::~Window() { Destroy(); }

HWND Window::Create(const ClassInfo& cls, DWORD exStyle, DWORD style, const wchar_t* title, int x, int y,
                    int width, int height, HWND parent, UINT_PTR idOrMenu) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (!GetClassInfoExW(instance, cls.name, &existing)) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.style = cls.style;
        wc.lpfnWndProc = &Window::Thunk;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = cls.background;
        wc.hIcon = cls.icon;
        wc.lpszClassName = cls.name;
        RegisterClassExW(&wc);
    }
    return CreateWindowExW(exStyle, cls.name, title, style, x, y, width, height, parent,
                           reinterpret_cast<HMENU>(idOrMenu), instance, this);
}

HWND Window::CreateCentred(const wchar_t* className, DWORD exStyle, DWORD style, const wchar_t* title,
                           int clientWidthTwips, int clientHeightTwips, HWND owner) {
    const SIZE size = WindowSizeForClient(clientWidthTwips, clientHeightTwips, style, exStyle, DpiOf(nullptr));
    const POINT at = CentredOnScreen(size);
    // The application icon (the executable's icon group) is the class's: the title bar and the task-bar
    // button show it from the start, and no message sets it again on every window.
    const HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
    const HWND created = Create({className, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)), icon}, exStyle, style,
                                title, at.x, at.y, size.cx, size.cy, owner, 0);
    // The size above is for the screen's DPI; a window that opens on a monitor of another DPI takes
    // that one's.
    if (created) {
        const int dpi = DpiOf(created);
        SetClientSize(created, TwipsToPixels(clientWidthTwips, dpi), TwipsToPixels(clientHeightTwips, dpi));
    }
    return created;
}

void Window::Destroy() {
    if (hwnd_) DestroyWindow(hwnd_);
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK Window::Thunk(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);

    LRESULT result = 0;
    // No exception may unwind through the system's code that called us.
    try {
        result = self->HandleMessage(message, wParam, lParam);
    } catch (...) {
        result = DefWindowProcW(hwnd, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        try {
            self->OnDestroyed();
        } catch (...) {
        }
    }
    return result;
}

}  // namespace ui
