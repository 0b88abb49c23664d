// The alarm while another program has the keyboard: Time Expired comes up topmost without taking that
// program's keystrokes, flashes, keeps the system awake while up, and every message box around it
// is owned by a window of ours and modal to the whole program.
#include "Form1Fixture.h"
#include "TestSupport.h"
#include "alarm/Form3.h"
#include "app/Form1.h"
#include "core/Handles.h"
#include "core/Program.h"
#include "resources/Layouts.h"
#include "sound/SoundManager.h"
#include "tests/InputSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using testsupport::PumpUntil;
using testsupport::Script;
using testsupport::TimeExpiredWindow;

bool Topmost(HWND hwnd) { return (GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

// Whether `upper` comes before `lower` in the screen's z-order, topmost band first.
bool Above(HWND upper, HWND lower) {
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
        if (w == upper) return true;
        if (w == lower) return false;
    }
    return false;
}

BOOL CALLBACK AnyTopmost(HWND hwnd, LPARAM found) {
    if (IsWindowVisible(hwnd) && Topmost(hwnd)) *reinterpret_cast<bool*>(found) = true;
    return TRUE;
}

// Another program with a window in the foreground: Wine's notepad, ended with the test.
class OtherProgram {
public:
    OtherProgram() {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        wchar_t command[] = L"notepad.exe";
        if (!CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process_)) {
            return;
        }
        PumpUntil([&] { return (window_ = Find()) != nullptr; }, 20000);
    }
    ~OtherProgram() {
        if (!process_.hProcess) return;
        TerminateProcess(process_.hProcess, 0);
        WaitForSingleObject(process_.hProcess, 10000);
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }
    OtherProgram(const OtherProgram&) = delete;
    OtherProgram& operator=(const OtherProgram&) = delete;

    HWND window() const { return window_; }
    // Brings its window to the front with the keyboard, as the user's own click would.
    bool TakeForeground() const {
        SetForegroundWindow(window_);
        return PumpUntil([&] { return GetForegroundWindow() == window_; }, 5000);
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

// Starts a command in the host's shell, as Wine starts any host program; the caller owns the handles.
bool StartOnHost(const std::wstring& command, PROCESS_INFORMATION& process) {
    std::wstring line = L"Z:\\bin\\sh -c \"" + command + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    return CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process) != 0;
}

// Watches the X server's root window through the host's xev, started from here as Wine starts any
// host program: Wine turns FlashWindowEx into a _NET_WM_STATE client message (demands attention) sent
// to the root window. xev names the message's type, not its data; with the test prefix's windows
// unmanaged Wine sends no other _NET_WM_STATE message, so the type tells the flash.
class RootWindowSpy {
public:
    RootWindowSpy() {
        const std::wstring name = L"corvalin-xev-" + std::to_wstring(GetCurrentProcessId()) + L".log";
        log_ = L"Z:\\tmp\\" + name;
        DeleteFileW(log_.c_str());
        if (!StartOnHost(L"exec xev -root -event substructure > /tmp/" + name, process_)) return;
        // Ready once it reports a window of ours being mapped.
        ready_ = PumpUntil(
            [&] {
                const core::UniqueWindow probe(CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP | WS_VISIBLE,
                                                             0, 0, 4, 4, nullptr, nullptr, GetModuleHandleW(nullptr),
                                                             nullptr));
                return PumpUntil([&] { return Log().find("MapNotify") != std::string::npos; }, 50);
            },
            10000);
    }
    ~RootWindowSpy() {
        if (process_.hProcess) {
            TerminateProcess(process_.hProcess, 0);
            WaitForSingleObject(process_.hProcess, 5000);
            CloseHandle(process_.hThread);
            CloseHandle(process_.hProcess);
        }
        DeleteFileW(log_.c_str());
    }
    RootWindowSpy(const RootWindowSpy&) = delete;
    RootWindowSpy& operator=(const RootWindowSpy&) = delete;

    bool Ready() const { return ready_; }
    std::size_t StateMessages() const {
        const std::string log = Log();
        std::size_t count = 0;
        const std::string type = "(_NET_WM_STATE)";
        for (std::size_t at = log.find(type); at != std::string::npos; at = log.find(type, at + 1)) ++count;
        return count;
    }

private:
    std::string Log() const {
        const std::vector<unsigned char> bytes = testsupport::ReadWholeFile(log_);
        return std::string(bytes.begin(), bytes.end());
    }

    std::wstring log_;
    PROCESS_INFORMATION process_{};
    bool ready_ = false;
};

