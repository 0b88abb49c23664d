// The alarm at the end of a countdown in a real main window: the sound the device receives, the
// " Time Expired" window and its two buttons, the restart, and the cases where nothing may be stopped.
// Steps while Time Expired is up run from a script on the GUI thread, inside the program's loop.
#include "Form1Fixture.h"
#include "TestSupport.h"
#include "alarm/Form3.h"
#include "app/Form1.h"
#include "app/TimerProgram.h"
#include "core/Handles.h"
#include "core/Program.h"
#include "resources/Layouts.h"
#include "sound/SoundManager.h"
#include "tests/InputSupport.h"
#include "tests/native/sound_wav_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using sound::BufferState;
using testsupport::Script;
using testsupport::TextOf;
using testsupport::TimeExpiredWindow;

using testsupport::kApplicationKey;
// 16-bit stereo at 44.1 kHz: 4 bytes a frame.
using soundtest::kBytesPerSecond;

std::vector<unsigned char> Samples(std::size_t milliseconds, std::uint32_t seed) {
    const soundtest::Bytes pattern = soundtest::Pattern(kBytesPerSecond / 1000 * milliseconds, seed);
    std::vector<unsigned char> samples(pattern.size());
    std::transform(pattern.begin(), pattern.end(), samples.begin(), [](std::byte b) { return static_cast<unsigned char>(b); });
    // No silent frame at the start, so the sound can be told from the device's leading silence.
    for (std::size_t i = 0; i < 4; ++i) samples[i] |= 0x41;
    return samples;
}

// Writes a 16-bit PCM stereo WAV file of the samples in the temporary folder; returns its full path.
std::wstring WriteWav(const std::wstring& name, const std::vector<unsigned char>& samples) {
    soundtest::Bytes data(samples.size());
    std::transform(samples.begin(), samples.end(), data.begin(), [](unsigned char c) { return std::byte{c}; });
    return testsupport::WriteTempFile(L"corvalin-alarm-" + name + L".wav",
                                      soundtest::CanonicalWav(soundtest::Format16(1, 2, 44100, 16), data));
}

bool Contains(const std::vector<unsigned char>& haystack, const unsigned char* needle, std::size_t size) {
    return std::search(haystack.begin(), haystack.end(), needle, needle + size) != haystack.end();
}

void Press(HWND window, int id) { SendMessageW(GetDlgItem(window, id), BM_CLICK, 0, 0); }

class AlarmAtExpiry : public testing::Test {
protected:
    void SetUp() override {
        if (waveOutGetNumDevs() == 0) GTEST_SKIP() << "no wave-out device";
        RegDeleteTreeW(HKEY_CURRENT_USER, kApplicationKey);
        capture = testsupport::SoundCapturePath();
        ASSERT_TRUE(program.Create());
        form.Show(SW_SHOWNORMAL);
        // The tray balloon shows once a run, and its wait of 5 s would run the countdown's ticks
        // inside Start: have it shown already, as after the first minimise of a run.
        program.cSysTray1.ShowBalloon(L"", L"", 0, true);
        for (HWND picker : {form.cboHrs(), form.cboMins()}) SendMessageW(picker, CB_SETCURSEL, 0, 0);
        SendMessageW(form.cboSecs(), CB_SETCURSEL, 1, 0);  // 00:00:01
    }
    void TearDown() override {
        sound::Shutdown();
        testsupport::PumpPending();
        RegDeleteTreeW(HKEY_CURRENT_USER, kApplicationKey);
    }

    // Start, then the twenty ticks of a one-second countdown; the last one expires and returns when
    // the Time Expired window has closed.
    void StartAndExpire() {
        form.PushButton1_Click();
        ASSERT_EQ(form.PushButton1.Caption(), L"Pause");
        for (int i = 0; i < 20; ++i) form.Timer1_Tick();
        EXPECT_TRUE(testsupport::AlarmAnswered(form));
    }

    void ExpectIdleOnScreen() {
        EXPECT_EQ(form.PushButton1.Caption(), L"Start");
        EXPECT_EQ(TextOf(form.lblTimer()), L"000:00:00.0");
        EXPECT_FALSE(form.Timer1.Enabled());
        for (HWND picker : {form.cboHrs(), form.cboMins(), form.cboSecs()}) EXPECT_TRUE(IsWindowEnabled(picker));
        EXPECT_TRUE(IsWindowVisible(form.hwnd()));
        EXPECT_FALSE(IsIconic(form.hwnd()));
        EXPECT_FALSE(form.HiddenInTray);
    }

