// The real program, started under Wine and driven from outside: a one-second countdown rings the
// delivered alarm.wav and opens " Time Expired"; its restart button runs the countdown again, which
// rings again. The sound device writes what it plays into the capture file the environment names.
#include "E2eSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

namespace id = layout::form1;

using e2e::SoundCapturePath;
using e2e::SizeOf;

TEST(EndToEnd, OneSecondCountdownRingsAndTheRestartButtonRingsItAgain) {
    const std::wstring capture = SoundCapturePath();
    if (capture.empty()) GTEST_SKIP() << "CORVALIN_SOUND_CAPTURE is not set";
    ASSERT_NE(GetFileAttributesW((e2e::ProgramDir() + L"\\alarm.wav").c_str()), INVALID_FILE_ATTRIBUTES)
        << "the build delivers alarm.wav beside the program";
    // The program's first run: the Alarm Options path is the delivered alarm.wav.
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\Vendrel");
    DeleteFileW(capture.c_str());

    e2e::Program program;
    HWND main = program.WaitForMainWindow();
    ASSERT_NE(main, nullptr);

    e2e::Pick(main, id::cboHrs, L"00");
    e2e::Pick(main, id::cboMins, L"00");
    e2e::Pick(main, id::cboSecs, L"01");
    e2e::Press(main, id::PushButton1);

    HWND expired = program.WaitForShownWindow(L" Time Expired", 15000);
    ASSERT_NE(expired, nullptr);
    EXPECT_TRUE(IsWindowVisible(main) && !IsIconic(main));
    // The alarm plays: what the device receives keeps growing.
    ASSERT_TRUE(e2e::WaitFor([&] { return SizeOf(capture) > 20000; }, 5000)) << SizeOf(capture);
    const long long first = SizeOf(capture);
    EXPECT_TRUE(e2e::WaitFor([&] { return SizeOf(capture) > first; }, 3000));

    e2e::Press(expired, layout::form2::PushButton2);
    ASSERT_TRUE(e2e::WaitFor([&] { return !IsWindow(expired); }, 5000));
    // The same countdown runs again; the window leaves the screen.
    EXPECT_TRUE(e2e::WaitFor([&] { return !IsWindowVisible(main) || IsIconic(main); }, 3000));
    DeleteFileW(capture.c_str());

    HWND again = program.WaitForShownWindow(L" Time Expired", 10000);
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(e2e::WaitFor([&] { return SizeOf(capture) > 20000; }, 5000)) << SizeOf(capture);

    e2e::Press(again, layout::form2::PushButton1);
    EXPECT_TRUE(e2e::WaitFor([&] { return !IsWindow(again); }, 5000));
    EXPECT_TRUE(e2e::WaitFor([&] { return e2e::TextOf(GetDlgItem(main, id::PushButton1)) == L"Start"; }, 5000));
    EXPECT_EQ(e2e::TextOf(GetDlgItem(main, id::lblTimer)), L"000:00:00.0");
    EXPECT_TRUE(IsWindowVisible(main) && !IsIconic(main));
    // OK silenced the alarm: nothing more reaches the device, however long the program takes to close
    // (a sound still playing would add to the capture until the close resets its device).
    const long long stopped = SizeOf(capture);
    PostMessageW(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(program.Exited(20000));
    EXPECT_EQ(SizeOf(capture), stopped);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\Vendrel");
}

}  // namespace
