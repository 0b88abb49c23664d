// DPI awareness and per-window DPI through functions looked up at run time.
#include "ui/Dpi.h"

#include "core/Handles.h"
#include "ui/ProcAddress.h"

namespace ui {
namespace {

// Declared here, not taken from the SDK headers: the program is built for systems that lack them.
using SetProcessDpiAwarenessContextFn = BOOL(WINAPI*)(HANDLE context);
using SetProcessDpiAwarenessFn = HRESULT(WINAPI*)(int awareness);
using SetProcessDpiAwareFn = BOOL(WINAPI*)();
using GetDpiForWindowFn = UINT(WINAPI*)(HWND window);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int index, UINT dpi);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT* r, DWORD style, BOOL menu, DWORD exStyle, UINT dpi);

// DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2 and PROCESS_PER_MONITOR_DPI_AWARE.
HANDLE const kPerMonitorAwareV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
// DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE: what shcore's PROCESS_PER_MONITOR_DPI_AWARE sets, without
// loading shcore before the window.
HANDLE const kPerMonitorAware = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-3));
int const kProcessPerMonitorDpiAware = 2;

HMODULE User32() { return GetModuleHandleW(L"user32.dll"); }

// The per-window DPI functions of user32, those the system has (Windows 10 1607 and later), looked
// up once: sizes are asked for on every layout and paint. user32 stays loaded for the process's life.
struct PerWindowDpi {
    GetDpiForWindowFn getDpiForWindow = nullptr;
    GetSystemMetricsForDpiFn getSystemMetricsForDpi = nullptr;
    AdjustWindowRectExForDpiFn adjustWindowRectExForDpi = nullptr;
};

const PerWindowDpi& User32Dpi() {
    static const PerWindowDpi functions{ProcAddress<GetDpiForWindowFn>(User32(), "GetDpiForWindow"),
                                        ProcAddress<GetSystemMetricsForDpiFn>(User32(), "GetSystemMetricsForDpi"),
                                        ProcAddress<AdjustWindowRectExForDpiFn>(User32(), "AdjustWindowRectExForDpi")};
    return functions;
}

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : kDefaultDpi;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kDefaultDpi;
}

}  // namespace

void OptIntoPerMonitorDpiAwareness() {
    if (auto setContext = ProcAddress<SetProcessDpiAwarenessContextFn>(User32(), "SetProcessDpiAwarenessContext")) {
        if (setContext(kPerMonitorAwareV2) || setContext(kPerMonitorAware)) return;
        // Set already (by the system's compatibility settings): shcore's call would be refused too.
        if (GetLastError() == ERROR_ACCESS_DENIED) return;
    }
    const core::UniqueModule shcore(LoadSystemModule(L"shcore.dll"));
    if (auto setAwareness = ProcAddress<SetProcessDpiAwarenessFn>(shcore.get(), "SetProcessDpiAwareness")) {
        if (SUCCEEDED(setAwareness(kProcessPerMonitorDpiAware))) return;
    }
    if (auto setAware = ProcAddress<SetProcessDpiAwareFn>(User32(), "SetProcessDPIAware")) setAware();
}

int DpiOf(HWND window) {
    if (window) {
        if (auto getDpi = User32Dpi().getDpiForWindow) {
            const int dpi = static_cast<int>(getDpi(window));
            if (dpi > 0) return dpi;
        }
    }
    return ScreenDpi();
}

int TaskbarDpi() {
    using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR monitor, int type, UINT* x, UINT* y);
    int const kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI
    const HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
    if (!taskbar) return ScreenDpi();
    // shcore is loaded at the first call and kept, as an import would be.
    static const auto getDpi = SystemFunction<GetDpiForMonitorFn>(L"shcore.dll", "GetDpiForMonitor");
    if (getDpi) {
        UINT x = 0;
        UINT y = 0;
        const HMONITOR monitor = MonitorFromWindow(taskbar, MONITOR_DEFAULTTOPRIMARY);
        if (SUCCEEDED(getDpi(monitor, kEffectiveDpi, &x, &y)) && y > 0) return static_cast<int>(y);
    }
    return ScreenDpi();
}

int SystemMetricForDpi(int index, int dpi) {
    if (auto metric = User32Dpi().getSystemMetricsForDpi) {
        return metric(index, static_cast<UINT>(dpi));
    }
    return MulDiv(GetSystemMetrics(index), dpi, ScreenDpi());
}

void AdjustWindowRectForDpi(RECT& r, DWORD style, DWORD exStyle, int dpi) {
    if (auto adjust = User32Dpi().adjustWindowRectExForDpi) {
        if (adjust(&r, style, FALSE, exStyle, static_cast<UINT>(dpi))) return;
    }
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
}

}  // namespace ui
