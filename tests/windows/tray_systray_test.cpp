// cSysTray against a recording shell: what each property, the balloon and the hook send, and the
// events the shell's notifications raise.
#include "tray_test_support.h"

#include "TestSupport.h"
#include "core/ErrorReport.h"
#include "tray/cSysTray.h"
#include "tray/mSysTray.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using traytest::CountOf;
using traytest::Host;
using traytest::ShellCall;

using testsupport::kTrayCallback;

class TrayControl : public testing::Test {
protected:
    void SetUp() override { traytest::Record(tray, calls); }

    // Posts a shell notification to the control's own window and lets it arrive.
    void Notify(LPARAM code, WPARAM id = 0) {
        PostMessageW(tray.OwnWindow(), kTrayCallback, id, code);
        testsupport::PumpPending();
    }

    Host host;
    cSysTray tray{host.hwnd()};
    std::vector<ShellCall> calls;
    int refusals = 0;
};

ULONGLONG MsSince(ULONGLONG start) { return GetTickCount64() - start; }

TEST_F(TrayControl, DesignTimeStateIsOutOfTheTrayWithTelnetServerTipAndItsOwnIcon) {
    EXPECT_FALSE(tray.InTray());
    EXPECT_EQ(tray.TrayTip(), L"Telnet Server");
    ASSERT_TRUE(tray.TrayIcon());
    EXPECT_EQ(tray.TrayIcon()->PictureType(), tray::Picture::Type::Icon);
    ASSERT_NE(tray.OwnWindow(), nullptr);
    EXPECT_EQ(GetParent(tray.OwnWindow()), host.hwnd());
    EXPECT_FALSE(IsWindowVisible(tray.OwnWindow()));
    EXPECT_TRUE(calls.empty());
}

TEST_F(TrayControl, InTrayTrueTwiceAddsOneIcon) {
    tray.TrayTip(L"Corvalin Timer Software");
    tray.InTray(true);
    tray.InTray(true);
    ASSERT_EQ(calls.size(), 1u);
    const NOTIFYICONDATAW& r = calls[0].record;
    EXPECT_EQ(calls[0].message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(r.cbSize, 936u);  // the record with the balloon fields and nothing after them
    EXPECT_EQ(r.hWnd, tray.OwnWindow());
    EXPECT_EQ(r.uID, 0u);
    EXPECT_EQ(r.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(r.uCallbackMessage, kTrayCallback);
    EXPECT_EQ(r.hIcon, tray.TrayIcon()->IconHandle());
    EXPECT_EQ(calls[0].Tip(), L"Corvalin Timer Software");
    EXPECT_TRUE(tray.InTray());
}

TEST_F(TrayControl, InTrayFalseWhenNeverTrueSendsNothing) {
    tray.InTray(false);
    EXPECT_TRUE(calls.empty());
    EXPECT_FALSE(tray.InTray());
}

TEST_F(TrayControl, InTrayFalseRemovesTheIconByWindowAndIdAndUnhooksTheWindow) {
    const LONG_PTR original = GetWindowLongPtrW(tray.OwnWindow(), GWLP_WNDPROC);
    tray.InTray(true);
    EXPECT_EQ(GetWindowLongPtrW(tray.OwnWindow(), GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&mSysTray::TrayWindowProc));
    tray.InTray(false);
    tray.InTray(false);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].message, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(calls[1].record.hWnd, tray.OwnWindow());
    EXPECT_EQ(calls[1].record.uID, 0u);
    EXPECT_EQ(calls[1].record.uFlags, 0u);
    EXPECT_EQ(GetWindowLongPtrW(tray.OwnWindow(), GWLP_WNDPROC), original);

    int ups = 0;
    tray.MouseUp = [&](std::int16_t, std::int32_t) { ++ups; };
    Notify(514);
    EXPECT_EQ(ups, 0) << "an unhooked window raises no events";
}

TEST_F(TrayControl, EmptyTipAddsAnIconWithoutTip) {
    tray.TrayTip(L"");
    tray.InTray(true);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].record.uFlags & NIF_TIP, 0u);
    EXPECT_EQ(calls[0].Tip(), L"");
}

