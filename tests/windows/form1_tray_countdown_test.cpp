// The countdown in the tray and the timer's power habits in a real main window: the tip and picture
// follow the countdown, a resume from sleep catches up at once, and the wake timer is set only while
// a countdown runs.
#include "Form1Fixture.h"
#include "TestSupport.h"
#include "app/CountdownDisplay.h"
#include "app/Form1.h"
#include "core/Program.h"
#include "resources/Layouts.h"
#include "resources/TrayPicture.h"
#include "tray/ProgressPicture.h"
#include "tray_test_support.h"
#include "ui/Clock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

namespace {

// The pixels of an icon as 0xAARRGGBB, rows top to bottom; its side in *size.
std::vector<std::uint32_t> IconPixels(HICON icon, int* size) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return {};
    core::UniqueBitmap color(info.hbmColor);
    core::UniqueBitmap mask(info.hbmMask);
    BITMAP bm{};
    GetObjectW(color.get(), sizeof bm, &bm);
    *size = bm.bmWidth;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = bm.bmWidth;
    bi.bmiHeader.biHeight = -bm.bmHeight;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(bm.bmWidth * bm.bmHeight));
    HDC dc = GetDC(nullptr);
    GetDIBits(dc, color.get(), 0, static_cast<UINT>(bm.bmHeight), pixels.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    return pixels;
}

// A tip without its end time.
std::wstring WithoutEnd(const std::wstring& tip) { return tip.substr(0, tip.find(L", ends ")); }

class Form1TrayCountdown : public testsupport::ShownForm1 {
protected:
    void SetUp() override {
        ShownForm1::SetUp();
        traytest::Record(program.cSysTray1, calls);
    }
    // The program outlives `calls`: its icon goes while they are still there to record it.
    void TearDown() override { program.cSysTray1.InTray(false); }
    void Seconds(int seconds) { SendMessageW(form.cboSecs(), CB_SETCURSEL, static_cast<WPARAM>(seconds), 0); }
    // The buttons as a user presses them.
    void Press(ui::PushButton& button) { SendMessageW(button.hwnd(), BM_CLICK, 0, 0); }
    std::wstring Tip() const { return WithoutEnd(program.cSysTray1.TrayTip()); }
    std::vector<std::uint32_t> Picture(int* size) const { return IconPixels(program.cSysTray1.TrayIcon()->IconHandle(), size); }
    // The tips the shell was told, in order.
    std::vector<std::wstring> TipsSent() const {
        std::vector<std::wstring> sent;
        for (const traytest::ShellCall& call : calls) {
            if (call.message == NIM_MODIFY && (call.record.uFlags & NIF_TIP)) sent.push_back(WithoutEnd(call.Tip()));
        }
        return sent;
    }

    std::vector<traytest::ShellCall> calls;
};

