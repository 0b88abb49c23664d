// The real program run from the keyboard alone, with real key presses through the system's input
// queue: the main window opens with the focus on the hours list, Tab and the arrow keys choose a
// duration, and Enter on Start runs the countdown.
#include "E2eSupport.h"
#include "tests/InputSupport.h"

#include <gtest/gtest.h>

namespace {

namespace id = layout::form1;

int const kWait = 10000;

// The control that has the keyboard focus in the window's GUI thread.
HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

TEST(EndToEnd, KeyboardAloneChoosesADurationAndStartsTheCountdown) {
    e2e::Program program;
    HWND main = program.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    // Typed keys go to the foreground window: the program takes it when it opens, or else is given it.
    if (!e2e::WaitFor([&] { return GetForegroundWindow() == main; }, kWait)) SetForegroundWindow(main);
    ASSERT_TRUE(e2e::WaitFor([&] { return GetForegroundWindow() == main; }, kWait));
    // Without a window manager the X server gives the keys to the window under the pointer.
    RECT display{};
    GetWindowRect(GetDlgItem(main, id::lblTimer), &display);
    SetCursorPos((display.left + display.right) / 2, (display.top + display.bottom) / 2);

    const auto focusOn = [main](int control) {
        return [main, control] { return FocusOf(main) == GetDlgItem(main, control); };
    };
    // No Tab is needed first: the hours list has the focus.
    ASSERT_TRUE(e2e::WaitFor(focusOn(id::cboHrs), kWait));
    testinput::Type(VK_TAB);
    ASSERT_TRUE(e2e::WaitFor(focusOn(id::cboMins), kWait));
    testinput::Type(VK_DOWN);
    ASSERT_TRUE(e2e::WaitFor([&] { return SendMessageW(GetDlgItem(main, id::cboMins), CB_GETCURSEL, 0, 0) == 1; },
                             kWait));
    testinput::Type(VK_TAB);
    ASSERT_TRUE(e2e::WaitFor(focusOn(id::cboSecs), kWait));
    testinput::Type(VK_TAB);
    ASSERT_TRUE(e2e::WaitFor(focusOn(id::PushButton1), kWait));
    testinput::Type(VK_RETURN);

    EXPECT_TRUE(e2e::WaitFor([&] { return e2e::TextOf(GetDlgItem(main, id::PushButton1)) == L"Pause"; }, kWait));
    EXPECT_TRUE(e2e::WaitFor([&] { return !IsWindowVisible(main); }, kWait));
    // The minute picked with the arrow key is what counts down.
    EXPECT_TRUE(e2e::WaitFor(
        [&] {
            const std::wstring shown = e2e::TextOf(GetDlgItem(main, id::lblTimer));
            return shown.rfind(L"000:01:00.", 0) == 0 || shown.rfind(L"000:00:59.", 0) == 0;
        },
        kWait));
}

}  // namespace
