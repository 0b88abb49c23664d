// A timer's mini countdown, its recent durations and the global keys, in a running program.
#include "Form1Fixture.h"
#include "TestSupport.h"
#include "app/MiniCountdown.h"
#include "core/Settings.h"
#include "resources/Layouts.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

using testsupport::TextOf;
using Kind = app::CommandLineRequest::Kind;

class Form1Mini : public testsupport::ShownForm1 {
protected:
    void Start(int minutes, int seconds) {
        SendMessageW(form.cboMins(), CB_SETCURSEL, minutes, 0);
        SendMessageW(form.cboSecs(), CB_SETCURSEL, seconds, 0);
        form.PushButton1_Click();
    }
    void Switch(Kind kind) {
        app::CommandLineRequest request;
        request.kind = kind;
        ASSERT_EQ(program.HandOver(request), app::kHandOverTaken);
        testsupport::PumpPending();
    }
    std::optional<platform::TimerRecord> Stored() {
        for (const platform::StoredTimer& timer : program.Records.LoadAll(app::UtcNow())) return timer.record;
        return std::nullopt;
    }
    static std::wstring Setting(const wchar_t* name) {
        return testsupport::RegistryText(HKEY_CURRENT_USER, core::kSettingsKeyPath, name).value_or(L"");
    }
};

