// cSysTray against the real shell tray. Under Wine without a desktop tray on the X display, the
// explorer shows icons in its own "Wine System Tray" window, one child window per icon.
#include "tray_test_support.h"

#include "TestSupport.h"
#include "tray/cSysTray.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using traytest::Host;

using testsupport::kTrayCallback;

BOOL CALLBACK CollectIcon(HWND hwnd, LPARAM param) {
    wchar_t cls[64] = {};
    GetClassNameW(hwnd, cls, 64);
    if (std::wstring(cls) == L"__winex11_tray_icon") reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
    return TRUE;
}

BOOL CALLBACK CollectTopLevel(HWND hwnd, LPARAM param) {
    CollectIcon(hwnd, param);
    EnumChildWindows(hwnd, &CollectIcon, param);
    return TRUE;
}

// The windows the shell shows icons in, one per icon.
std::vector<HWND> ShellIcons() {
    std::vector<HWND> icons;
    EnumWindows(&CollectTopLevel, reinterpret_cast<LPARAM>(&icons));
    return icons;
}

// Whether the shell holds an icon for the window and id 0: a change of nothing succeeds only then.
bool InShell(HWND own) {
    NOTIFYICONDATAW record{};
    record.cbSize = NOTIFYICONDATAW_V2_SIZE;
    record.hWnd = own;
    return Shell_NotifyIconW(NIM_MODIFY, &record) != FALSE;
}

HWND NewIcon(const std::vector<HWND>& before) {
    for (HWND icon : ShellIcons()) {
        if (std::find(before.begin(), before.end(), icon) == before.end()) return icon;
    }
    return nullptr;
}

class TrayShell : public testing::Test {
protected:
    void SetUp() override {
        if (!FindWindowW(L"Shell_TrayWnd", nullptr)) GTEST_SKIP() << "no shell tray on this desktop";
        before = ShellIcons();
    }

    // Clicks the icon's window the way a user's mouse does.
    static void Click(HWND icon, DWORD down, DWORD up) {
        const POINT at = testsupport::CentreOf(icon);
        SetCursorPos(at.x, at.y);
        ASSERT_TRUE(testsupport::PumpUntil([&] { return WindowFromPoint(at) == icon; }, 5000));
        INPUT input[2] = {};
        input[0].type = input[1].type = INPUT_MOUSE;
        input[0].mi.dwFlags = down;
        input[1].mi.dwFlags = up;
        SendInput(2, input, sizeof(INPUT));
    }

    Host host;
    std::vector<HWND> before;
};

TEST_F(TrayShell, InTrayTrueTwicePutsOneIconInTheShellAndFalseTakesItOut) {
    cSysTray tray(host.hwnd());
    tray.TrayTip(L"Corvalin Timer Software");
    tray.InTray(true);
    tray.InTray(true);
    EXPECT_TRUE(InShell(tray.OwnWindow()));
    EXPECT_EQ(ShellIcons().size(), before.size() + 1);
    tray.InTray(false);
    EXPECT_FALSE(InShell(tray.OwnWindow()));
    EXPECT_TRUE(testsupport::PumpUntil([&] { return ShellIcons().size() == before.size(); }, 2000));
}

TEST_F(TrayShell, InTrayFalseWhenNeverTrueSendsNothingToTheShell) {
    cSysTray tray(host.hwnd());
    std::vector<traytest::ShellCall> calls;
    traytest::Record(tray, calls, true);
    tray.InTray(false);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(ShellIcons().size(), before.size());
}

TEST_F(TrayShell, RealClicksOnTheIconRaiseDownAndUpWithTheirButton) {
    cSysTray tray(host.hwnd());
    std::vector<std::wstring> seen;
    tray.MouseDown = [&](std::int16_t b, std::int32_t id) { seen.push_back(L"down " + std::to_wstring(b) + L" " + std::to_wstring(id)); };
    tray.MouseUp = [&](std::int16_t b, std::int32_t id) { seen.push_back(L"up " + std::to_wstring(b) + L" " + std::to_wstring(id)); };
    tray.InTray(true);
    HWND icon = NewIcon(before);
    ASSERT_NE(icon, nullptr);
    ASSERT_TRUE(testsupport::PumpUntil([&] { return IsWindowVisible(icon) != FALSE; }, 2000));
    Click(icon, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(testsupport::PumpUntil([&] { return seen.size() >= 2; }, 3000));
    // A press of the other button: never the second half of a double click, however soon it comes.
    Click(icon, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
    ASSERT_TRUE(testsupport::PumpUntil([&] { return seen.size() >= 4; }, 3000));
    const std::vector<std::wstring> expected = {L"down 1 0", L"up 1 0", L"down 2 0", L"up 2 0"};
    EXPECT_EQ(seen, expected);
}

TEST_F(TrayShell, BalloonWaitReturnsAtOnceWhenTheShellReportsTheBalloonClicked) {
    cSysTray tray(host.hwnd());
    tray.InTray(true);
    PostMessageW(tray.OwnWindow(), kTrayCallback, 0, 1029);
    const ULONGLONG start = GetTickCount64();
    tray.ShowBalloon(L"has been minimized to the system tray.\r\nClick on the icon.", L"Corvalin Timer Software", 5,
                     true);
    EXPECT_LT(GetTickCount64() - start, 2500u);
    EXPECT_TRUE(InShell(tray.OwnWindow()));
}

TEST_F(TrayShell, TimerTicksRunDuringTheBalloonWaitAndTheIconStays) {
    cSysTray tray(host.hwnd());
    tray.InTray(true);
    int ticks = 0;
    host.onTimer = [&](UINT_PTR) { ++ticks; };
    SetTimer(host.hwnd(), 1, 100, nullptr);
    tray.ShowBalloon(L"text", L"title", 1, false);
    KillTimer(host.hwnd(), 1);
    EXPECT_GE(ticks, 5);
    EXPECT_TRUE(InShell(tray.OwnWindow()));
}

TEST_F(TrayShell, TaskbarCreatedPutsBackTheIconTheShellForgot) {
    cSysTray tray(host.hwnd());
    tray.InTray(true);
    // What a restarted shell knows of our icon: nothing.
    NOTIFYICONDATAW forget{};
    forget.cbSize = NOTIFYICONDATAW_V2_SIZE;
    forget.hWnd = tray.OwnWindow();
    Shell_NotifyIconW(NIM_DELETE, &forget);
    ASSERT_FALSE(InShell(tray.OwnWindow()));
    PostMessageW(tray.OwnWindow(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    testsupport::PumpPending();
    EXPECT_TRUE(InShell(tray.OwnWindow()));
    EXPECT_EQ(ShellIcons().size(), before.size() + 1);
}

TEST_F(TrayShell, DestroyingTheControlLeavesNoIcon) {
    HWND own = nullptr;
    {
        cSysTray tray(host.hwnd());
        tray.InTray(true);
        own = tray.OwnWindow();
        ASSERT_TRUE(InShell(own));
    }
    EXPECT_FALSE(InShell(own));
    EXPECT_TRUE(testsupport::PumpUntil([&] { return ShellIcons().size() == before.size(); }, 2000));
}

}  // namespace
