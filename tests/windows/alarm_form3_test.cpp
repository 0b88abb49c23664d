// The Alarm Options window of a real main window: the path box and its store, the file dialog, OK and
// the close box with good and bad paths, the sound test, the keyboard, and the countdown reading the
// box at expiry while the window is open.
#include "Form1Fixture.h"
#include "TestSupport.h"
#include "alarm/Form3.h"
#include "app/Form1.h"
#include "app/TimerProgram.h"
#include "core/Program.h"
#include "core/Settings.h"
#include "resources/Layouts.h"
#include "sound/SoundManager.h"
#include "tests/native/sound_wav_builder.h"

#include <gtest/gtest.h>

#include <commdlg.h>

#include <string>
#include <vector>

namespace {

using sound::BufferState;
using testsupport::DialogWatcher;
using testsupport::TextOf;

using testsupport::kApplicationKey;
constexpr wchar_t kDialogTitle[] = L"Add File(s) - Hold Ctrl to select multiple files";
using soundtest::kBytesPerSecond;

std::wstring Stored() {
    return testsupport::RegistryText(HKEY_CURRENT_USER, core::kSettingsKeyPath, L"Text2").value_or(L"<missing>");
}

std::wstring TempPath(const std::wstring& name) {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    return std::wstring(temp) + L"corvalin-options-" + name;
}

// A 16-bit PCM stereo WAV file of the given length.
std::wstring WriteWav(const std::wstring& name, std::size_t milliseconds, std::uint32_t seed) {
    soundtest::Bytes samples = soundtest::Pattern(kBytesPerSecond / 1000 * milliseconds, seed);
    samples[0] |= std::byte{0x41};
    return testsupport::WriteTempFile(L"corvalin-options-" + name + L".wav",
                                      soundtest::CanonicalWav(soundtest::Format16(1, 2, 44100, 16), samples));
}

class AlarmOptions : public testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, kApplicationKey);
        // Reports of trapped handlers are collected: none may come.
        program.reporter = [this](const std::wstring& text) { reports.push_back(text); };
        ASSERT_TRUE(program.Create());
        form.Show(SW_SHOWNORMAL);
        // The tray balloon (and its 5 s wait) belongs to the first minimise of a run: have it shown.
        program.cSysTray1.ShowBalloon(L"", L"", 0, true);
        defaultPath = core::ProgramFolder() + L"\\alarm.wav";
    }
    void TearDown() override {
        for (const std::wstring& report : reports) ADD_FAILURE() << std::string(report.begin(), report.end());
        sound::Shutdown();
        testsupport::PumpPending();
        RegDeleteTreeW(HKEY_CURRENT_USER, kApplicationKey);
    }

    // "Alarm Options" in the main window.
    alarm::Form3& Open() {
        form.PushButton3_Click();
        EXPECT_TRUE(IsWindowVisible(Options().hwnd()));
        EXPECT_FALSE(IsWindowVisible(form.hwnd()));
        return Options();
    }
    alarm::Form3& Options() { return program.Form3(); }
    void Click(ui::PushButton& button) { SendMessageW(button.hwnd(), BM_CLICK, 0, 0); }
    void Type(const std::wstring& text) {
        for (wchar_t c : text) SendMessageW(Options().Text1(), WM_CHAR, c, 1);
    }

    app::TimerProgram program;
    app::Form1& form = program.Main();
    std::wstring defaultPath;
    std::vector<std::wstring> reports;
};

TEST_F(AlarmOptions, EveryTypedCharacterIsStoredAtOnce) {
    alarm::Form3& options = Open();
    options.SetText1Text(L"");
    EXPECT_EQ(Stored(), L"");
    const std::wstring path = L"C:\\a b.wav";
    for (std::size_t i = 0; i < path.size(); ++i) {
        Type(path.substr(i, 1));
        ASSERT_EQ(Stored(), path.substr(0, i + 1)) << "after character " << i;
    }
    Type(L"\b");
    EXPECT_EQ(Stored(), L"C:\\a b.wa");
    // A paste over the selection is one more change.
    SendMessageW(options.Text1(), EM_SETSEL, 0, -1);
    SendMessageW(options.Text1(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"D:\\x.wav"));
    EXPECT_EQ(Stored(), L"D:\\x.wav");
    EXPECT_EQ(options.Text1Text(), L"D:\\x.wav");
}

