// Dots per inch: the process says at start that it draws for each monitor's DPI itself, and every size
// is taken from the DPI of the window it is for. Functions newer than the oldest supported system are
// looked up at run time, so the program still starts where they are missing.
#pragma once

#include <windows.h>

namespace ui {

constexpr int kDefaultDpi = 96;

// Opts the process into per-monitor DPI awareness (version 2 where the system has it, then version 1,
// then system-wide awareness), so the system no longer stretches its windows as bitmaps. Must run
// before the first window is created.
void OptIntoPerMonitorDpiAwareness();

// The DPI of the window's monitor as the window knows it; the screen's for a null window or where the
// system cannot tell per window.
int DpiOf(HWND window);

// The DPI of the monitor that holds the taskbar (and with it the notification area), where the system
// tells DPI per monitor; the screen's otherwise.
int TaskbarDpi();

// A system metric at the given DPI (scaled from the screen's where the system has no per-DPI metrics).
int SystemMetricForDpi(int index, int dpi);

// Outer window rectangle for the client rectangle r at the given DPI.
void AdjustWindowRectForDpi(RECT& r, DWORD style, DWORD exStyle, int dpi);

}  // namespace ui
