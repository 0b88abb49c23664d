// The real program and the shell's tray: Start hides the window behind the icon, a real click on
// the icon in the tray brings it back, and the shell's tip and picture show the countdown.
#include "E2eSupport.h"
#include "tests/InputSupport.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

namespace id = layout::form1;

using e2e::TrayIcons;

// The icons that were not in the tray before.
std::vector<HWND> NewIcons(const std::vector<HWND>& before) {
    std::vector<HWND> fresh;
    for (HWND icon : TrayIcons()) {
        if (std::find(before.begin(), before.end(), icon) == before.end()) fresh.push_back(icon);
    }
    return fresh;
}

TEST(EndToEnd, StartHidesTheWindowBehindTheTrayIconAndAClickOnTheIconBringsItBack) {
    // Icons of programs that earlier tests ended may still stand in the tray for a while.
    const std::vector<HWND> before = TrayIcons();
    e2e::Program program;
    HWND main = program.WaitForMainWindow();
    ASSERT_NE(main, nullptr);

    ASSERT_TRUE(e2e::WaitFor([&] { return !NewIcons(before).empty(); }, 10000));

    e2e::Pick(main, id::cboMins, L"05");
    e2e::Press(main, id::PushButton1);
    ASSERT_TRUE(e2e::WaitFor([&] { return e2e::TextOf(GetDlgItem(main, id::PushButton1)) == L"Pause"; }, 5000));
    ASSERT_TRUE(e2e::WaitFor([&] { return !IsWindowVisible(main); }, 5000));

    // A click on a stale icon does nothing: the icons are clicked in turn, ours (a new one) first,
    // until the window is back.
    bool back = false;
    std::vector<HWND> icons = NewIcons(before);
    for (HWND icon : TrayIcons()) {
        if (std::find(icons.begin(), icons.end(), icon) == icons.end()) icons.push_back(icon);
    }
    for (HWND icon : icons) {
        RECT r{};
        GetWindowRect(icon, &r);
        testinput::ClickAt({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
        back = e2e::WaitFor([&] { return IsWindowVisible(main) && !IsIconic(main); }, 2000);
        if (back) break;
    }
    EXPECT_TRUE(back);
    // The countdown went on while the window was hidden.
    EXPECT_EQ(e2e::TextOf(GetDlgItem(main, id::PushButton1)), L"Pause");
}

// The text of a tooltip window of the shell when its tool is the given icon window. Tooltip
// messages carry pointers, so the record and the text go through memory in the shell's process.
std::wstring ToolTipFor(HWND tooltip, HWND icon) {
    DWORD pid = 0;
    GetWindowThreadProcessId(tooltip, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) return L"";
    constexpr std::size_t kTextOffset = 1024;
    constexpr std::size_t kTextChars = 512;
    auto* remote = static_cast<char*>(VirtualAllocEx(process, nullptr, kTextOffset + kTextChars * sizeof(wchar_t),
                                                     MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    std::wstring text;
    if (remote) {
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.lpszText = reinterpret_cast<wchar_t*>(remote + kTextOffset);
        wchar_t buffer[kTextChars] = {};
        DWORD_PTR found = 0;
        WriteProcessMemory(process, remote, &tool, sizeof tool, nullptr);
        WriteProcessMemory(process, remote + kTextOffset, buffer, sizeof buffer, nullptr);
        if (SendMessageTimeoutW(tooltip, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG, 2000,
                                &found) &&
            found && ReadProcessMemory(process, remote, &tool, sizeof tool, nullptr) && tool.hwnd == icon) {
            // The tool as the shell registered it, with our buffer for its text.
            tool.lpszText = reinterpret_cast<wchar_t*>(remote + kTextOffset);
            WriteProcessMemory(process, remote, &tool, sizeof tool, nullptr);
            SendMessageTimeoutW(tooltip, TTM_GETTEXTW, kTextChars, reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG,
                                2000, nullptr);
            ReadProcessMemory(process, remote + kTextOffset, buffer, sizeof buffer, nullptr);
            buffer[kTextChars - 1] = L'\0';
            text = buffer;
        }
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    CloseHandle(process);
    return text;
}

// The tip the shell holds for an icon: the shell keeps one tooltip window per icon, its tool the
// icon's window.
std::wstring ShellTip(HWND icon) {
    for (HWND w = FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr); w;
         w = FindWindowExW(nullptr, w, TOOLTIPS_CLASSW, nullptr)) {
        std::wstring tip = ToolTipFor(w, icon);
        if (!tip.empty()) return tip;
    }
    return L"";
}

// Pixels of the picture's progress mark on the screen inside the icon's window.
int MarkPixelsOnScreen(HWND icon) {
    RECT r{};
    GetWindowRect(icon, &r);
    HDC screen = GetDC(nullptr);
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) {
            const COLORREF c = GetPixel(screen, x, y);
            n += GetRValue(c) == 0xFF && GetGValue(c) == 0x6A && GetBValue(c) == 0x00;
        }
    }
    ReleaseDC(nullptr, screen);
    return n;
}

TEST(EndToEnd, TheShellsTipAndPictureShowTheTimeLeftWhileCounting) {
    e2e::Program program;
    HWND main = program.WaitForMainWindow();
    ASSERT_NE(main, nullptr);

    // A duration no other test uses, so that an icon an ended program left behind cannot match.
    e2e::Pick(main, id::cboMins, L"07");
    e2e::Pick(main, id::cboSecs, L"13");
    e2e::Press(main, id::PushButton1);
    const std::wstring counting = L"Corvalin Timer Software\n000:07:1";
    HWND ours = nullptr;
    ASSERT_TRUE(e2e::WaitFor(
        [&] {
            for (HWND icon : TrayIcons()) {
                const std::wstring tip = ShellTip(icon);
                if (tip.rfind(counting, 0) == 0 && tip.find(L" left, ends ") != std::wstring::npos) ours = icon;
            }
            return ours != nullptr;
        },
        10000));
    EXPECT_TRUE(e2e::WaitFor([&] { return MarkPixelsOnScreen(ours) > 0; }, 10000));

    e2e::Press(main, id::PushButton1);  // pause
    EXPECT_TRUE(e2e::WaitFor([&] { return ShellTip(ours).ends_with(L" left, paused"); }, 5000));
    // Paused within the countdown's first minute, however long the shell took to draw.
    EXPECT_EQ(ShellTip(ours).rfind(L"Corvalin Timer Software\n000:07:", 0), 0u);

    e2e::Press(main, id::PushButton2);  // reset
    EXPECT_TRUE(e2e::WaitFor([&] { return ShellTip(ours) == L"Corvalin Timer Software"; }, 5000));
    EXPECT_TRUE(e2e::WaitFor([&] { return MarkPixelsOnScreen(ours) == 0; }, 5000));
}

}  // namespace
