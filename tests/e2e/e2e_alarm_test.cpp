// The real program, started under Wine and driven from outside: a one-second countdown rings the
// delivered alarm.wav and opens " Time Expired"; its restart button runs the countdown again, which
// rings again. The sound device writes what it plays into the capture file the environment names.
#include "E2eSupport.h"
#include "tests/InputSupport.h"

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

    HWND expired = program.WaitForWindow(L" Time Expired", 15000);
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

    HWND again = program.WaitForWindow(L" Time Expired", 10000);
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

// Another program the user types in: Wine's notepad, ended with the test.
class Notepad {
public:
    Notepad() {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        wchar_t command[] = L"notepad.exe";
        if (!CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process_)) return;
        e2e::WaitFor([&] { return (window_ = Find()) != nullptr; }, 20000);
    }
    ~Notepad() {
        if (!process_.hProcess) return;
        TerminateProcess(process_.hProcess, 0);
        WaitForSingleObject(process_.hProcess, 10000);
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }
    Notepad(const Notepad&) = delete;
    Notepad& operator=(const Notepad&) = delete;

    HWND window() const { return window_; }
    bool Holds(const wchar_t* typed) const {
        return e2e::TextOf(FindWindowExW(window_, nullptr, L"Edit", nullptr)).find(typed) != std::wstring::npos;
    }

private:
    HWND Find() const {
        for (HWND w = FindWindowW(L"Notepad", nullptr); w; w = FindWindowExW(nullptr, w, L"Notepad", nullptr)) {
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            if (pid == process_.dwProcessId && IsWindowVisible(w)) return w;
        }
        return nullptr;
    }

    PROCESS_INFORMATION process_{};
    HWND window_ = nullptr;
};

// Time Expired takes the keyboard when no other program is in use, and leaves it to one the user types
// in; no key reaches the main window's buttons while it is up.
TEST(EndToEnd, TimeExpiredTakesTheKeyboardOnlyWhenNoOtherProgramIsInUse) {
    ASSERT_NE(GetFileAttributesW(L"Z:\\usr\\bin\\xdotool"), INVALID_FILE_ATTRIBUTES) << "xdotool is missing";
    e2e::Program program;
    HWND main = program.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    HWND start = GetDlgItem(main, id::PushButton1);

    // Started and left alone: the countdown hides the window, and nothing else is in front at the end.
    e2e::Pick(main, id::cboSecs, L"01");
    e2e::Press(main, id::PushButton1);
    HWND expired = program.WaitForWindow(L" Time Expired", 15000);
    ASSERT_NE(expired, nullptr);
    HWND ok = GetDlgItem(expired, layout::form2::PushButton1);
    EXPECT_TRUE(e2e::WaitFor([&] { return e2e::FocusOf(expired) == ok && GetForegroundWindow() == expired; }, 5000));
    EXPECT_TRUE(e2e::Above(expired, main));
    // Space and Enter sent to the disabled main window's Start start nothing; Escape answers the alarm.
    for (WPARAM key : {VK_SPACE, VK_RETURN}) {
        PostMessageW(start, WM_KEYDOWN, key, 1);
        PostMessageW(start, WM_KEYUP, key, 0xC0000001);
    }
    testinput::Type(VK_ESCAPE);
    ASSERT_TRUE(e2e::WaitFor([&] { return !IsWindow(expired); }, 5000));
    EXPECT_TRUE(e2e::WaitFor([&] { return e2e::TextOf(start) == L"Start"; }, 5000));
    EXPECT_TRUE(IsWindowVisible(main) && !IsIconic(main)) << "a key started a countdown";

    // The user types in notepad while the countdown runs: the keys typed after the alarm reach it.
    Notepad notepad;
    ASSERT_NE(notepad.window(), nullptr) << "notepad did not start";
    SetForegroundWindow(notepad.window());
    ASSERT_TRUE(e2e::WaitFor([&] { return GetForegroundWindow() == notepad.window(); }, 5000));
    e2e::Pick(main, id::cboSecs, L"03");
    e2e::Press(main, id::PushButton1);
    ASSERT_TRUE(e2e::WaitFor([&] { return !IsWindowVisible(main); }, 5000));
    ASSERT_TRUE(e2e::RunOnHost("sleep 1.5; xdotool type before"));
    ASSERT_TRUE(e2e::WaitFor([&] { return notepad.Holds(L"before"); }, 5000));
    ASSERT_EQ(program.Find(L" Time Expired"), nullptr) << "the alarm came before the typing";
    expired = program.WaitForWindow(L" Time Expired", 15000);
    ASSERT_NE(expired, nullptr);
    ASSERT_TRUE(e2e::RunOnHost("xdotool type after"));
    EXPECT_TRUE(e2e::WaitFor([&] { return notepad.Holds(L"after"); }, 5000)) << e2e::TextOf(FindWindowExW(notepad.window(), nullptr, L"Edit", nullptr));
    {
        wchar_t cls[64] = {};
        GetClassNameW(GetForegroundWindow(), cls, 64);
        fwprintf(stderr, L"DIAG fg=%p class=%ls main=%p expired=%p desk=%p\n", GetForegroundWindow(), cls, main, expired, GetDesktopWindow());
    }
    EXPECT_EQ(GetForegroundWindow(), notepad.window());
    EXPECT_TRUE(e2e::Above(expired, notepad.window()) && e2e::Above(expired, main));
    EXPECT_TRUE(IsWindow(expired));
    e2e::Press(expired, layout::form2::PushButton1);
    EXPECT_TRUE(e2e::WaitFor([&] { return !IsWindow(expired); }, 5000));
}

}  // namespace