TEST_F(Form1Mini, TheMiniCountdownCountsOnTopWithoutTheForegroundAndKeepsItsPlaceOnTheScreen) {
    form.SetLabel(L"Tea");
    const HMENU menu = GetSystemMenu(form.hwnd(), FALSE);
    wchar_t item[40] = {};
    GetMenuStringW(menu, app::Form1::kMiniCommand, item, 40, MF_BYCOMMAND);
    EXPECT_STREQ(item, L"Mini Countdown\tCtrl+M");
    const HWND before = GetForegroundWindow();
    SendMessageW(form.hwnd(), WM_SYSCOMMAND, app::Form1::kMiniCommand, 0);
    ASSERT_TRUE(form.MiniShown());
    const HWND mini = form.Mini()->hwnd();
    const LONG_PTR styles = WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW;
    EXPECT_EQ(GetWindowLongPtrW(mini, GWL_EXSTYLE) & styles, styles);
    EXPECT_TRUE(IsWindowVisible(mini) && GetForegroundWindow() == before);
    SendMessageW(form.hwnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MAKELPARAM(0, TRUE));
    EXPECT_TRUE(GetMenuState(menu, app::Form1::kMiniCommand, MF_BYCOMMAND) & MF_CHECKED);

    // It counts with the timer, and says so while paused; its name is what it shows. Its last minute is
    // told to screen readers once, never every second.
    testsupport::LiveRegionWatcher liveRegions;
    Start(0, 9);
    EXPECT_TRUE(testsupport::RunProgramLoopUntil([&] { return TextOf(mini) == L"Tea 000:00:07"; })) << TextOf(mini);
    EXPECT_EQ(std::count(liveRegions.Events().begin(), liveRegions.Events().end(), mini), 1);
    Switch(Kind::Pause);
    EXPECT_EQ(TextOf(mini).substr(0, 10), L"Tea 000:00");
    EXPECT_EQ(TextOf(mini).substr(13), L" Paused");

    // Left on a monitor that has gone, it comes back onto the work area; its place is in the record.
    SetWindowPos(mini, nullptr, 30000, 30000, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(mini, WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
    RECT rect{};
    GetWindowRect(mini, &rect);
    EXPECT_TRUE(MonitorFromRect(&rect, MONITOR_DEFAULTTONULL)) << rect.left << "," << rect.top;
    // Put down 40 pixels into the work area (the virtual screen has no taskbar: workspace coordinates
    // are the screen's), the record keeps that place.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(mini, MONITOR_DEFAULTTOPRIMARY), &monitor);
    SetWindowPos(mini, nullptr, monitor.rcWork.left + 40, monitor.rcWork.top + 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    form.SaveRecord(true);
    const auto kept = Stored();
    ASSERT_TRUE(kept && kept->mini);
    EXPECT_TRUE(kept->miniLeft == monitor.rcWork.left + 40 && kept->miniTop == monitor.rcWork.top + 40)
        << kept->miniLeft << "," << kept->miniTop;

    // A timer that comes back from its record brings its mini countdown back at that place.
    app::Form1* other = program.NewTimer(&*kept);
    ASSERT_TRUE(other && other->MiniShown());
    EXPECT_TRUE(other->Mini()->Place().x == kept->miniLeft && other->Mini()->Place().y == kept->miniTop);
    // "/mini" hides them when any shows, and shows them all otherwise.
    Switch(Kind::Mini);
    EXPECT_FALSE(form.MiniShown() || other->MiniShown() || IsWindowVisible(mini));
    Switch(Kind::Mini);
    EXPECT_TRUE(form.MiniShown() && other->MiniShown());
}

TEST_F(Form1Mini, StartedDurationsAreKeptNewestFirstAndStartAgainFromTheSystemMenu) {
    Start(0, 7);
    Switch(Kind::Reset);
    Start(25, 0);
    Switch(Kind::Reset);
    // A clock time is kept as the clock time.
    SYSTEMTIME local{};
    GetLocalTime(&local);
    const std::wstring clock = L"@" + std::to_wstring((local.wHour + 2) % 24) + L":00";
    ASSERT_EQ(program.HandOver(app::ParseCommandLine({clock})), app::kHandOverTaken);
    testsupport::PumpPending();
    Switch(Kind::Reset);
    EXPECT_EQ(Setting(L"Recent Durations"), clock + L";0:25:00;0:00:07");

    const HMENU menu = GetSystemMenu(form.hwnd(), FALSE);
    SendMessageW(form.hwnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MAKELPARAM(0, TRUE));
    HMENU recent = nullptr;
    for (int i = 0; i < GetMenuItemCount(menu) && !recent; ++i) recent = GetSubMenu(menu, i);
    ASSERT_TRUE(recent);
    wchar_t item[40] = {};
    GetMenuStringW(recent, 2, item, 40, MF_BYPOSITION);
    EXPECT_EQ(GetMenuItemCount(recent), 3);
    EXPECT_STREQ(item, L"0:00:07");
    SendMessageW(form.hwnd(), WM_SYSCOMMAND, app::Form1::kRecentCommand + 0x20, 0);
    EXPECT_EQ(form.countdown().State(), core::CountdownState::Running);
    EXPECT_EQ(Setting(L"Seconds"), L"07");
    EXPECT_EQ(Setting(L"Recent Durations"), L"0:00:07;" + clock + L";0:25:00");
}

TEST_F(Form1Mini, AStoredKeyPausesAndResumesEveryTimerFromAnyWindowAndAKeyTakenElsewhereIsReported) {
    // Another program's window holds Ctrl+Alt+Q, and has the keyboard.
    const HWND elsewhere = CreateWindowExW(0, L"STATIC", L"elsewhere", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                                           nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(RegisterHotKey(elsewhere, 1, MOD_CONTROL | MOD_ALT, 'Q'));
    testsupport::PutRegistryText(HKEY_CURRENT_USER, core::kSettingsKeyPath, L"Key Pause All", L"Ctrl+Alt+P");
    testsupport::PutRegistryText(HKEY_CURRENT_USER, core::kSettingsKeyPath, L"Key New Timer", L"ctrl+alt+q");
    EXPECT_EQ(program.Keys.RegisterStored(program.hwnd()), std::vector<std::wstring>{L"ctrl+alt+q"});
    app::Form1& tea = *program.NewTimer();
    Start(5, 0);
    // Typed while another window has the keyboard (keys go where the pointer is under Xvfb).
    SetForegroundWindow(elsewhere);
    ASSERT_TRUE(testsupport::MoveMouseOnto(testsupport::CentreOf(elsewhere)));
    const auto press = [] {
        INPUT keys[6] = {};
        const WORD codes[6] = {VK_CONTROL, VK_MENU, 'P', 'P', VK_MENU, VK_CONTROL};
        for (int i = 0; i < 6; ++i) {
            keys[i].type = INPUT_KEYBOARD;
            keys[i].ki.wVk = codes[i];
            keys[i].ki.dwFlags = i < 3 ? 0 : KEYEVENTF_KEYUP;
        }
        SendInput(6, keys, sizeof(INPUT));
    };
    const auto state = [](app::Form1& timer) { return timer.countdown().State(); };
    ASSERT_TRUE(testsupport::RunProgramLoopUntil([&] { return form.countdown().Ticked(); }));
    press();
    EXPECT_TRUE(testsupport::RunProgramLoopUntil([&] { return state(form) == core::CountdownState::Paused; }));
    EXPECT_EQ(state(tea), core::CountdownState::Idle);
    press();
    EXPECT_TRUE(testsupport::RunProgramLoopUntil([&] { return state(form) == core::CountdownState::Running; }));

    // The Keys dialog names a key chosen for two actions, then one another program holds, and stores
    // nothing.
    std::wstring twice, taken;
    testsupport::Script user;
    const auto dialog = [] { return FindWindowW(L"#32770", L"Keys"); };
    const auto ok = [&](BYTE key) {
        SetDlgItemTextW(dialog(), 140, L"");
        SendDlgItemMessageW(dialog(), 100, HKM_SETHOTKEY, MAKEWORD(key, HOTKEYF_CONTROL | HOTKEYF_ALT), 0);
        PostMessageW(dialog(), WM_COMMAND, IDOK, 0);
    };
    user.Then([&] { return dialog() != nullptr; }, [&] { ok('Q'); });
    user.Then([&] { return !TextOf(GetDlgItem(dialog(), 140)).empty(); }, [&] {
        twice = TextOf(GetDlgItem(dialog(), 140));
        ok('P');
    });
    user.Then([&] { return !TextOf(GetDlgItem(dialog(), 140)).empty(); }, [&] {
        taken = TextOf(GetDlgItem(dialog(), 140));
        PostMessageW(dialog(), WM_COMMAND, IDCANCEL, 0);
    });
    SendMessageW(form.hwnd(), WM_SYSCOMMAND, app::Form1::kKeysCommand, 0);
    EXPECT_EQ(twice, L"Ctrl+Alt+Q is chosen for two actions. Choose it for one.");
    EXPECT_EQ(taken, L"Ctrl+Alt+Q is taken by another program. Choose another key, or none.");
    EXPECT_EQ(Setting(L"Key Pause All"), L"Ctrl+Alt+P");
    DestroyWindow(elsewhere);
}

}  // namespace