    std::vector<unsigned char> Captured() const { return testsupport::ReadWholeFile(capture); }

    app::TimerProgram program;
    app::Form1& form = program.Main();
    std::wstring capture;
};

TEST_F(AlarmAtExpiry, AlarmRingsWithTheFilesSamplesAndOkSilencesItInsideItsPumping) {
    if (capture.empty()) GTEST_SKIP() << "CORVALIN_SOUND_CAPTURE is not set";
    const auto samples = Samples(3000, 21);
    program.Form3().SetText1Text(WriteWav(L"long", samples));
    testsupport::DialogWatcher watcher;

    Script script;
    bool mainShown = false;
    bool playing = false;
    BufferState afterOk = BufferState::Playing;
    bool closed = false;
    HWAVEOUT device = nullptr;
    std::vector<unsigned char> heard;
    // Once a fifth of a second has reached the device, press OK.
    script.Then([&] { return TimeExpiredWindow() && testsupport::SizeOf(capture) > 50000; },
                [&] {
                    mainShown = IsWindowVisible(form.hwnd()) && !IsIconic(form.hwnd()) && IsWindowEnabled(form.hwnd()) == FALSE;
                    playing = sound::State(program.AlarmBuffer.buffer) == BufferState::Playing;
                    HWND expired = TimeExpiredWindow();
                    device = sound::Device(program.AlarmBuffer.buffer);
                    Press(expired, layout::form2::PushButton1);
                    // The button's own pumping has handled the device's MM_WOM_DONE already.
                    afterOk = sound::State(program.AlarmBuffer.buffer);
                    closed = !IsWindow(expired);
                });
    StartAndExpire();

    ASSERT_TRUE(script.Finished());
    EXPECT_TRUE(mainShown);
    EXPECT_TRUE(playing);
    EXPECT_EQ(afterOk, BufferState::Free);
    EXPECT_TRUE(closed);
    EXPECT_GE(program.AlarmBuffer.buffer, 1);
    ExpectIdleOnScreen();
    EXPECT_EQ(watcher.Count(), 0u);

    // The device received the start of the alarm file's samples, and not all of them: it stopped.
    const auto captured = Captured();
    EXPECT_TRUE(Contains(captured, samples.data(), 40000)) << "captured " << captured.size() << " bytes";
    EXPECT_FALSE(Contains(captured, samples.data(), samples.size()));
    // Nothing more can reach it: the device is closed, its handle no longer valid.
    DWORD volume = 0;
    EXPECT_EQ(waveOutGetVolume(device, &volume), static_cast<MMRESULT>(MMSYSERR_INVALHANDLE));
}

TEST_F(AlarmAtExpiry, RestartSilencesTheAlarmAndTheSameCountdownRingsAgain) {
    const auto samples = Samples(3000, 22);
    program.Form3().SetText1Text(WriteWav(L"restart", samples));
    Script script;
    BufferState afterRestart = BufferState::Playing;
    bool secondPlaying = false;
    script.Then([&] { return TimeExpiredWindow() && sound::State(program.AlarmBuffer.buffer) == BufferState::Playing; },
                [&] {
                    Press(TimeExpiredWindow(), layout::form2::PushButton2);
                    afterRestart = sound::State(program.AlarmBuffer.buffer);
                });
    script.Then([&] { return TimeExpiredWindow() != nullptr; },
                [&] {
                    secondPlaying = sound::State(program.AlarmBuffer.buffer) == BufferState::Playing &&
                                    sound::SampleBytes(program.AlarmBuffer.buffer).size() == samples.size();
                    Press(TimeExpiredWindow(), layout::form2::PushButton1);
                });
    StartAndExpire();

    EXPECT_EQ(script.Done(), 1u);
    EXPECT_EQ(afterRestart, BufferState::Free);
    // The same countdown runs again, from the pickers, and the window left the screen.
    EXPECT_EQ(form.PushButton1.Caption(), L"Pause");
    EXPECT_TRUE(form.Timer1.Enabled());
    EXPECT_EQ(form.countdown().SecondsLeft(), 1);
    EXPECT_EQ(form.countdown().TenthsLeft(), 9);
    EXPECT_TRUE(IsIconic(form.hwnd()) || !IsWindowVisible(form.hwnd()));
    EXPECT_FALSE(IsWindowEnabled(form.cboSecs()));

    // The real timer runs it out: it expires again and rings.
    ASSERT_TRUE(testsupport::PumpUntil([&] { return script.Finished() && form.PushButton1.Caption() == L"Start"; }, 6000));
    EXPECT_TRUE(secondPlaying);
    ExpectIdleOnScreen();
}