TEST_F(AlarmOptions, TheRepeatBoxIsStoredAtOnceAndOnlyAnExactOnReadsAsOn) {
    alarm::Form3& options = Open();
    options.SetText1Text(WriteWav(L"repeat", 50, 39));
    const auto stored = [] { return testsupport::RegistryText(HKEY_CURRENT_USER, core::kSettingsKeyPath, L"Repeat Alarm"); };
    EXPECT_FALSE(options.RepeatAlarm() || stored());  // off, and loading writes nothing
    for (const wchar_t* expected : {L"On", L"Off"}) {
        SendMessageW(options.chkRepeat(), BM_CLICK, 0, 0);
        EXPECT_EQ(stored(), expected);
    }
    // Read again at the next load of the window.
    for (const auto& [text, on] : {std::pair{L"On", true}, {L"on", false}, {L"On ", false}}) {
        core::WriteSetting(L"Repeat Alarm", text);
        SendMessageW(options.hwnd(), WM_CLOSE, 0, 0);
        EXPECT_EQ(options.RepeatAlarm(), on) << std::wstring(text).size();
    }
}

TEST_F(AlarmOptions, CancelInTheFileDialogKeepsTheText) {
    alarm::Form3& options = Open();
    options.SetText1Text(L"C:\\kept.wav");
    std::wstring filter;
    {
        testsupport::WindowWatcher dialog(kDialogTitle, [&](HWND dlg) {
            wchar_t text[128] = {};
            SendMessageW(GetDlgItem(dlg, 0x470 /* cmb1, the file types */), WM_GETTEXT, 128,
                         reinterpret_cast<LPARAM>(text));
            filter = text;
            PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
        });
        Click(options.PushButton5);
        EXPECT_EQ(dialog.Seen(), 1);
    }
    EXPECT_EQ(filter, L"Wav Files (*.wav)");
    EXPECT_EQ(options.Text1Text(), L"C:\\kept.wav");
    EXPECT_EQ(Stored(), L"C:\\kept.wav");
    EXPECT_TRUE(IsWindowVisible(options.hwnd()));
}

TEST_F(AlarmOptions, PickedFileReplacesThePathAndIsStored) {
    alarm::Form3& options = Open();
    const std::wstring picked = WriteWav(L"picked", 50, 31);
    {
        testsupport::WindowWatcher dialog(kDialogTitle, [&](HWND dlg) {
            // The file name box: an edit in some versions of the dialog, a combo box in others.
            for (int box : {0x480 /* edt1 */, 0x47C /* cmb13 */}) {
                if (HWND name = GetDlgItem(dlg, box)) {
                    SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(picked.c_str()));
                }
            }
            PostMessageW(dlg, WM_COMMAND, IDOK, 0);
        });
        Click(options.PushButton5);
        EXPECT_EQ(dialog.Seen(), 1);
    }
    EXPECT_EQ(lstrcmpiW(options.Text1Text().c_str(), picked.c_str()), 0)
        << std::string(picked.begin(), picked.end());
    EXPECT_EQ(Stored(), options.Text1Text());
    DeleteFileW(picked.c_str());
}

// A folder, or a wildcard that matches a real file, exists but could never ring at expiry: refused
// like a missing file.
TEST_F(AlarmOptions, OkOnAPathThatCannotRingSaysFileDoesNotExistPutsTheDefaultBackAndStaysOpen) {
    alarm::Form3& options = Open();
    WriteWav(L"wild", 50, 36);
    for (const std::wstring& path : {std::wstring(), core::ProgramFolder() + L"\\no such file.wav",
                                     core::ProgramFolder(), TempPath(L"wil?.wav")}) {
        SCOPED_TRACE(std::string(path.begin(), path.end()));
        options.SetText1Text(path);
        DialogWatcher watcher;
        Click(options.PushButton1);
        const auto boxes = watcher.Boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, L"File does not exist.");
        EXPECT_EQ(boxes[0].caption, L"Corvalin Timer");
        EXPECT_FALSE(boxes[0].hasIcon);
        EXPECT_EQ(options.Text1Text(), defaultPath);
        EXPECT_EQ(Stored(), defaultPath);
        EXPECT_TRUE(options.IsLoaded());
        EXPECT_TRUE(IsWindowVisible(options.hwnd()));
        EXPECT_FALSE(IsWindowVisible(form.hwnd()));
    }
}