TEST_F(TrayControl, TipOf200CharactersReachesTheShellCutTo127) {
    const std::wstring tip(200, L'x');
    tray.TrayTip(tip);
    tray.InTray(true);
    tray.TrayTip(tip + L"y");
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].Tip(), std::wstring(127, L'x'));
    EXPECT_EQ(calls[1].Tip(), std::wstring(127, L'x'));
    EXPECT_EQ(tray.TrayTip(), tip + L"y") << "the property keeps the whole text";
}

TEST_F(TrayControl, TipSetInTheTrayChangesOnlyTheTip) {
    tray.InTray(true);
    tray.TrayTip(L"");
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(calls[1].record.uFlags, static_cast<UINT>(NIF_TIP));
    EXPECT_EQ(calls[1].Tip(), L"") << "an empty tip clears the shell's";
}

TEST_F(TrayControl, BitmapAsTrayIconChangesNothing) {
    tray.InTray(true);
    const tray::PictureRef before = tray.TrayIcon();
    HDC screen = GetDC(nullptr);
    core::UniqueBitmap bitmap(CreateCompatibleBitmap(screen, 16, 16));
    ReleaseDC(nullptr, screen);
    tray.TrayIcon(tray::Picture::FromBitmap(std::move(bitmap)));
    tray.TrayIcon(nullptr);
    EXPECT_EQ(calls.size(), 1u) << "only the add";
    EXPECT_EQ(tray.TrayIcon(), before);
}

TEST_F(TrayControl, IconSetInTheTrayChangesOnlyTheIcon) {
    tray.InTray(true);
    const tray::PictureRef icon = tray::Picture::SharedIcon(LoadIconW(nullptr, IDI_APPLICATION));
    tray.TrayIcon(icon);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(calls[1].record.uFlags, static_cast<UINT>(NIF_ICON));
    EXPECT_EQ(calls[1].record.hIcon, icon->IconHandle());
    EXPECT_EQ(tray.TrayIcon(), icon);
}

TEST_F(TrayControl, EachMouseNotificationRaisesItsEventWithButtonAndId) {
    std::vector<std::wstring> seen;
    tray.MouseMove = [&](std::int32_t id) { seen.push_back(L"move " + std::to_wstring(id)); };
    tray.MouseDown = [&](std::int16_t b, std::int32_t id) { seen.push_back(L"down " + std::to_wstring(b) + L" " + std::to_wstring(id)); };
    tray.MouseUp = [&](std::int16_t b, std::int32_t id) { seen.push_back(L"up " + std::to_wstring(b) + L" " + std::to_wstring(id)); };
    tray.MouseDblClick = [&](std::int16_t b, std::int32_t id) { seen.push_back(L"dbl " + std::to_wstring(b) + L" " + std::to_wstring(id)); };
    tray.InTray(true);
    for (LPARAM code : {512, 513, 514, 515, 516, 517, 518}) Notify(code);
    Notify(514, 7);
    const std::vector<std::wstring> expected = {L"move 0", L"down 1 0", L"up 1 0", L"dbl 1 0",
                                                L"down 2 0", L"up 2 0", L"dbl 2 0", L"up 1 7"};
    EXPECT_EQ(seen, expected);
}

TEST_F(TrayControl, MiddleButtonAndBalloonShownRaiseNothing) {
    int events = 0;
    tray.MouseMove = [&](std::int32_t) { ++events; };
    tray.MouseDown = tray.MouseUp = tray.MouseDblClick = [&](std::int16_t, std::int32_t) { ++events; };
    tray.InTray(true);
    for (LPARAM code : {519, 520, 521, 1026, 0x7B}) Notify(code);
    EXPECT_EQ(events, 0);
}