TEST_F(Form1TrayCountdown, TipAndPictureFollowTheCountdownAndTheShellHearsOnlyChanges) {
    Seconds(3);
    Press(form.PushButton1);
    ASSERT_TRUE(testsupport::PumpUntil([&] { return Tip() == L"Corvalin Timer Software\n000:00:02 left"; }, 5000))
        << std::string(Tip().begin(), Tip().end());
    // Counting, the tip ends with the clock time of the end, two seconds on: this minute, unless it turns.
    SYSTEMTIME now{};
    GetLocalTime(&now);
    wchar_t clock[80] = {};
    GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &now, nullptr, clock, 80);
    EXPECT_TRUE(program.cSysTray1.TrayTip().ends_with(L", ends " + std::wstring(clock)) || now.wSecond >= 55);
    int size = 0;
    const std::vector<std::uint32_t> running = Picture(&size);
    EXPECT_EQ(size, 16);
    const auto marked = std::count(running.begin(), running.end(), tray::kProgressMark);
    // A second of four has gone (a fresh countdown of N seconds runs N + 1): about three quarters
    // of the frame's 52 pixels inside the black rim are marked.
    EXPECT_GT(marked, 52 / 2);
    EXPECT_LT(marked, 52 * 5 / 6);

    Press(form.PushButton1);  // pause
    EXPECT_EQ(program.cSysTray1.TrayTip(), L"Corvalin Timer Software\n000:00:02 left, paused");
    // The same time left, paused: a pause sign over the 'V', the mark as it was.
    const std::vector<std::uint32_t> paused = Picture(&size);
    ASSERT_EQ(paused.size(), running.size());
    EXPECT_NE(paused, running);
    EXPECT_EQ(std::count(paused.begin(), paused.end(), tray::kProgressMark), marked);

    const std::vector<std::wstring> expected = {L"Corvalin Timer Software\n000:00:03 left",
                                                L"Corvalin Timer Software\n000:00:02 left",
                                                L"Corvalin Timer Software\n000:00:02 left, paused"};
    EXPECT_EQ(TipsSent(), expected);
    // One picture per displayed second, and one for the pause.
    const auto picture = [](const traytest::ShellCall& call) {
        return call.message == NIM_MODIFY && (call.record.uFlags & NIF_ICON) != 0;
    };
    EXPECT_EQ(std::count_if(calls.begin(), calls.end(), picture), 3);

    Press(form.PushButton2);  // reset
    EXPECT_EQ(Tip(), L"Corvalin Timer Software");
    const std::vector<std::uint32_t> idle = Picture(&size);
    EXPECT_TRUE(std::equal(idle.begin(), idle.end(), resources::tray_picture::kPixels.begin(),
                           resources::tray_picture::kPixels.end()));

    // From expiry on the tip is the product name again, while the Time Expired window is up too.
    Seconds(1);
    testsupport::WindowAnswerer ok(L" Time Expired", layout::form2::PushButton1);
    ok.SetEnabled(false);
    std::wstring tipAtExpiry;
    testsupport::Script script;
    script.Then([] { return IsWindowVisible(FindWindowW(nullptr, L" Time Expired")) != FALSE; },
                [&] {
                    tipAtExpiry = Tip();
                    ok.SetEnabled(true);
                });
    Press(form.PushButton1);
    ASSERT_TRUE(testsupport::PumpUntil([&] { return ok.Answers() == 1 && form.PushButton1.Caption() == L"Start"; }, 8000));
    EXPECT_EQ(tipAtExpiry, L"Corvalin Timer Software");
    EXPECT_EQ(Tip(), L"Corvalin Timer Software");
}

TEST_F(Form1TrayCountdown, HiddenTheShellHearsOfANewMinuteOnlyUntilThePointerComesOverTheIcon) {
    SendMessageW(form.cboMins(), CB_SETCURSEL, 30, 0);
    Press(form.PushButton1);
    const auto shows = [&](const wchar_t* left) {
        return testsupport::PumpUntil([&] { return testsupport::TextOf(form.lblTimer()).starts_with(left); }, 5000);
    };
    ASSERT_TRUE(shows(L"000:29:57"));
    EXPECT_EQ(TipsSent(), (std::vector<std::wstring>{L"Corvalin Timer Software\n000:30:00 left",
                                                     L"Corvalin Timer Software\n000:29:59 left"}));
    EXPECT_LE(calls.size(), 3u);
    // The callback's WM_MOUSEMOVE: the tip is the display's at once, and follows it while the pointer stays.
    SendMessageW(program.cSysTray1.OwnWindow(), tray::kTrayCallbackMessage, 0, WM_MOUSEMOVE);
    EXPECT_EQ(Tip(), L"Corvalin Timer Software\n" + testsupport::TextOf(form.lblTimer()).substr(0, 9) + L" left");
    ASSERT_TRUE(shows(L"000:29:55"));
    EXPECT_EQ(Tip(), L"Corvalin Timer Software\n000:29:55 left");
    Press(form.PushButton2);
}

