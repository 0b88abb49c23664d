// Shared by the tray control's tests: a host window with a timer hook, and a shell that records.
#pragma once

#include "tray/cSysTray.h"

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>
#include <vector>

namespace traytest {

// A hidden top-level window to host the control; its timers call onTimer(id).
class Host {
public:
    Host() {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &Host::Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TrayTestHost";
        RegisterClassExW(&wc);  // fails harmlessly from the second host on
        hwnd_ = CreateWindowExW(0, L"TrayTestHost", L"tray test host", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;
    ~Host() {
        if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
    }
    HWND hwnd() const { return hwnd_; }

    std::function<void(UINT_PTR id)> onTimer;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<Host*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (message == WM_TIMER && self && self->onTimer) {
            self->onTimer(wParam);
            return 0;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    HWND hwnd_ = nullptr;
};

struct ShellCall {
    DWORD message;
    NOTIFYICONDATAW record;
    std::wstring Tip() const { return record.szTip; }
    std::wstring Info() const { return record.szInfo; }
    std::wstring InfoTitle() const { return record.szInfoTitle; }
};

// Puts a recorder between the control and the shell; `passOn` also sends each record to the real one.
// While `*refusals` is above 0 the shell refuses each call, counting down.
inline void Record(cSysTray& tray, std::vector<ShellCall>& calls, bool passOn = false, int* refusals = nullptr) {
    tray.UseShell([&calls, passOn, refusals](DWORD message, NOTIFYICONDATAW& record) {
        calls.push_back({message, record});
        if (refusals && *refusals > 0) return --*refusals, FALSE;
        return passOn ? Shell_NotifyIconW(message, &record) : TRUE;
    });
}

inline int CountOf(const std::vector<ShellCall>& calls, DWORD message) {
    int n = 0;
    for (const auto& c : calls) n += c.message == message ? 1 : 0;
    return n;
}

}  // namespace traytest