TEST_F(AlarmAtExpiry, ARepeatingAlarmPlaysOnWithoutAGapUntilAnsweredOrNobodyIsThereForTenMinutes) {
    if (capture.empty()) GTEST_SKIP() << "CORVALIN_SOUND_CAPTURE is not set";
    const auto samples = Samples(200, 25);
    program.Form3().SetText1Text(WriteWav(L"repeat", samples));
    SendMessageW(program.Form3().chkRepeat(), BM_CLICK, 0, 0);
    // The whole sound and the start of the next play, back to back.
    std::vector<unsigned char> again(samples);
    again.insert(again.end(), samples.begin(), samples.begin() + 4000);
    for (int way : {0, 1, 2}) {  // Escape, the close box, or nobody there: Time Expired stays up
        const long long enough = testsupport::SizeOf(capture) + 3 * static_cast<long long>(samples.size());
        long long answered = 0;
        Script script;
        script.Then([&] { return TimeExpiredWindow() && testsupport::SizeOf(capture) > enough; }, [&] {
            ui::Attention::System away = ui::Attention::Platform();
            away.now = [later = GetTickCount() + ui::kAlarmAwayMs] { return later; };
            program.AlarmAttention.UseSystem(way == 2 ? away : ui::Attention::Platform());
            program.AlarmAttention.CheckPresence();
            if (way < 2) SendMessageW(TimeExpiredWindow(), way == 1 ? WM_CLOSE : WM_COMMAND, IDCANCEL, 0);
            answered = testsupport::SizeOf(capture);
            if (way < 2) return;
            EXPECT_FALSE(testsupport::PumpUntil([] { return !TimeExpiredWindow(); }, 600)) << "it stays up, silent";
            SendMessageW(TimeExpiredWindow(), WM_COMMAND, IDCANCEL, 0);
        });
        StartAndExpire();
        ASSERT_TRUE(script.Finished());
        EXPECT_TRUE(Contains(Captured(), again.data(), again.size())) << way;
        // Nothing more reaches the device but what it held already.
        testsupport::PumpUntil([] { return false; }, 600);
        EXPECT_LT(testsupport::SizeOf(capture), answered + static_cast<long long>(samples.size())) << way;
    }
}