TEST_F(Form1TrayCountdown, AResumeFromSleepDeliversTheDueTicksFromTheMessageLoopAtOnce) {
    Seconds(30);
    Press(form.PushButton1);
    ASSERT_TRUE(testsupport::PumpUntil([&] { return form.Timer1.TicksDelivered() >= 1; }, 5000));
    const ui::MonotonicClock clock;
    const std::uint64_t before = form.Timer1.TicksDelivered();
    const std::int64_t asleep = clock.Now();
    // The thread does not run while the machine sleeps; the clock goes on, a second here.
    const auto slept = [&] { return static_cast<std::uint64_t>((clock.Now() - asleep) / (100 * ui::kClockUnitsPerMs)); };
    testsupport::BusyUntil([&] { return slept() >= 10; });
    const std::uint64_t dueAtResume = before + slept();
    SendMessageW(form.hwnd(), WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    EXPECT_EQ(form.Timer1.TicksDelivered(), before) << "a tick, or the alarm, ran inside the notification";
    testsupport::PumpPending();
    EXPECT_GE(form.Timer1.TicksDelivered(), dueAtResume);
    // The display is current: it shows the last tick delivered.
    const std::int64_t shown = 300 + 9 - static_cast<std::int64_t>(form.Timer1.TicksDelivered()) + 1;
    EXPECT_EQ(testsupport::TextOf(form.lblTimer()), app::FormatCountdown(static_cast<std::int32_t>(shown / 10),
                                                                         static_cast<std::int16_t>(shown % 10)));
    Press(form.PushButton2);
}

TEST_F(Form1TrayCountdown, ALongSleepReplaysEveryTickButTellsTheShellOnceAndRingsAtItsEnd) {
    // The timer's clock jumps ahead as over a sleep; the thread did not run meanwhile.
    ui::MonotonicClock clock;
    std::int64_t slept = 0;
    form.Timer1.UseClock([&] { return clock.Now() + slept; });
    SendMessageW(form.cboHrs(), CB_SETCURSEL, 1, 0);
    Press(form.PushButton1);  // 1 hour: the 36010th tick expires
    ASSERT_TRUE(testsupport::PumpUntil([&] { return form.Timer1.TicksDelivered() >= 1; }, 5000));

    // 20 minutes asleep: every tick of them runs, the display and the tip end where ticks on time
    // would have left them, and the shell hears of that once.
    calls.clear();
    slept = 1200LL * 10'000'000;
    SendMessageW(form.hwnd(), WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    ASSERT_TRUE(testsupport::PumpUntil([&] { return form.Timer1.TicksDelivered() >= 12000 && !form.Timer1.CatchingUp(); }, 10000));
    const auto delivered = static_cast<std::int64_t>(form.Timer1.TicksDelivered());
    EXPECT_GE(delivered, 12000);
    const std::int64_t shown = 36010 - delivered;  // tick k shows 36010 - k tenths
    const auto seconds = static_cast<std::int32_t>(shown / 10);
    const auto tenths = static_cast<std::int16_t>(shown % 10);
    EXPECT_EQ(testsupport::TextOf(form.lblTimer()), app::FormatCountdown(seconds, tenths));
    // The tip shows the display's whole seconds.
    wchar_t left[16] = {};
    std::swprintf(left, 16, L"%03d:%02d:%02d left", seconds / 3600, seconds / 60 % 60, seconds % 60);
    EXPECT_EQ(TipsSent(), std::vector<std::wstring>{L"Corvalin Timer Software\n" + std::wstring(left)});
    EXPECT_EQ(form.countdown().TicksLeft(), 36010 - delivered);

    // 8 hours asleep, past the end: the expiring tick runs in the catch-up and shows the last tenth;
    // no replayed second reaches the shell.
    calls.clear();
    std::wstring shownAtExpiry;
    std::uint64_t expiringTick = 0;
    testsupport::WindowAnswerer ok(L" Time Expired", layout::form2::PushButton1);
    ok.SetEnabled(false);
    testsupport::Script script;
    script.Then([] { return IsWindowVisible(FindWindowW(nullptr, L" Time Expired")) != FALSE; },
                [&] {
                    shownAtExpiry = testsupport::TextOf(form.lblTimer());
                    expiringTick = form.Timer1.TicksDelivered();
                    ok.SetEnabled(true);
                });
    slept += 8LL * 3600 * 10'000'000;
    PostMessageW(form.hwnd(), WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    ASSERT_TRUE(testsupport::PumpUntil(
        [&] { return ok.Answers() == 1 && form.PushButton1.Caption() == L"Start"; }, 20000));
    EXPECT_EQ(shownAtExpiry, L"000:00:00.0");
    EXPECT_EQ(expiringTick, 36010u);
    EXPECT_EQ(TipsSent(), std::vector<std::wstring>{L"Corvalin Timer Software"});
}

TEST_F(Form1TrayCountdown, TheWakeTimerIsSetWhileACountdownRunsAndCancelledOtherwise) {
    std::vector<std::wstring> log;
    std::int64_t due = 0;
    form.Timer1.SystemWake().UseSystem({[&](std::int64_t dueIn) {
                                            log.push_back(L"set");
                                            due = dueIn;
                                        },
                                        [&] { log.push_back(L"cancel"); }});
    const auto settles = [&](std::size_t entries) { return testsupport::PumpUntil([&] { return log.size() >= entries; }, 5000); };

    Seconds(5);
    Press(form.PushButton1);
    ASSERT_TRUE(settles(1));
    // Set to the end of the countdown: 6 s after Start.
    EXPECT_GT(due, 0);
    EXPECT_LE(due, 60'000'000);
    Press(form.PushButton1);  // pause
    Press(form.PushButton1);  // resume
    ASSERT_TRUE(settles(3));
    Press(form.PushButton2);  // reset

    // Expiry cancels it; the countdown started again from the Time Expired window sets it again,
    // and closing the window cancels it.
    Seconds(1);
    testsupport::WindowAnswerer restart(L" Time Expired", layout::form2::PushButton2);
    Press(form.PushButton1);
    ASSERT_TRUE(testsupport::PumpUntil([&] { return restart.Answers() == 1 && log.size() >= 7; }, 8000));
    SendMessageW(form.hwnd(), WM_CLOSE, 0, app::Form1::kCloseForSetup);
    const std::vector<std::wstring> expected = {L"set", L"cancel", L"set", L"cancel", L"set", L"cancel", L"set", L"cancel"};
    EXPECT_EQ(log, expected);
}

TEST_F(Form1TrayCountdown, TheTaskbarButtonShowsTheCountdownWhileTheWindowHasOneAndHearsOnlyChanges) {
    std::vector<std::wstring> sent;  // "state N" (TBPFLAG), "done/total"
    int connects = 0;                // taskbar lists made
    const auto log = [&](std::wstring call) { sent.push_back(std::move(call)); return true; };
    form.TaskbarButton.UseSystem(
        {[&](HWND, ui::TaskbarState state) { return log(L"state " + std::to_wstring(static_cast<int>(state))); },
         [&](HWND, std::uint64_t done, std::uint64_t total) { return log(std::to_wstring(done) + L"/" + std::to_wstring(total)); },
         [&] { ++connects; }});
    Seconds(3);
    Press(form.PushButton1);
    program.cSysTray1_MouseUp(1, 0);  // back from the tray: the window has a button, but the shell has not said so
    ASSERT_TRUE(testsupport::PumpUntil([&] { return testsupport::TextOf(form.lblTimer()).starts_with(L"000:00:02"); }, 5000));
    EXPECT_TRUE(sent.empty());
    SendMessageW(form.hwnd(), RegisterWindowMessageW(L"TaskbarButtonCreated"), 0, 0);
    ASSERT_TRUE(testsupport::PumpUntil([&] { return testsupport::TextOf(form.lblTimer()).starts_with(L"000:00:01"); }, 5000));
    Press(form.PushButton1);  // pause: the share stays
    Press(form.PushButton1);
    EXPECT_EQ(sent, (std::vector<std::wstring>{L"state 2", L"1/3", L"2/3", L"state 8", L"state 2"}));

    // Time Expired up: red; answered, idle: nothing.
    std::vector<std::wstring> atExpiry;
    testsupport::WindowAnswerer ok(L" Time Expired", layout::form2::PushButton1);
    ok.SetEnabled(false);
    testsupport::Script script;
    script.Then([] { return IsWindowVisible(FindWindowW(nullptr, L" Time Expired")) != FALSE; },
                [&] {
                    atExpiry = sent;
                    ok.SetEnabled(true);
                });
    ASSERT_TRUE(testsupport::PumpUntil([&] { return ok.Answers() == 1 && IsWindowEnabled(form.cboHrs()); }, 8000));
    // Resumed, Start sent the window behind the tray icon again; the alarm brings it back.
    EXPECT_EQ(std::vector<std::wstring>(atExpiry.begin() + 5, atExpiry.end()), (std::vector<std::wstring>{L"state 4", L"1/1"}));
    EXPECT_EQ(sent.back(), L"state 0");
    // Explorer restarted and announces the button again: a new taskbar list hears the state afresh.
    const int made = connects;
    const std::size_t calls = sent.size();
    SendMessageW(form.hwnd(), RegisterWindowMessageW(L"TaskbarButtonCreated"), 0, 0);
    EXPECT_EQ(connects, made + 1);
    EXPECT_EQ(std::vector<std::wstring>(sent.begin() + static_cast<std::ptrdiff_t>(calls), sent.end()), std::vector<std::wstring>{L"state 0"});

    // Behind the tray icon the window has no button, and the button hears nothing.
    sent.clear();
    Press(form.PushButton1);
    ASSERT_TRUE(testsupport::PumpUntil([&] { return testsupport::TextOf(form.lblTimer()).starts_with(L"000:00:02"); }, 5000));
    EXPECT_TRUE(sent.empty());
    Press(form.PushButton2);
}

}  // namespace
