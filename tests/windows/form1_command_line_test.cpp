// A command line's duration in a real main window: idle it starts as picks and Start do; with a
// countdown loaded the window asks first and only Yes replaces it; WM_COPYDATA takes only our hand-over.
#include "Form1Fixture.h"
#include "TestSupport.h"
#include "app/CommandLine.h"
#include "app/Form1.h"
#include "app/SingleInstance.h"
#include "app/TimerProgram.h"

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

namespace {

using testsupport::PumpUntil;
using testsupport::TextOf;

class Form1CommandLine : public testsupport::ShownForm1 {
protected:
    static app::CommandLineRequest Duration(std::int32_t seconds) {
        app::CommandLineRequest request;
        request.kind = app::CommandLineRequest::Kind::Duration;
        request.seconds = seconds;
        return request;
    }
    std::wstring Pickers() {
        return TextOf(form.cboHrs()) + L":" + TextOf(form.cboMins()) + L":" + TextOf(form.cboSecs());
    }
    bool Counting() { return form.PushButton1.Caption() == L"Pause"; }
};

// The system refuses the mutex whole, and the window word for writing, as it refuses a normal copy the
// objects of one run as administrator.
HANDLE WINAPI DeniedCreate(LPSECURITY_ATTRIBUTES, BOOL, LPCWSTR) { return SetLastError(ERROR_ACCESS_DENIED), nullptr; }
HANDLE WINAPI DeniedOpen(DWORD, BOOL, LPCWSTR) { return DeniedCreate(nullptr, FALSE, nullptr); }
HANDLE WINAPI DeniedMapping(HANDLE, LPSECURITY_ATTRIBUTES, DWORD, DWORD, DWORD, LPCWSTR) {
    return DeniedCreate(nullptr, FALSE, nullptr);
}

TEST_F(Form1CommandLine, ALoadedCountdownIsReplacedOnlyOnYesAndOnlyByOneThatCanStart) {
    program.HandOver(Duration(300));
    // Until its first tick a fresh countdown shows the idle display and counts as none loaded.
    ASSERT_TRUE(PumpUntil([&] { return Counting() && TextOf(form.lblTimer()).starts_with(L"000:0") &&
                                       TextOf(form.lblTimer()) != L"000:00:00.0"; }, 5000));
    EXPECT_EQ(Pickers(), L"00:05:00");

    // Hands over 00:25:00 and gives the answer to the question it asks; returns the question.
    const auto handOverAndAnswer = [&](int answer) {
        std::mutex mutex;
        std::wstring question;
        testsupport::WindowWatcher asker(L"Corvalin Timer", [&](HWND box) {
            {
                std::lock_guard lock(mutex);
                question = TextOf(GetDlgItem(box, 0xFFFF));
            }
            PostMessageW(GetDlgItem(box, answer), BM_CLICK, 0, 0);
        });
        program.HandOver(Duration(1500));
        EXPECT_TRUE(PumpUntil([&] { return asker.Seen() == 1 && IsWindowEnabled(form.hwnd()); }, 10000));
        std::lock_guard lock(mutex);
        return question;
    };

    // No: the running countdown goes on, the pickers keep its duration.
    const std::wstring running = handOverAndAnswer(IDNO);
    EXPECT_NE(running.find(L"running with 000:0"), std::wstring::npos) << testing::PrintToString(running);
    EXPECT_NE(running.find(L"00:25:00"), std::wstring::npos);
    EXPECT_TRUE(Counting());
    EXPECT_TRUE(TextOf(form.lblTimer()).starts_with(L"000:0")) << testing::PrintToString(TextOf(form.lblTimer()));
    EXPECT_EQ(Pickers(), L"00:05:00");

    // Paused, then Yes: the new duration is picked and counts.
    form.PushButton1_Click();
    ASSERT_FALSE(Counting());
    const std::wstring paused = handOverAndAnswer(IDYES);
    EXPECT_NE(paused.find(L"paused with 000:0"), std::wstring::npos) << testing::PrintToString(paused);
    EXPECT_TRUE(Counting());
    EXPECT_EQ(Pickers(), L"00:25:00");
    EXPECT_TRUE(PumpUntil([&] { return TextOf(form.lblTimer()).starts_with(L"000:2"); }, 5000));

    // Yes to a duration the lists cannot show (an item gone): reported, and the countdown goes on.
    std::wstring report;
    program.reporter = [&](const std::wstring& text) { report = text; };
    SendMessageW(form.cboMins(), CB_DELETESTRING, 25, 0);
    handOverAndAnswer(IDYES);
    EXPECT_NE(report.find(L"Form1.HandOver at line 106"), std::wstring::npos) << testing::PrintToString(report);
    EXPECT_TRUE(Counting());
}

TEST_F(Form1CommandLine, ADurationThatComesWhileAModalWindowIsUpWaitsUntilItHasGone) {
    testsupport::Script script;
    HWND box = nullptr;
    bool countedWhileModal = true;
    script.Then([&] { return (box = FindWindowW(L"#32770", L"Modal")) != nullptr; },
                [&] { program.HandOver(Duration(60)); });
    // A timer message comes only once no posted message waits: the hand-over has been handled.
    script.Then([] { return true; }, [&] {
        countedWhileModal = Counting();
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    // The script's steps run inside the box's own message loop.
    MessageBoxW(form.hwnd(), L"", L"Modal", MB_OK);
    ASSERT_TRUE(script.Finished());
    EXPECT_FALSE(countedWhileModal);
    EXPECT_TRUE(PumpUntil([&] { return Counting(); }, 5000));
    EXPECT_EQ(Pickers(), L"00:01:00");
}

TEST_F(Form1CommandLine, CopyDataTakesOnlyAWellFormedHandOverOfOurs) {
    const auto send = [&](ULONG_PTR tag, const std::vector<std::uint16_t>& units, DWORD bytes) {
        COPYDATASTRUCT data{};
        data.dwData = tag;
        data.cbData = bytes;
        data.lpData = const_cast<std::uint16_t*>(units.data());
        return SendMessageW(program.hwnd(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
    };
    const std::vector<std::uint16_t> duration = app::EncodeHandOver({L"0:00:30"});
    const DWORD bytes = static_cast<DWORD>(duration.size() * 2);
    EXPECT_EQ(send(app::kHandOverTag + 1, duration, bytes), FALSE);
    EXPECT_EQ(send(app::kHandOverTag, duration, bytes - 1), FALSE);
    EXPECT_EQ(send(app::kHandOverTag, app::EncodeHandOver({L"/?"}), 6), FALSE);
    EXPECT_EQ(send(app::kHandOverTag, app::EncodeHandOver({L"30s", L"now"}), 16), FALSE);
    // Taken only while there is room to act on it: the one too many hears so.
    for (int i = 0; i < 8; ++i) EXPECT_EQ(send(app::kHandOverTag, app::EncodeHandOver({L"/pause"}), 14), 1);
    EXPECT_EQ(send(app::kHandOverTag, app::EncodeHandOver({L"/pause"}), 14), app::kHandOverBusy);
    testsupport::PumpPending();
    EXPECT_FALSE(Counting());
    EXPECT_EQ(Pickers(), L"00:00:00");

    EXPECT_EQ(send(app::kHandOverTag, duration, bytes), TRUE);
    EXPECT_TRUE(PumpUntil([&] { return Counting(); }, 5000));
    EXPECT_EQ(Pickers(), L"00:00:30");
}

TEST_F(Form1CommandLine, ALaterCopyDeniedTheMutexAndTheWordHandsOverAndStartsNoSecondTimer) {
    app::SingleInstance first;
    first.Publish(program.hwnd());
    app::SingleInstance later(app::SharedObjectCalls{&DeniedCreate, &DeniedOpen, &DeniedMapping});
    app::NoTimerReason reason{};
    EXPECT_EQ(later.Claim({L"30s"}, reason), app::SingleInstance::Outcome::HandedOver);
    EXPECT_TRUE(PumpUntil([&] { return Counting(); }, 5000));
}

TEST_F(Form1CommandLine, AClosingWindowRefusesAHandOver) {
    const std::vector<std::uint16_t> units = app::EncodeHandOver({L"5m"});
    COPYDATASTRUCT data{app::kHandOverTag, 6, const_cast<std::uint16_t*>(units.data())};
    LRESULT answer = 0;
    program.onEnd = [&] { answer = SendMessageW(program.hwnd(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)); };
    SendMessageW(form.hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(answer, app::kHandOverClosing);
}

}  // namespace

namespace {

// The first minimise of a run waits for its balloon, pumping messages for up to five seconds: a duration
// handed over meanwhile waits its turn, and still ends its length after it arrived.
TEST(Form1HandOverOnTime, ADurationThatWaitsBehindTheBalloonEndsItsLengthAfterItArrived) {
    testsupport::ClearSettings();
    app::TimerProgram program;
    ASSERT_TRUE(program.Create());
    program.Main().Show();
    std::int64_t arrived = 0;
    testsupport::Script later;
    later.Then([&] { return program.Main().countdown().State() == core::CountdownState::Running; }, [&] {
        app::CommandLineRequest tea;
        tea.kind = app::CommandLineRequest::Kind::Duration;
        tea.seconds = 30;
        tea.newTimer = true;
        arrived = app::UtcNow();
        EXPECT_EQ(program.HandOver(tea), app::kHandOverTaken);
    });
    app::CommandLineRequest first;
    first.kind = app::CommandLineRequest::Kind::Duration;
    first.seconds = 60;
    ASSERT_EQ(program.HandOver(first), app::kHandOverTaken);
    ASSERT_TRUE(PumpUntil([&] {
        const auto timers = program.Timers();
        return timers.size() == 2 && timers[1]->countdown().State() == core::CountdownState::Running;
    }, 15000));
    EXPECT_GE(app::UtcNow() - arrived, 2000) << "it waited behind the balloon";
    // A countdown of 30 s ends 31 s after its start (its first tick shows 30.9).
    EXPECT_NEAR(static_cast<double>(program.Timers()[1]->countdown().EndsAt() - arrived), 31'000.0, 400.0);
    program.Records.Remove(L"1");
    program.Records.Remove(L"2");
}

}  // namespace