TEST_F(AlarmOptions, CloseBoxWithAValidPathClosesLikeOkAndWithAnInvalidOneStoresTheDefault) {
    const std::wstring valid = WriteWav(L"valid", 50, 32);
    alarm::Form3& options = Open();
    options.SetText1Text(valid);
    {
        DialogWatcher watcher;
        SendMessageW(options.hwnd(), WM_CLOSE, 0, 0);
        EXPECT_EQ(watcher.Count(), 0u);
    }
    EXPECT_FALSE(options.IsLoaded());
    EXPECT_TRUE(IsWindowVisible(form.hwnd()));
    EXPECT_EQ(Stored(), valid);

    Open().SetText1Text(L"C:\\gone\\alarm.wav");
    DialogWatcher watcher;
    SendMessageW(options.hwnd(), WM_CLOSE, 0, 0);
    ASSERT_EQ(watcher.Count(), 1u);
    EXPECT_EQ(watcher.Boxes()[0].text, L"File does not exist.");
    EXPECT_FALSE(options.IsLoaded());
    EXPECT_EQ(Stored(), defaultPath);
    // Deliberately mended: the main window comes back, not only through the tray icon.
    EXPECT_TRUE(IsWindowVisible(form.hwnd()));
    EXPECT_EQ(options.Text1Text(), defaultPath);
}

// The main window can be minimised behind the tray icon while Alarm Options is open; when OK or the
// close box shows it again, its next minimise must hide it again.
TEST_F(AlarmOptions, MinimiseHidesTheMainWindowAgainAfterAlarmOptionsShowedIt) {
    const std::wstring valid = WriteWav(L"minimise", 50, 38);
    for (bool closeBox : {false, true}) {
        SCOPED_TRACE(closeBox ? "close box" : "OK");
        alarm::Form3& options = Open();
        options.SetText1Text(valid);
        program.cSysTray1_MouseUp(1, 0);
        ShowWindow(form.hwnd(), SW_MINIMIZE);
        ASSERT_FALSE(IsWindowVisible(form.hwnd()));
        if (closeBox) {
            SendMessageW(options.hwnd(), WM_CLOSE, 0, 0);
        } else {
            Click(options.PushButton1);
        }
        ASSERT_FALSE(options.IsLoaded());
        ASSERT_TRUE(IsWindowVisible(form.hwnd()));
        ShowWindow(form.hwnd(), SW_MINIMIZE);
        EXPECT_FALSE(IsWindowVisible(form.hwnd()));
        program.cSysTray1_MouseUp(1, 0);
    }
}

TEST_F(AlarmOptions, TestTwiceThenOkStopsOnlyTheSecondAndTheFirstIsFreedWhenItEnds) {
    if (waveOutGetNumDevs() == 0) GTEST_SKIP() << "no wave-out device";
    alarm::Form3& options = Open();
    // Long enough that the first still plays after a busy machine's slowest clicks.
    options.SetText1Text(WriteWav(L"twice", 4000, 33));
    Click(options.PushButton3);
    Click(options.PushButton3);
    EXPECT_EQ(program.AlarmBuffer.buffer, 2);
    EXPECT_EQ(sound::State(1), BufferState::Playing);
    EXPECT_EQ(sound::State(2), BufferState::Playing);
    Click(options.PushButton1);
    EXPECT_FALSE(options.IsLoaded());
    EXPECT_TRUE(IsWindowVisible(form.hwnd()));
    ASSERT_TRUE(testsupport::PumpUntil([] { return sound::State(2) == BufferState::Free; }, 1000));
    EXPECT_EQ(sound::State(1), BufferState::Playing);
    EXPECT_TRUE(testsupport::PumpUntil([] { return sound::State(1) == BufferState::Free; }, 20000));
}

