// The real program, started under Wine and driven from outside: a short countdown from Start to expiry.
#include "E2eSupport.h"

#include <gtest/gtest.h>

namespace {

namespace id = layout::form1;

TEST(EndToEnd, TwoSecondCountdownRunsBringsTheWindowBackAndItsSnoozeCountsAMinuteAgain) {
    e2e::Program program;
    HWND main = program.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(e2e::TextOf(GetDlgItem(main, id::lblTimer)), L"000:00:00.0");

    e2e::Pick(main, id::cboHrs, L"00");
    e2e::Pick(main, id::cboMins, L"00");
    e2e::Pick(main, id::cboSecs, L"02");
    e2e::Press(main, id::PushButton1);

    HWND display = GetDlgItem(main, id::lblTimer);
    ASSERT_TRUE(e2e::WaitFor([&] { return e2e::TextOf(GetDlgItem(main, id::PushButton1)) == L"Pause"; }, 5000));
    // The window leaves the screen (minimised, or hidden behind the tray icon).
    EXPECT_TRUE(e2e::WaitFor([&] { return IsIconic(main) || !IsWindowVisible(main); }, 5000));
    std::wstring seen;
    ASSERT_TRUE(e2e::WaitFor(
        [&] {
            seen = e2e::TextOf(display);
            return seen.rfind(L"000:00:01.", 0) == 0 || seen.rfind(L"000:00:00.", 0) == 0;
        },
        5000))
        << "display shows " << std::string(seen.begin(), seen.end());

    // At zero the window comes back and Time Expired comes up; "+1 min" closes it and the same timer
    // counts a minute, however long a busy machine takes to show it.
    ASSERT_TRUE(e2e::WaitFor([&] { return IsWindowVisible(main) && !IsIconic(main); }, 20000));
    HWND expired = program.WaitForShownWindow(L" Time Expired", 20000);
    ASSERT_NE(expired, nullptr);
    e2e::Press(expired, layout::form2::PushButton3);
    EXPECT_TRUE(e2e::WaitFor([&] {
        const std::wstring text = e2e::TextOf(display);
        return !IsWindow(expired) && (text.starts_with(L"000:01:00.") || text.starts_with(L"000:00:5"));
    }, 5000)) << testing::PrintToString(e2e::TextOf(display));
    e2e::Press(main, id::PushButton2);
    EXPECT_TRUE(e2e::WaitFor([&] { return e2e::TextOf(GetDlgItem(main, id::PushButton1)) == L"Start"; }, 5000));
    EXPECT_TRUE(e2e::WaitFor([&] { return e2e::TextOf(display) == L"000:00:00.0"; }, 5000));
    // The lists come back with the reset.
    EXPECT_TRUE(e2e::WaitFor([&] { return IsWindowEnabled(GetDlgItem(main, id::cboHrs)) != FALSE; }, 5000));
}

TEST(EndToEnd, TheInstallersCloseEndsTheProgramWhileACountdownRuns) {
    e2e::Program program;
    HWND main = program.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    e2e::Pick(main, id::cboSecs, L"30");
    e2e::Press(main, id::PushButton1);
    ASSERT_TRUE(e2e::WaitFor([&] { return e2e::TextOf(GetDlgItem(main, id::PushButton1)) == L"Pause"; }, 5000));
    PostMessageW(main, WM_CLOSE, 0, app::Form1::kCloseForSetup);
    EXPECT_TRUE(program.Exited(10000));
}

}  // namespace
