// The real program and the shell's tray: Start hides the window behind the icon, and a real click on
// the icon in the tray brings it back.
#include "E2eSupport.h"

#include <gtest/gtest.h>

namespace {

namespace id = layout::form1;

// Wine's stand-alone tray window and the icon in it (on Windows the icon lives in the taskbar).
HWND FindTrayIcon() {
    HWND tray = FindWindowW(L"__winex11_standalone_tray", nullptr);
    return tray ? FindWindowExW(tray, nullptr, L"__winex11_tray_icon", nullptr) : nullptr;
}

void ClickAt(POINT p) {
    SetCursorPos(p.x, p.y);
    INPUT inputs[2] = {};
    inputs[0].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[1].type = INPUT_MOUSE;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, inputs, sizeof(INPUT));
}

TEST(EndToEnd, StartHidesTheWindowBehindTheTrayIconAndAClickOnTheIconBringsItBack) {
    e2e::Program program;
    ASSERT_TRUE(program.Started());
    HWND main = program.WaitForWindow(L"Corvalin Timer Software", 20000);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(e2e::WaitFor([&] { return IsWindowVisible(main) != FALSE; }, 20000));

    HWND icon = nullptr;
    ASSERT_TRUE(e2e::WaitFor([&] { return (icon = FindTrayIcon()) != nullptr; }, 10000));

    e2e::Pick(main, id::cboMins, L"05");
    e2e::Press(main, id::PushButton1);
    ASSERT_TRUE(e2e::WaitFor([&] { return e2e::TextOf(GetDlgItem(main, id::PushButton1)) == L"Pause"; }, 5000));
    ASSERT_TRUE(e2e::WaitFor([&] { return !IsWindowVisible(main); }, 5000));

    RECT r{};
    GetWindowRect(icon, &r);
    ClickAt({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    EXPECT_TRUE(e2e::WaitFor([&] { return IsWindowVisible(main) && !IsIconic(main); }, 5000));
    // The countdown went on while the window was hidden.
    EXPECT_EQ(e2e::TextOf(GetDlgItem(main, id::PushButton1)), L"Pause");
}

}  // namespace