TEST_F(AlarmOptions, UnusableWavGivesTheLoadersMessageAndAnUnplayableOneTheSystemsSound) {
    const std::wstring bad = testsupport::WriteTempFile(
        L"corvalin-options-bad.wav", soundtest::Riff("WAVE", {soundtest::Chunk("FMT ", soundtest::Format16(1, 1, 8000, 8)),
                                                              soundtest::Chunk("data", soundtest::Pattern(8))}));
    alarm::Form3& options = Open();
    options.SetText1Text(bad);
    DialogWatcher watcher;
    Click(options.PushButton3);
    const auto boxes = watcher.Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, L"Could not find fmt chunk");
    EXPECT_EQ(boxes[0].caption, L"Corvalin Timer");
    EXPECT_EQ(program.AlarmBuffer.buffer, 1);
    EXPECT_EQ(sound::State(1), BufferState::Free);
    // OK refuses it with the loader's message, keeps the path and stays open.
    Click(options.PushButton1);
    EXPECT_EQ(watcher.Boxes().back().text, L"Could not find fmt chunk");
    EXPECT_EQ(options.Text1Text(), bad);
    EXPECT_TRUE(IsWindowVisible(options.hwnd()));
    // A path the listing does not find is no test, and says so as the loader would.
    options.SetText1Text(core::ProgramFolder());
    program.AlarmBuffer.buffer = 0;
    Click(options.PushButton3);
    EXPECT_EQ(program.AlarmBuffer.buffer, 0);
    EXPECT_EQ(watcher.Boxes().back().text, L"Cannot open file");
    // A format no device plays, then no device at all: the test sounds the alert; OK refuses the format.
    int fallbacks = 0;
    sound::SoundSystem system = sound::SoundSystem::Platform();
    system.fallbackSound = [&] { ++fallbacks; };
    sound::UseSystem(system);
    options.SetText1Text(testsupport::WriteTempFile(
        L"corvalin-options-odd.wav", soundtest::CanonicalWav(soundtest::Format16(0x7777, 2, 44100, 16), soundtest::Pattern(400))));
    Click(options.PushButton3);
    Click(options.PushButton1);
    EXPECT_EQ(watcher.Boxes().back().text, sound::kCannotPlayFormat);
    system.openDevice = [](HWAVEOUT*, const WAVEFORMATEX*, DWORD_PTR) { return static_cast<MMRESULT>(MMSYSERR_NODRIVER); };
    sound::UseSystem(system);
    options.SetText1Text(WriteWav(L"nodevice", 50, 40));
    Click(options.PushButton3);
    Click(options.PushButton1);
    sound::UseSystem(sound::SoundSystem::Platform());
    EXPECT_EQ(fallbacks, 2);
    EXPECT_FALSE(options.IsLoaded());
}