class AlarmInTheBackground : public testsupport::ShownForm1 {
protected:
    void SetUp() override {
        ShownForm1::SetUp();
        // Listens in, and passes each call on to the system.
        program.AlarmAttention.UseSystem({[&](HWND window) {
                                           log.push_back(window == TimeExpiredWindow() ? L"flash" : L"flash?");
                                           platform.flash(window);
                                       },
                                       [&](EXECUTION_STATE held) {
                                           log.push_back(held & ES_DISPLAY_REQUIRED ? L"awake" : held ? L"counting" : L"sleep");
                                           platform.keepAwake(held);
                                       }, platform.now, platform.lastInput});
        program.Form3().SetText1Text(core::ProgramFolder() + L"\\no alarm here.wav");
        SendMessageW(form.cboSecs(), CB_SETCURSEL, 1, 0);  // 00:00:01
    }
    // Start, then the twenty ticks of a one-second countdown; the last one expires and returns when
    // the Time Expired window has closed. `before` runs between Start and the expiring tick.
    void StartAndExpire(const std::function<void()>& before = {}) {
        form.PushButton1_Click();
        for (int i = 0; i < 19; ++i) form.Timer1_Tick();
        if (before) before();
        form.Timer1_Tick();
        EXPECT_TRUE(testsupport::AlarmAnswered(form));
    }

    std::vector<std::wstring> log;
    const ui::Attention::System platform = ui::Attention::Platform();
};