TEST_F(TrayControl, BalloonIsSentAsInfoOnlyWithTitleTextAndTimeout) {
    tray.InTray(true);
    PostMessageW(tray.OwnWindow(), kTrayCallback, 0, 1029);  // so that the wait ends at once
    tray.ShowBalloon(L"line one\r\nline two", L"Corvalin Timer Software", 5, true);
    ASSERT_EQ(calls.size(), 2u);
    const ShellCall& balloon = calls[1];
    EXPECT_EQ(balloon.message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(balloon.record.uFlags, static_cast<UINT>(NIF_INFO));
    EXPECT_EQ(balloon.Info(), L"line one\r\nline two");
    EXPECT_EQ(balloon.InfoTitle(), L"Corvalin Timer Software");
    EXPECT_EQ(balloon.record.uTimeout, 5000u);
    EXPECT_EQ(balloon.record.dwInfoFlags, 0u);
    EXPECT_EQ(balloon.record.hWnd, tray.OwnWindow());
}

TEST_F(TrayControl, ShowOnceShowsTheBalloonTheFirstTimeOnly) {
    tray.ShowBalloon(L"first", L"t", 0, true);
    const ULONGLONG start = GetTickCount64();
    tray.ShowBalloon(L"second", L"t", 5, true);
    EXPECT_LT(MsSince(start), 1000u) << "the second call must not wait";
    ASSERT_EQ(calls.size(), 1u) << "sent even though the icon is not in the tray, and only once";
    EXPECT_EQ(calls[0].Info(), L"first");
    EXPECT_EQ(calls[0].record.uTimeout, 0u) << "ShowTimer 0 leaves the timeout to the shell";
    tray.ShowBalloon(L"third", L"t", 0, false);
    EXPECT_EQ(calls.size(), 2u) << "ShowOnce false is not counted against";
}

TEST_F(TrayControl, ShowTimerOverflowRaisesBeforeAnythingIsSent) {
    try {
        tray.ShowBalloon(L"x", L"t", 2'147'484, false);
        ADD_FAILURE() << "no overflow";
    } catch (const core::HandlerError& e) {
        EXPECT_EQ(e.Description(), L"Overflow");
    }
    EXPECT_TRUE(calls.empty());
    // The ShowOnce test comes first: a balloon already shown once returns before the multiplication.
    tray.ShowBalloon(L"x", L"t", 0, true);
    EXPECT_NO_THROW(tray.ShowBalloon(L"x", L"t", 2'147'484, true));
}

TEST_F(TrayControl, BalloonWaitReturnsAtOnceWhenTheShellReportsTheBalloonClicked) {
    tray.InTray(true);
    host.onTimer = [&](UINT_PTR id) {
        KillTimer(host.hwnd(), id);
        PostMessageW(tray.OwnWindow(), kTrayCallback, 0, 1029);
    };
    SetTimer(host.hwnd(), 1, 300, nullptr);
    const ULONGLONG start = GetTickCount64();
    tray.ShowBalloon(L"x", L"t", 5, false);
    const ULONGLONG took = MsSince(start);
    EXPECT_GE(took, 250u);
    EXPECT_LT(took, 2500u) << "the wait went on after the balloon was clicked";
    EXPECT_EQ(calls.size(), 2u) << "no clearing call after a click";
}

TEST_F(TrayControl, BalloonHiddenOrTimedOutEndsTheWaitToo) {
    tray.InTray(true);
    for (LPARAM code : {1027, 1028}) {
        PostMessageW(tray.OwnWindow(), kTrayCallback, 0, code);
        const ULONGLONG start = GetTickCount64();
        tray.ShowBalloon(L"x", L"t", 5, false);
        EXPECT_LT(MsSince(start), 2500u) << code;
    }
}

TEST_F(TrayControl, TimerTicksAreHandledDuringTheWaitAndTheBalloonIsClearedWhenTimeRunsOut) {
    tray.InTray(true);
    int ticks = 0;
    host.onTimer = [&](UINT_PTR) { ++ticks; };
    SetTimer(host.hwnd(), 2, 100, nullptr);
    const ULONGLONG start = GetTickCount64();
    tray.ShowBalloon(L"x", L"t", 1, false);
    const ULONGLONG took = MsSince(start);
    KillTimer(host.hwnd(), 2);
    EXPECT_GE(took, 990u);
    EXPECT_GE(ticks, 5) << "the countdown's ticks must go on during the balloon";
    ASSERT_EQ(calls.size(), 3u);
    const ShellCall& clear = calls[2];
    EXPECT_EQ(clear.message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(clear.record.uFlags, static_cast<UINT>(NIF_INFO));
    EXPECT_EQ(clear.Info(), L"");
    EXPECT_EQ(clear.InfoTitle(), L"");
}

TEST_F(TrayControl, BalloonWaitSleepsInsteadOfSpinning) {
    FILETIME created, exited, kernelBefore, userBefore, kernelAfter, userAfter;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernelBefore, &userBefore);
    tray.ShowBalloon(L"x", L"t", 1, false);
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernelAfter, &userAfter);
    auto units = [](const FILETIME& f) { return (ULONGLONG{f.dwHighDateTime} << 32) | f.dwLowDateTime; };
    const ULONGLONG busy = units(kernelAfter) - units(kernelBefore) + units(userAfter) - units(userBefore);
    EXPECT_LT(busy, 5'000'000u) << "a second of waiting used more than half a second of processor";
}