TEST_F(AlarmOptions, TabIntoThePathBoxSelectsTheWholePathAndEnterPressesOk) {
    alarm::Form3& options = Open();
    const std::wstring path = WriteWav(L"enter", 50, 37);
    options.SetText1Text(path);
    const auto selection = [&] {
        DWORD start = 0;
        DWORD end = 0;
        SendMessageW(options.Text1(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        return std::make_pair(start, end);
    };
    const std::pair<DWORD, DWORD> whole{0, static_cast<DWORD>(path.size())};

    // OK comes last in the tab order, the path box first.
    SetFocus(options.PushButton1.hwnd());
    SendMessageW(options.Text1(), EM_SETSEL, 0, 0);
    testsupport::PressKey(VK_TAB);
    ASSERT_TRUE(testsupport::PumpDialogUntil([&] { return GetFocus() == options.Text1(); }, 1000));
    EXPECT_EQ(selection(), whole);

    // Focus given by any other means selects it all as well.
    SetFocus(options.PushButton3.hwnd());
    SendMessageW(options.Text1(), EM_SETSEL, 0, 0);
    SetFocus(options.Text1());
    EXPECT_EQ(selection(), whole);

    // Enter in the box presses the default button, OK: the file exists, so the window closes.
    DialogWatcher watcher;
    testsupport::PressKey(VK_RETURN);
    EXPECT_TRUE(testsupport::PumpDialogUntil([&] { return !options.IsLoaded(); }, 1000));
    EXPECT_TRUE(IsWindowVisible(form.hwnd()));
    EXPECT_EQ(watcher.Count(), 0u);
}

TEST_F(AlarmOptions, TheCountdownPlaysWhatTheBoxHoldsAtExpiryWhileTheWindowIsOpenAndEdited) {
    if (waveOutGetNumDevs() == 0) GTEST_SKIP() << "no wave-out device";
    const std::wstring typed = WriteWav(L"typed", 2000, 34);
    const std::wstring stored = WriteWav(L"stored", 1000, 35);
    alarm::Form3& options = Open();
    options.SetText1Text(L"");
    Type(typed);
    // The store says otherwise; the box is what counts.
    testsupport::PutRegistryText(HKEY_CURRENT_USER, core::kSettingsKeyPath, L"Text2", stored);

    for (HWND picker : {form.cboHrs(), form.cboMins()}) SendMessageW(picker, CB_SETCURSEL, 0, 0);
    SendMessageW(form.cboSecs(), CB_SETCURSEL, 1, 0);
    form.PushButton1_Click();
    ASSERT_EQ(form.PushButton1.Caption(), L"Pause");
    testsupport::Script script;
    std::size_t loaded = 0;
    script.Then([] { return testsupport::TimeExpiredWindow() != nullptr; },
                [&] {
                    loaded = sound::SampleBytes(program.AlarmBuffer.buffer).size();
                    SendMessageW(GetDlgItem(testsupport::TimeExpiredWindow(), layout::form2::PushButton1), BM_CLICK, 0, 0);
                });
    for (int i = 0; i < 20; ++i) form.Timer1_Tick();
    EXPECT_TRUE(testsupport::AlarmAnswered(form));
    ASSERT_TRUE(script.Finished());
    EXPECT_EQ(loaded, kBytesPerSecond / 1000 * 2000);
    // The window was open all along and still is, with the typed path.
    EXPECT_TRUE(options.IsLoaded());
    EXPECT_TRUE(IsWindowVisible(options.hwnd()));
    EXPECT_EQ(options.Text1Text(), typed);
}

TEST_F(AlarmOptions, EscapeOnTheFocusedControlClosesAsTheCloseBoxDoes) {
    const std::wstring path = WriteWav(L"escape", 50, 38);
    for (bool onPathBox : {true, false}) {
        alarm::Form3& options = Open();
        options.SetText1Text(path);
        const HWND focus = onPathBox ? options.Text1() : options.PushButton3.hwnd();
        SetFocus(focus);
        ASSERT_EQ(GetFocus(), focus);
        testsupport::PressKey(VK_ESCAPE);
        EXPECT_TRUE(testsupport::PumpDialogUntil([&] { return !options.IsLoaded(); }, 5000)) << onPathBox;
        EXPECT_TRUE(IsWindowVisible(form.hwnd()));
        EXPECT_EQ(Stored(), path);
    }
    // With a path that cannot ring, the close box (unlike OK) says so, stores the default and closes.
    alarm::Form3& options = Open();
    options.SetText1Text(L"C:\\no such folder\\none.wav");
    DialogWatcher watcher;
    SetFocus(options.Text1());
    testsupport::PressKey(VK_ESCAPE);
    EXPECT_TRUE(testsupport::PumpDialogUntil([&] { return !options.IsLoaded(); }, 5000));
    EXPECT_EQ(watcher.Count(), 1u);
    EXPECT_EQ(Stored(), defaultPath);
}

TEST_F(AlarmOptions, FileDialogStartsInTheAlarmFilesFolderOrElseInTheProgramsFolder) {
    alarm::Form3& options = Open();
    const std::wstring folder = TempPath(L"folder");
    CreateDirectoryW(folder.c_str(), nullptr);
    const auto startsIn = [&](const std::wstring& text) {
        options.SetText1Text(text);
        std::wstring shown;
        {
            testsupport::WindowWatcher dialog(kDialogTitle, [&](HWND dlg) {
                wchar_t path[MAX_PATH + 1] = {};
                SendMessageW(dlg, CDM_GETFOLDERPATH, MAX_PATH + 1, reinterpret_cast<LPARAM>(path));
                shown = path;
                PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
            });
            Click(options.PushButton5);
            EXPECT_EQ(dialog.Seen(), 1);
        }
        // The dialog may name the folder with a final backslash or in its long form.
        wchar_t longForm[MAX_PATH + 1] = {};
        GetLongPathNameW(shown.c_str(), longForm, MAX_PATH + 1);
        std::wstring result = longForm[0] ? longForm : shown;
        if (result.size() > 3 && result.back() == L'\\') result.pop_back();
        return result;
    };
    const auto longOf = [](const std::wstring& path) {
        wchar_t longForm[MAX_PATH + 1] = {};
        GetLongPathNameW(path.c_str(), longForm, MAX_PATH + 1);
        return std::wstring(longForm);
    };
    EXPECT_EQ(startsIn(folder + L"\\not yet there.wav"), longOf(folder));
    EXPECT_EQ(startsIn(L"C:\\no such folder\\none.wav"), longOf(core::ProgramFolder()));
    EXPECT_EQ(startsIn(L""), longOf(core::ProgramFolder()));
    RemoveDirectoryW(folder.c_str());
}

}  // namespace