TEST_F(AlarmAtExpiry, EitherButtonAfterTheAlarmEndedByItselfStopsNothing) {
    if (capture.empty()) GTEST_SKIP() << "CORVALIN_SOUND_CAPTURE is not set";
    const auto samples = Samples(300, 23);
    program.Form3().SetText1Text(WriteWav(L"short", samples));
    const std::wstring other = WriteWav(L"other", Samples(3000, 24));
    testsupport::DialogWatcher watcher;
    constexpr std::int32_t kOtherBuffer = 7;

    for (int button : {layout::form2::PushButton1, layout::form2::PushButton2}) {
        Script script;
        bool wholeAlarmHeard = false;
        bool otherStillPlaying = false;
        script.Then(
            [&] { return TimeExpiredWindow() && sound::State(program.AlarmBuffer.buffer) == BufferState::Free; },
            [&] {
                const auto captured = Captured();
                wholeAlarmHeard = Contains(captured, samples.data(), samples.size());
                // Another sound plays when the button is pressed: it must go on.
                sound::Load(kOtherBuffer, other, sound::PlayOnLoad);
                Press(TimeExpiredWindow(), button);
                otherStillPlaying = sound::State(kOtherBuffer) == BufferState::Playing;
            });
        StartAndExpire();
        ASSERT_TRUE(script.Finished());
        EXPECT_TRUE(wholeAlarmHeard);
        EXPECT_TRUE(otherStillPlaying);
        EXPECT_EQ(sound::State(kOtherBuffer), BufferState::Playing);
        sound::Unload(kOtherBuffer);
        // The unloaded device's late MM_WOM_DONE must be handled before the next alarm: the sound
        // player tells devices apart by handle alone, and a new device may get the same handle.
        EXPECT_TRUE(testsupport::PumpUntilHandled(MM_WOM_DONE, 1, 10'000));
        if (button == layout::form2::PushButton2) {
            // The same countdown runs again, behind the tray icon; reset it and bring the window back.
            EXPECT_EQ(form.PushButton1.Caption(), L"Pause");
            form.PushButton2_Click();
            program.cSysTray1_MouseUp(1, 0);
        }
        ExpectIdleOnScreen();
    }
    EXPECT_EQ(watcher.Count(), 0u);
}

TEST_F(AlarmAtExpiry, MissingFileOrAFolderStillGivesTheWindowSilentlyWithoutAReport) {
    testsupport::DialogWatcher watcher;
    const long long before = testsupport::SizeOf(capture);
    for (const std::wstring& path : {core::ProgramFolder() + L"\\no such alarm.wav", core::ProgramFolder()}) {
        program.Form3().SetText1Text(path);
        Script script;
        bool nothingLoaded = false;
        script.Then([] { return TimeExpiredWindow() != nullptr; },
                    [&] {
                        nothingLoaded = sound::FindFreeBuffer() == 1 && program.AlarmBuffer.buffer == 0;
                        Press(TimeExpiredWindow(), layout::form2::PushButton1);
                    });
        StartAndExpire();
        ASSERT_TRUE(script.Finished());
        EXPECT_TRUE(nothingLoaded) << std::string(path.begin(), path.end());
        ExpectIdleOnScreen();
    }
    EXPECT_EQ(testsupport::SizeOf(capture), before);
    EXPECT_EQ(watcher.Count(), 0u);
}

// While Time Expired is up, an open Alarm Options window takes no input: a real click on its test
// button would replace AlarmBuffer with the test sound, and OK would then silence the wrong sound.
TEST_F(AlarmAtExpiry, TimeExpiredTakesTheInputFromEveryOtherWindowAndGivesBackExactlyWhatItTook) {
    program.Form3().SetText1Text(WriteWav(L"modal", Samples(3000, 26)));
    form.PushButton3_Click();
    const HWND options = program.Form3().hwnd();
    const HWND testButton = program.Form3().PushButton3.hwnd();
    // Clear of Time Expired, which opens centred.
    SetWindowPos(options, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE);
    const POINT onTest = testsupport::CentreOf(testButton);
    ASSERT_TRUE(testsupport::MoveMouseTo(onTest, [&] { return WindowFromPoint(onTest) == testButton; }, 5000));
    // A window of the program that was disabled before stays so.
    const core::UniqueWindow disabled(CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_DISABLED, 0, 0, 10, 10, nullptr,
                                                    nullptr, GetModuleHandleW(nullptr), nullptr));

    Script script;
    bool othersDisabled = false;
    std::int32_t alarm = 0;
    std::int32_t afterClick = 0;
    bool clickHandled = false;
    bool expiredOnTop = false;
    BufferState afterOk = BufferState::Playing;
    script.Then([&] { return TimeExpiredWindow() && sound::State(program.AlarmBuffer.buffer) == BufferState::Playing; },
                [&] {
                    const HWND expired = TimeExpiredWindow();
                    othersDisabled = !IsWindowEnabled(form.hwnd()) && !IsWindowEnabled(options) &&
                                     IsWindowEnabled(expired) && IsWindowVisible(options);
                    alarm = program.AlarmBuffer.buffer;
                    testinput::Click();
                    // The click reaches this thread, a disabled window's, and is handled (dropped).
                    clickHandled = testsupport::PumpUntilInputHandled(
                        QS_MOUSEBUTTON, [] { return testsupport::InputWaiting(QS_MOUSEBUTTON); });
                    afterClick = program.AlarmBuffer.buffer;
                    // The tray icon only brings the windows to the front, Time Expired on top.
                    program.cSysTray1_MouseUp(1, 0);
                    expiredOnTop = GetForegroundWindow() == expired && !IsWindowEnabled(form.hwnd());
                    Press(expired, layout::form2::PushButton1);
                    afterOk = sound::State(alarm);
                });
    StartAndExpire();

    ASSERT_TRUE(script.Finished());
    EXPECT_TRUE(othersDisabled);
    EXPECT_TRUE(clickHandled);
    EXPECT_EQ(afterClick, alarm) << "the test button was pressed";
    EXPECT_TRUE(expiredOnTop);
    EXPECT_EQ(afterOk, BufferState::Free);
    EXPECT_EQ(sound::FindFreeBuffer(), 1) << "a sound plays on";
    EXPECT_TRUE(IsWindowEnabled(form.hwnd()));
    EXPECT_TRUE(IsWindowEnabled(options));
    EXPECT_FALSE(IsWindowEnabled(disabled.get()));
    // Enabled again, the same click presses the test button.
    program.AlarmBuffer.buffer = 0;
    testinput::Click();
    EXPECT_TRUE(testsupport::PumpUntil([&] { return program.AlarmBuffer.buffer != 0; }, 5000));
    EXPECT_EQ(sound::State(program.AlarmBuffer.buffer), BufferState::Playing);
}

TEST_F(AlarmAtExpiry, EscapeOnTheFocusedButtonSilencesAndClosesAsOkDoes) {
    program.Form3().SetText1Text(WriteWav(L"escape", Samples(3000, 26)));
    Script script;
    ULONGLONG turnedAt = 0;
    ULONGLONG escapedAt = 0;
    bool closedByEscape = false;
    // The window comes up without the keyboard while another program has it (under Wine, often the
    // shell's tray window): the user turns to it first.
    script.Then([&] {
        return TimeExpiredWindow() && IsWindowVisible(TimeExpiredWindow()) &&
               sound::State(program.AlarmBuffer.buffer) == BufferState::Playing;
    },
                [&] {
                    SetForegroundWindow(TimeExpiredWindow());
                    turnedAt = GetTickCount64();
                });
    // Once a button of the window has the focus, as the user sees it (or the test goes on to its end).
    script.Then([&] { return IsChild(TimeExpiredWindow(), GetFocus()) || GetTickCount64() > turnedAt + 10000; },
                [&] {
                    testsupport::PressKey(VK_ESCAPE);
                    escapedAt = GetTickCount64();
                });
    // A window that ignores the key is closed by its button, so that the test ends.
    script.Then([&] { return !TimeExpiredWindow() || GetTickCount64() > escapedAt + 10000; },
                [&] {
                    closedByEscape = !TimeExpiredWindow();
                    if (!closedByEscape) Press(TimeExpiredWindow(), layout::form2::PushButton1);
                });
    StartAndExpire();
    ASSERT_TRUE(testsupport::PumpUntil([&] { return script.Finished(); }, 25000));
    EXPECT_TRUE(closedByEscape);
    // Unlike the close box, the key stops the alarm, and its buffer has come back.
    EXPECT_EQ(sound::State(program.AlarmBuffer.buffer), BufferState::Free);
    EXPECT_EQ(TimeExpiredWindow(), nullptr);
    ExpectIdleOnScreen();
}

TEST_F(AlarmAtExpiry, ClosingTheWindowAnotherWayStopsNothingAndResets) {
    program.Form3().SetText1Text(WriteWav(L"close", Samples(3000, 25)));
    Script script;
    BufferState afterClose = BufferState::Free;
    script.Then([&] { return TimeExpiredWindow() && sound::State(program.AlarmBuffer.buffer) == BufferState::Playing; },
                [&] {
                    SendMessageW(TimeExpiredWindow(), WM_CLOSE, 0, 0);
                    // A stop would have had the device post its MM_WOM_DONE inside the reset.
                    testsupport::PumpPending();
                    afterClose = sound::State(program.AlarmBuffer.buffer);
                });
    StartAndExpire();
    ASSERT_TRUE(script.Finished());
    EXPECT_EQ(afterClose, BufferState::Playing);
    EXPECT_EQ(sound::State(program.AlarmBuffer.buffer), BufferState::Playing);
    EXPECT_EQ(TimeExpiredWindow(), nullptr);
    ExpectIdleOnScreen();
}

}  // namespace