TEST_F(TrayControl, QuitPostedDuringTheWaitEndsItSoTheMainLoopCanSeeIt) {
    host.onTimer = [&](UINT_PTR id) {
        KillTimer(host.hwnd(), id);
        PostQuitMessage(3);
    };
    SetTimer(host.hwnd(), 3, 200, nullptr);
    const ULONGLONG start = GetTickCount64();
    tray.ShowBalloon(L"x", L"t", 5, false);
    EXPECT_LT(MsSince(start), 2500u);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit must still be there";
    EXPECT_EQ(msg.wParam, 3u);
}

TEST_F(TrayControl, TaskbarCreatedAddsTheIconAgainWithItsTip) {
    tray.TrayTip(L"Corvalin Timer Software");
    tray.InTray(true);
    PostMessageW(tray.OwnWindow(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    testsupport::PumpPending();
    tray.ShellRestarted();  // the host's forward of the broadcast
    ASSERT_EQ(calls.size(), 3u);
    for (int i : {1, 2}) {
        EXPECT_EQ(calls[i].message, static_cast<DWORD>(NIM_ADD));
        EXPECT_EQ(calls[i].Tip(), L"Corvalin Timer Software");
        EXPECT_EQ(calls[i].record.uCallbackMessage, kTrayCallback);
    }
    tray.InTray(false);
    const std::size_t sent = calls.size();
    tray.ShellRestarted();
    PostMessageW(tray.OwnWindow(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    testsupport::PumpPending();
    EXPECT_EQ(calls.size(), sent) << "an icon that is out of the tray stays out";
}

TEST_F(TrayControl, ARefusedAddIsTriedAgainWithTheTipAskedMeanwhileAndARefusedChangeAddsTheIconBack) {
    refusals = 2;  // the add, and the change that looks whether it went through all the same
    traytest::Record(tray, calls, false, &refusals);
    tray.InTray(true);
    tray.TrayTip(L"later");
    EXPECT_EQ(calls.size(), 2u) << "nothing sent for an icon the shell does not hold";
    ASSERT_TRUE(testsupport::PumpUntil([&] { return tray.Shown(); }, 5000)) << "no retry";
    EXPECT_EQ(calls.back().Tip(), L"later");
    refusals = 1;
    tray.TrayTip(L"again");
    EXPECT_EQ(calls.back().message, static_cast<DWORD>(NIM_ADD));
}

TEST(TrayControlLifetime, DestroyingTheControlInTheTrayRemovesItsIcon) {
    Host host;
    std::vector<ShellCall> calls;
    HWND own = nullptr;
    {
        cSysTray tray(host.hwnd());
        traytest::Record(tray, calls);
        own = tray.OwnWindow();
        tray.InTray(true);
    }
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].message, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(calls[1].record.hWnd, own);
    EXPECT_FALSE(IsWindow(own));
}

TEST(TrayControlLifetime, DestroyingTheHostInTheTrayRemovesTheIcon) {
    auto host = std::make_unique<Host>();
    std::vector<ShellCall> calls;
    cSysTray tray(host->hwnd());
    traytest::Record(tray, calls);
    tray.InTray(true);
    host.reset();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].message, static_cast<DWORD>(NIM_DELETE));
    EXPECT_FALSE(tray.InTray());
    EXPECT_EQ(tray.OwnWindow(), nullptr);
}

TEST(TrayControlLifetime, MouseUpHandlerMayTakeTheIconOutOfTheTray) {
    Host host;
    std::vector<ShellCall> calls;
    cSysTray tray(host.hwnd());
    traytest::Record(tray, calls);
    tray.InTray(true);
    tray.MouseUp = [&](std::int16_t, std::int32_t) { tray.InTray(false); };
    SendMessageW(tray.OwnWindow(), kTrayCallback, 0, 514);
    EXPECT_FALSE(tray.InTray());
    EXPECT_EQ(CountOf(calls, NIM_DELETE), 1);
}

TEST(TrayControlLifetime, ControlDestroyedByAHandlerDuringItsBalloonWaitIsNotTouchedAgain) {
    Host host;
    std::vector<ShellCall> calls;
    auto tray = std::make_unique<cSysTray>(host.hwnd());
    traytest::Record(*tray, calls);
    tray->InTray(true);
    host.onTimer = [&](UINT_PTR id) {
        KillTimer(host.hwnd(), id);
        tray.reset();
    };
    SetTimer(host.hwnd(), 4, 100, nullptr);
    const ULONGLONG start = GetTickCount64();
    tray->ShowBalloon(L"x", L"t", 5, false);  // the raw pointer stays valid until the call
    EXPECT_LT(MsSince(start), 2500u);
    EXPECT_EQ(CountOf(calls, NIM_DELETE), 1);
    EXPECT_EQ(calls.back().message, static_cast<DWORD>(NIM_DELETE)) << "no clearing call from a dead control";
}

TEST(TrayControlLifetime, TwoControlsInTheTrayEachKeepTheirOwnEventsAndIcon) {
    Host host;
    std::vector<ShellCall> calls;
    cSysTray first(host.hwnd());
    cSysTray second(host.hwnd());
    traytest::Record(first, calls);
    traytest::Record(second, calls);
    int firstUps = 0;
    int secondUps = 0;
    first.MouseUp = [&](std::int16_t, std::int32_t) { ++firstUps; };
    second.MouseUp = [&](std::int16_t, std::int32_t) { ++secondUps; };
    first.InTray(true);
    second.InTray(true);
    SendMessageW(first.OwnWindow(), kTrayCallback, 0, 514);
    SendMessageW(second.OwnWindow(), kTrayCallback, 0, 517);
    first.InTray(false);
    SendMessageW(second.OwnWindow(), kTrayCallback, 0, 514);
    EXPECT_EQ(firstUps, 1);
    EXPECT_EQ(secondUps, 2);
    EXPECT_EQ(calls.back().record.hWnd, first.OwnWindow());
    EXPECT_EQ(GetWindowLongPtrW(second.OwnWindow(), GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&mSysTray::TrayWindowProc));
}

TEST(TrayControlLifetime, InTraySetBeforeTheWindowExistsAddsTheIconOnCreate) {
    Host host;
    std::vector<ShellCall> calls;
    cSysTray tray;
    traytest::Record(tray, calls);
    tray.InTray(true);
    EXPECT_TRUE(calls.empty());
    ASSERT_TRUE(tray.Create(host.hwnd()));
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(calls[0].record.hWnd, tray.OwnWindow());
    EXPECT_FALSE(tray.Create(host.hwnd())) << "one own window per control";
}

}  // namespace