TEST_F(AlarmInTheBackground, TimeExpiredComesUpTopmostWithoutTheKeyboardFlashesAndKeepsTheSystemAwakeUntilAnswered) {
    RootWindowSpy x;
    ASSERT_TRUE(x.Ready()) << "xev (Debian's x11-utils) did not start: scripts/install-deps.sh installs it";

    // Our own program in front: as it always did, the window is active with the focus on OK; no flash.
    Script own;
    bool ownActive = false;
    own.Then([] { return TimeExpiredWindow() != nullptr; },
             [&] {
                 const HWND expired = TimeExpiredWindow();
                 ownActive = GetForegroundWindow() == expired && Topmost(expired) && Above(expired, form.hwnd()) &&
                             GetFocus() == GetDlgItem(expired, layout::form2::PushButton1);
                 log.push_back(L"up");
                 // Keys sent to the disabled main window's Start start nothing; Escape answers the alarm.
                 PostMessageW(form.PushButton1.hwnd(), WM_KEYDOWN, VK_SPACE, 1);
                 PostMessageW(form.PushButton1.hwnd(), WM_KEYUP, VK_SPACE, 0xC0000001);
                 testinput::Type(VK_ESCAPE);
             });
    // The user is in the Alarm Options window when the countdown ends: it is in front again afterwards.
    StartAndExpire([&] { form.PushButton3_Click(); });
    ASSERT_TRUE(own.Finished());
    EXPECT_TRUE(ownActive);
    EXPECT_EQ(form.PushButton1.Caption(), L"Start") << "a key started a countdown";
    EXPECT_EQ(GetForegroundWindow(), program.Form3().hwnd());
    EXPECT_FALSE(IsWindowVisible(form.hwnd()));
    EXPECT_EQ(x.StateMessages(), 0u) << "a flash while the program had the keyboard";
    EXPECT_EQ(log, (std::vector<std::wstring>{L"counting", L"awake", L"up", L"sleep"}));

    // Another program in front, typed in since Start: it keeps the keyboard, and the keys typed after the
    // alarm; Time Expired shows on top and flashes; turning to it by the tray icon puts the focus on OK.
    ASSERT_NE(GetFileAttributesW(L"Z:\\usr\\bin\\xdotool"), INVALID_FILE_ATTRIBUTES) << "no xdotool on the host";
    OtherProgram notepad;
    ASSERT_NE(notepad.window(), nullptr) << "notepad did not start";
    log.clear();
    Script other;
    bool keptKeyboard = false;
    bool onTop = false;
    bool okFocusedOnActivation = false;
    other.Then([] { return TimeExpiredWindow() != nullptr; },
               [&] {
                   const HWND expired = TimeExpiredWindow();
                   PROCESS_INFORMATION typist{};
                   wchar_t typed[16] = {};
                   keptKeyboard = GetForegroundWindow() == notepad.window() && StartOnHost(L"xdotool type after", typist) &&
                                  PumpUntil([&] {
                                      SendMessageW(FindWindowExW(notepad.window(), nullptr, L"Edit", nullptr), WM_GETTEXT,
                                                   16, reinterpret_cast<LPARAM>(typed));
                                      return std::wstring(typed) == L"after";
                                  }, 10000);
                   const core::UniqueKernelObject typistProcess(typist.hProcess), typistThread(typist.hThread);
                   onTop = Topmost(expired) && Above(expired, notepad.window()) && Above(expired, form.hwnd());
                   log.push_back(L"up");
                   program.cSysTray1_MouseUp(1, 0);
                   okFocusedOnActivation = PumpUntil(
                       [&] { return GetFocus() == GetDlgItem(expired, layout::form2::PushButton1); }, 5000);
                   SendMessageW(GetDlgItem(expired, layout::form2::PushButton1), BM_CLICK, 0, 0);
               });
    StartAndExpire([&] {
        ASSERT_TRUE(notepad.TakeForeground());
        Sleep(1100);  // later than the release of the key that pressed Start
        testinput::Type(VK_SHIFT);
    });
    ASSERT_TRUE(other.Finished());
    EXPECT_TRUE(keptKeyboard);
    EXPECT_TRUE(onTop);
    EXPECT_TRUE(okFocusedOnActivation);
    EXPECT_EQ(log, (std::vector<std::wstring>{L"counting", L"awake", L"flash", L"up", L"sleep"}));
    EXPECT_TRUE(PumpUntil([&] { return x.StateMessages() > 0; }, 5000)) << "no flash reached the X server";

    // Answered, nothing of the program stays topmost.
    bool anyTopmost = false;
    EnumThreadWindows(GetCurrentThreadId(), &AnyTopmost, reinterpret_cast<LPARAM>(&anyTopmost));
    EXPECT_FALSE(anyTopmost);
    EXPECT_FALSE(program.AlarmAttention.KeepingAwake());

    // Alarm Options closed while another program is in front: the main window comes back without the keyboard.
    ASSERT_TRUE(notepad.TakeForeground());
    program.Form3().SetText1Text((testsupport::ProgramExecutable().parent_path() / L"alarm.wav").wstring());
    SendMessageW(program.Form3().hwnd(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindowVisible(form.hwnd()) && GetForegroundWindow() == notepad.window());
    EXPECT_FALSE(IsChild(form.hwnd(), GetFocus()));
}

// At expiry while another program has the keyboard, with an alarm file the loader cannot use: Time
// Expired comes up sounding the system's alert, with nothing ahead of it; the loader's message follows
// once the user turns to it, owned by it, as is an error report while it is up, and Start and Reset
// take no input under them.
TEST_F(AlarmInTheBackground, MessageBoxesAtExpiryAreOwnedAndLeaveTheMainWindowDisabled) {
    OtherProgram notepad;
    ASSERT_NE(notepad.window(), nullptr) << "notepad did not start";
    const std::wstring unusable = testsupport::WriteTempFile(L"corvalin-unusable.wav", "not a wave file");
    program.Form3().SetText1Text(unusable);
    int fallbacks = 0;
    sound::SoundSystem system = sound::SoundSystem::Platform();
    system.fallbackSound = [&] { ++fallbacks; };
    sound::UseSystem(system);

    struct Seen {
        HWND owner = nullptr;
        std::wstring text;
        bool mainEnabled = true;
        bool optionsEnabled = true;
    };
    const auto boxUp = [] { return FindWindowW(L"#32770", nullptr) != nullptr; };
    const auto answer = [](Seen& seen) {
        const HWND box = FindWindowW(L"#32770", nullptr);
        seen.owner = GetWindow(box, GW_OWNER);
        seen.text = testsupport::TextOf(GetDlgItem(box, 0xFFFF));
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    };
    Seen loader;
    Seen report;
    HWND expired = nullptr;
    bool alarmFirst = false;
    bool reportRaised = false;
    bool mainDisabledAfterReport = false;
    Script script;
    script.Then([] { return TimeExpiredWindow() != nullptr; }, [&] {
        expired = TimeExpiredWindow();
        alarmFirst = fallbacks == 1 && !boxUp() && program.AlarmAttention.KeepingAwake();
        program.cSysTray1_MouseUp(1, 0);  // the user turns to it
    });
    script.Then([&] { return boxUp(); }, [&] {
        loader.mainEnabled = IsWindowEnabled(form.hwnd()) != FALSE;
        loader.optionsEnabled = IsWindowEnabled(program.Form3().hwnd()) != FALSE;
        answer(loader);
    });
    script.Then([&] { return !boxUp(); },
                [&] {
                    reportRaised = true;
                    core::ShowErrorReport(L"a step failed while the alarm was up");
                    mainDisabledAfterReport = !IsWindowEnabled(form.hwnd());
                    SendMessageW(GetDlgItem(expired, layout::form2::PushButton1), BM_CLICK, 0, 0);
                });
    // The report box runs its own loop inside the step above: a second script answers it there.
    Script inner;
    inner.Then([&] { return reportRaised && boxUp(); }, [&] {
        report.mainEnabled = IsWindowEnabled(form.hwnd()) != FALSE;
        answer(report);
    });
    StartAndExpire([&] { ASSERT_TRUE(notepad.TakeForeground()); });
    sound::UseSystem(sound::SoundSystem::Platform());
    ASSERT_TRUE(script.Finished() && inner.Finished());
    DeleteFileW(unusable.c_str());

    EXPECT_TRUE(alarmFirst);
    EXPECT_EQ(loader.text, L"Incorrect format");
    EXPECT_EQ(loader.owner, expired);
    EXPECT_FALSE(loader.mainEnabled);
    EXPECT_FALSE(loader.optionsEnabled);
    EXPECT_EQ(report.owner, expired);
    EXPECT_FALSE(report.mainEnabled);
    EXPECT_TRUE(mainDisabledAfterReport);
    EXPECT_TRUE(IsWindowEnabled(form.hwnd()));
    EXPECT_TRUE(IsWindowEnabled(program.Form3().hwnd()));
}

// A "Change Alarm File" dialog open when the countdown ends takes no input while Time Expired is up,
// and gets it back afterwards.
TEST_F(AlarmInTheBackground, AnOpenFileDialogIsDisabledWhileTimeExpiredIsUp) {
    form.PushButton3_Click();
    HWND dialog = nullptr;
    bool disabledWhileUp = false;
    bool enabledAfter = false;
    Script script;
    script.Then(
        [&] {
            dialog = FindWindowW(nullptr, L"Add File(s) - Hold Ctrl to select multiple files");
            return dialog && IsWindowVisible(dialog);
        },
        [&] {
            // The countdown ends while the dialog's own loop runs, as the timer would make it.
            StartAndExpire();
            enabledAfter = IsWindowEnabled(dialog) != FALSE;
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        });
    Script inner;
    inner.Then([] { return TimeExpiredWindow() != nullptr; },
               [&] {
                   disabledWhileUp = !IsWindowEnabled(dialog) && !IsWindowEnabled(program.Form3().hwnd());
                   SendMessageW(GetDlgItem(TimeExpiredWindow(), layout::form2::PushButton1), BM_CLICK, 0, 0);
               });
    SendMessageW(program.Form3().PushButton5.hwnd(), BM_CLICK, 0, 0);
    ASSERT_TRUE(script.Finished() && inner.Finished());
    EXPECT_TRUE(disabledWhileUp);
    EXPECT_TRUE(enabledAfter);
}

}  // namespace
