// The alarm while another program has the keyboard: Time Expired comes up topmost without taking that
// program's keystrokes, flashes, keeps the system awake while up, and every message box around it
// is owned by a window of ours and modal to the whole program.
#include "Form1Fixture.h"
#include "TestSupport.h"
#include "alarm/Form3.h"
#include "app/Form1.h"
#include "core/Program.h"
#include "resources/Layouts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using testsupport::PumpUntil;
using testsupport::Script;

HWND TimeExpiredWindow() {
    HWND found = FindWindowW(L"CorvalinForm2", L" Time Expired");
    return found && IsWindowVisible(found) ? found : nullptr;
}

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
        if (!CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process_)) return;
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

class AlarmInTheBackground : public testsupport::ShownForm1 {
protected:
    void SetUp() override {
        ShownForm1::SetUp();
        form.AlarmAttention.UseSystem({[&](HWND window) { log.push_back(window == TimeExpiredWindow() ? L"flash" : L"flash?"); },
                                       [&](bool awake) { log.push_back(awake ? L"awake" : L"sleep"); }});
        form.Form3().SetText1Text(core::ProgramFolder() + L"\\no alarm here.wav");
        SendMessageW(form.cboSecs(), CB_SETCURSEL, 1, 0);  // 00:00:01
    }
    // Start, then the twenty ticks of a one-second countdown; the last one expires and returns when
    // the Time Expired window has closed. `before` runs between Start and the expiring tick.
    void StartAndExpire(const std::function<void()>& before = {}) {
        form.PushButton1_Click();
        for (int i = 0; i < 19; ++i) form.Timer1_Tick();
        if (before) before();
        form.Timer1_Tick();
    }

    std::vector<std::wstring> log;
};

TEST_F(AlarmInTheBackground, TimeExpiredComesUpTopmostWithoutTheKeyboardFlashesAndKeepsTheSystemAwakeUntilAnswered) {
    // Our own program in front: as always, the window is active with the focus on OK; no flash.
    Script own;
    bool ownActive = false;
    own.Then([] { return TimeExpiredWindow() != nullptr; },
             [&] {
                 const HWND expired = TimeExpiredWindow();
                 ownActive = GetForegroundWindow() == expired && Topmost(expired) &&
                             GetFocus() == GetDlgItem(expired, layout::form2::PushButton1);
                 log.push_back(L"up");
                 SendMessageW(GetDlgItem(expired, layout::form2::PushButton1), BM_CLICK, 0, 0);
             });
    StartAndExpire();
    ASSERT_TRUE(own.Finished());
    EXPECT_TRUE(ownActive);
    EXPECT_EQ(log, (std::vector<std::wstring>{L"awake", L"up", L"sleep"}));

    // Another program in front: it keeps the keyboard, Time Expired shows on top of it and flashes;
    // turning to it through the tray icon puts the focus on OK.
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
                   keptKeyboard = GetForegroundWindow() == notepad.window();
                   onTop = Topmost(expired) && Above(expired, notepad.window());
                   log.push_back(L"up");
                   form.cSysTray1_MouseUp(1, 0);
                   okFocusedOnActivation = PumpUntil(
                       [&] { return GetFocus() == GetDlgItem(expired, layout::form2::PushButton1); }, 5000);
                   SendMessageW(GetDlgItem(expired, layout::form2::PushButton1), BM_CLICK, 0, 0);
               });
    StartAndExpire([&] { ASSERT_TRUE(notepad.TakeForeground()); });
    ASSERT_TRUE(other.Finished());
    EXPECT_TRUE(keptKeyboard);
    EXPECT_TRUE(onTop);
    EXPECT_TRUE(okFocusedOnActivation);
    EXPECT_EQ(log, (std::vector<std::wstring>{L"awake", L"flash", L"up", L"sleep"}));

    // Answered, nothing of the program stays topmost.
    bool anyTopmost = false;
    EnumThreadWindows(GetCurrentThreadId(), &AnyTopmost, reinterpret_cast<LPARAM>(&anyTopmost));
    EXPECT_FALSE(anyTopmost);
    EXPECT_FALSE(form.AlarmAttention.KeepingAwake());
}

// A message box raised at expiry while another program has the keyboard (here the loader's, for an
// alarm file it cannot use; then an error report while Time Expired is up) is owned by a window of
// ours, and Start and Reset take no input under it.
TEST_F(AlarmInTheBackground, MessageBoxesAtExpiryAreOwnedAndLeaveTheMainWindowDisabled) {
    OtherProgram notepad;
    ASSERT_NE(notepad.window(), nullptr) << "notepad did not start";
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    const std::wstring unusable = std::wstring(temp) + L"corvalin-unusable.wav";
    HANDLE out = CreateFileW(unusable.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(out, "not a wave file", 15, &written, nullptr);
    CloseHandle(out);
    form.Form3().SetText1Text(unusable);

    struct Seen {
        HWND owner = nullptr;
        bool mainEnabled = true;
        bool optionsEnabled = true;
    };
    const auto boxUp = [] { return FindWindowW(L"#32770", nullptr) != nullptr; };
    const auto answer = [](Seen& seen) {
        const HWND box = FindWindowW(L"#32770", nullptr);
        seen.owner = GetWindow(box, GW_OWNER);
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    };
    Seen loader;
    Seen report;
    HWND expired = nullptr;
    bool reportRaised = false;
    bool mainDisabledAfterReport = false;
    Script script;
    script.Then([&] { return boxUp() && !reportRaised; }, [&] {
        loader.mainEnabled = IsWindowEnabled(form.hwnd()) != FALSE;
        loader.optionsEnabled = IsWindowEnabled(form.Form3().hwnd()) != FALSE;
        answer(loader);
    });
    script.Then([&] { return TimeExpiredWindow() && !boxUp(); },
                [&] {
                    expired = TimeExpiredWindow();
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
    ASSERT_TRUE(script.Finished() && inner.Finished());
    DeleteFileW(unusable.c_str());

    EXPECT_EQ(loader.owner, form.hwnd());
    EXPECT_FALSE(loader.mainEnabled);
    EXPECT_FALSE(loader.optionsEnabled);
    EXPECT_EQ(report.owner, expired);
    EXPECT_FALSE(report.mainEnabled);
    EXPECT_TRUE(mainDisabledAfterReport);
    EXPECT_TRUE(IsWindowEnabled(form.hwnd()));
    EXPECT_TRUE(IsWindowEnabled(form.Form3().hwnd()));
}

}  // namespace
