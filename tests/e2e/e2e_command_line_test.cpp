// The real program started again while a copy runs, and started with a duration: one timer per user,
// durations and switches on the command line in a first copy and in a running one, a copy that ends
// meanwhile leaving the timer to the later one, bad arguments refused.
#include "E2eSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

namespace id = layout::form1;

using Values = std::map<std::wstring, std::wstring>;

// Every string value under a key, by name.
Values ValuesOf(HKEY root, const wchar_t* path) {
    Values values;
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return values;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256] = {};
        wchar_t data[1024] = {};
        DWORD nameLength = 256;
        DWORD dataBytes = sizeof data - sizeof(wchar_t);
        if (RegEnumValueW(key, i, name, &nameLength, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &dataBytes) !=
            ERROR_SUCCESS) {
            break;
        }
        values[name] = data;
    }
    RegCloseKey(key);
    return values;
}

Values StoredSettings() {
    return ValuesOf(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\Vendrel\\Corvalin Timer Software");
}

Values RunEntries() { return ValuesOf(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"); }

std::wstring PickerText(HWND main, int picker) {
    wchar_t text[16] = {};
    HWND list = GetDlgItem(main, picker);
    const LRESULT index = SendMessageW(list, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) return L"";
    // Two digits: the text fits the buffer, and CB_GETLBTEXT is marshalled across processes.
    SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return text;
}

TEST(EndToEnd, ASecondStartBringsTheHiddenFirstCopyBackAndMakesNoSecondTimer) {
    e2e::Program first;
    HWND main = first.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(e2e::WaitFor([&] { return !e2e::TrayIcons().empty(); }, 10000));
    PostMessageW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(e2e::WaitFor([&] { return !IsWindowVisible(main); }, 5000));
    // Icons of programs that earlier tests ended may still be leaving; none may come.
    const std::size_t iconsBefore = e2e::TrayIcons().size();

    e2e::Program second(L"", false);
    ASSERT_TRUE(second.Exited(30000));
    EXPECT_EQ(second.ExitCode(), 0u);
    EXPECT_TRUE(e2e::WaitFor([&] { return IsWindowVisible(main) && !IsIconic(main); }, 5000));
    EXPECT_TRUE(e2e::WaitFor([&] { return GetForegroundWindow() == main; }, 5000));
    EXPECT_EQ(e2e::RunningCopies(), 1);
    EXPECT_LE(e2e::TrayIcons().size(), iconsBefore);
    EXPECT_EQ(second.Find(L"Corvalin Timer Software"), nullptr);
}

TEST(EndToEnd, TwoCopiesStartedAtOnceMakeOneTimer) {
    e2e::Program one;
    e2e::Program other(L"", false);
    // Whichever lost waits for the winner's window, hands over and ends.
    ASSERT_TRUE(e2e::WaitFor([&] { return one.Exited(0) || other.Exited(0); }, 30000));
    const e2e::Program& winner = one.Exited(0) ? other : one;
    EXPECT_NE(winner.WaitForMainWindow(), nullptr);
    EXPECT_FALSE(winner.Exited(0));
    EXPECT_EQ(e2e::RunningCopies(), 1);
}

TEST(EndToEnd, AHandOverToACopyThatEndsMeanwhileLeavesTheTimerToTheLaterCopy) {
    e2e::Program first;
    ASSERT_NE(first.WaitForMainWindow(), nullptr);
    first.Suspend();
    e2e::Program later(L"25m", false);
    // Long enough for the later copy to give up its hand-over to the copy that does not answer.
    EXPECT_FALSE(later.Exited(7000));
    first.Kill();
    // The later copy's countdown hides its window behind the tray icon at once.
    HWND main = later.WaitForWindow(L"Corvalin Timer Software", 20000);
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(e2e::WaitFor([&] { return e2e::TextOf(GetDlgItem(main, id::PushButton1)) == L"Pause"; }, 10000));
    EXPECT_EQ(PickerText(main, id::cboMins), L"25");
    EXPECT_EQ(e2e::RunningCopies(), 1);
}

TEST(EndToEnd, ADurationHandedToAnIdleRunningCopyStartsThereAndTheSwitchesWorkOnIt) {
    e2e::Program first;
    HWND main = first.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    // Idle behind its tray icon, as a timer waits most of the day.
    PostMessageW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(e2e::WaitFor([&] { return !IsWindowVisible(main); }, 5000));

    e2e::Program second(L"1h2m3s", false);
    ASSERT_TRUE(second.Exited(30000));
    EXPECT_EQ(second.ExitCode(), 0u);
    ASSERT_TRUE(e2e::WaitFor([&] { return e2e::TextOf(GetDlgItem(main, id::PushButton1)) == L"Pause"; }, 10000));
    // Still behind the tray icon once the countdown runs.
    EXPECT_TRUE(e2e::WaitFor(
        [&] { return e2e::TextOf(GetDlgItem(main, id::lblTimer)) != L"000:00:00.0" && !IsWindowVisible(main); },
        5000));
    EXPECT_TRUE(
        e2e::WaitFor([&] { return e2e::TextOf(GetDlgItem(main, id::lblTimer)).starts_with(L"001:02:0"); }, 10000));
    // Shown and stored as picks are.
    EXPECT_EQ(PickerText(main, id::cboHrs) + PickerText(main, id::cboMins) + PickerText(main, id::cboSecs), L"010203");
    const Values stored = StoredSettings();
    EXPECT_EQ(stored.at(L"Hours") + stored.at(L"Minutes") + stored.at(L"Seconds"), L"010203");
    EXPECT_EQ(e2e::RunningCopies(), 1);

    // The switches do what the buttons do there, and nothing, quietly, where there is nothing to do.
    const auto handOver = [&](const wchar_t* arguments, const wchar_t* caption, bool idle) {
        e2e::Program copy(arguments, false);
        ASSERT_TRUE(copy.Exited(30000) && copy.ExitCode() == 0u) << testing::PrintToString(std::wstring(arguments));
        const auto display = [&] { return e2e::TextOf(GetDlgItem(main, id::lblTimer)); };
        EXPECT_TRUE(e2e::WaitFor([&] { return e2e::TextOf(GetDlgItem(main, id::PushButton1)) == caption; }, 10000));
        EXPECT_EQ(display() == L"000:00:00.0", idle) << testing::PrintToString(std::wstring(arguments));
    };
    for (const wchar_t* twice : {L"/PAUSE", L"/pause"}) handOver(twice, L"Start", false);
    handOver(L"/resume", L"Pause", false);
    for (const wchar_t* twice : {L"/reset", L"/reset"}) handOver(twice, L"Start", true);
    EXPECT_EQ(e2e::RunningCopies(), 1);

    // "/new" opens a further timer in the running copy, labelled and counting at once.
    e2e::Program tea(L"/new 4m /label:Tea", false);
    ASSERT_TRUE(tea.Exited(30000) && tea.ExitCode() == 0u);
    const HWND teaWindow = first.WaitForWindow(L"Tea - Corvalin Timer Software", 10000);
    ASSERT_NE(teaWindow, nullptr);
    EXPECT_TRUE(e2e::WaitFor([&] { return e2e::TextOf(GetDlgItem(teaWindow, id::lblTimer)).starts_with(L"000:03:5"); }, 10000));
    EXPECT_EQ(e2e::TextOf(GetDlgItem(main, id::PushButton1)), L"Start");
    EXPECT_EQ(e2e::RunningCopies(), 1);
}

TEST(EndToEnd, ADurationGivenToAFirstCopyCountsDownAndRings) {
    const std::wstring capture = e2e::SoundCapturePath();
    if (capture.empty()) GTEST_SKIP() << "CORVALIN_SOUND_CAPTURE is not set";
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\Vendrel");
    DeleteFileW(capture.c_str());

    e2e::Program program(L"0:00:02");
    HWND main = program.WaitForWindow(L"Corvalin Timer Software", 20000);
    ASSERT_NE(main, nullptr);
    HWND expired = program.WaitForShownWindow(L" Time Expired", 20000);
    ASSERT_NE(expired, nullptr);
    EXPECT_EQ(PickerText(main, id::cboSecs), L"02");
    EXPECT_TRUE(e2e::WaitFor([&] { return e2e::SizeOf(capture) > 20000; }, 5000)) << e2e::SizeOf(capture);
    // Killed while the alarm is up (a crash, an update's restart), the program rings again at its next
    // start: the alarm is never lost unanswered.
    program.Kill();
    ASSERT_TRUE(program.Exited(5000));
    e2e::Program again(L"", false);
    expired = again.WaitForShownWindow(L" Time Expired", 20000);
    ASSERT_NE(expired, nullptr);
    e2e::Press(expired, layout::form2::PushButton1);
    EXPECT_TRUE(e2e::WaitFor([&] { return !IsWindow(expired); }, 5000));
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\Vendrel");
}

TEST(EndToEnd, ABadArgumentIsRefusedWithItsMessageAndTouchesNothing) {
    e2e::Program first;
    HWND main = first.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    e2e::Pick(main, id::cboMins, L"07");
    ASSERT_TRUE(e2e::WaitFor([&] { return StoredSettings()[L"Minutes"] == L"07"; }, 5000));
    const Values settings = StoredSettings();
    const Values run = RunEntries();

    // An extra word, and a digit from another script that looks like one of ours.
    const std::vector<std::pair<std::wstring, std::wstring>> refusals{{L"25m please", L"\"please\""},
                                                                      {L"2\u0665m", L"\"2\u0665m\""}};
    for (const auto& [arguments, named] : refusals) {
        e2e::Program bad(arguments, false);
        HWND box = bad.WaitForWindow(L"Corvalin Timer", 20000);
        ASSERT_NE(box, nullptr) << "no message for " << testing::PrintToString(arguments);
        // The message box's text is its static control's.
        const std::wstring text = e2e::TextOf(GetDlgItem(box, 0xFFFF));
        EXPECT_NE(text.find(named), std::wstring::npos) << testing::PrintToString(text);
        EXPECT_NE(text.find(L"1h30m"), std::wstring::npos) << testing::PrintToString(text);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(bad.Exited(10000));
        EXPECT_NE(bad.ExitCode(), 0u);
    }
    EXPECT_EQ(StoredSettings(), settings);
    EXPECT_EQ(RunEntries(), run);
    EXPECT_EQ(e2e::TextOf(GetDlgItem(main, id::PushButton1)), L"Start");
    EXPECT_EQ(e2e::TextOf(GetDlgItem(main, id::lblTimer)), L"000:00:00.0");
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_EQ(e2e::RunningCopies(), 1);
}

}  // namespace
