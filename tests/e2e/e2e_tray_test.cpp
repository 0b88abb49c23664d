// The real program and the shell's tray: Start hides the window behind the icon, and a real click on
// the icon in the tray brings it back.
#include "E2eSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

namespace id = layout::form1;

// Wine's stand-alone tray window and the icons in it (on Windows the icons live in the taskbar).
std::vector<HWND> TrayIcons() {
    std::vector<HWND> icons;
    HWND tray = FindWindowW(L"__winex11_standalone_tray", nullptr);
    for (HWND icon = tray ? FindWindowExW(tray, nullptr, L"__winex11_tray_icon", nullptr) : nullptr; icon;
         icon = FindWindowExW(tray, icon, L"__winex11_tray_icon", nullptr)) {
        icons.push_back(icon);
    }
    return icons;
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

    ASSERT_TRUE(e2e::WaitFor([&] { return !TrayIcons().empty(); }, 10000));

    e2e::Pick(main, id::cboMins, L"05");
    e2e::Press(main, id::PushButton1);
    ASSERT_TRUE(e2e::WaitFor([&] { return e2e::TextOf(GetDlgItem(main, id::PushButton1)) == L"Pause"; }, 5000));
    ASSERT_TRUE(e2e::WaitFor([&] { return !IsWindowVisible(main); }, 5000));

    // Icons of programs that earlier tests ended may still stand beside ours for a while; a click
    // on one of those does nothing, so the icons are clicked in turn until the window is back.
    bool back = false;
    for (HWND icon : TrayIcons()) {
        RECT r{};
        GetWindowRect(icon, &r);
        ClickAt({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
        back = e2e::WaitFor([&] { return IsWindowVisible(main) && !IsIconic(main); }, 2000);
        if (back) break;
    }
    EXPECT_TRUE(back);
    // The countdown went on while the window was hidden.
    EXPECT_EQ(e2e::TextOf(GetDlgItem(main, id::PushButton1)), L"Pause");
}

}  // namespace
