// The main window's settings against the real registry of the test's own Wine prefix: first run, every
// pick stored at once and restored by the next start, the start-with-Windows box and its Run entry, a
// stored value outside the list, and the hand pointer over the main window.
#include "TestSupport.h"
#include "alarm/Form3.h"
#include "app/Form1.h"
#include "app/TimerProgram.h"
#include "core/Program.h"
#include "core/Settings.h"
#include "platform/RegStuff.h"
#include "resources/Layouts.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

namespace id = layout::form1;
using testsupport::DialogWatcher;
using testsupport::RegistryText;
using testsupport::TextOf;
using Shape = ui::WindowPointer::Shape;

using testsupport::kApplicationKey;

// The Run value is named after the running executable: here the test program.
const std::wstring kRunValueName = testsupport::ThisExecutable().filename().wstring();
const std::wstring kQuoted = L"\"" + testsupport::ThisExecutable().wstring() + L"\"";

std::wstring ModuleFolder() { return testsupport::ThisExecutable().parent_path().wstring(); }

std::wstring Stored(const std::wstring& key) {
    return RegistryText(HKEY_CURRENT_USER, core::kSettingsKeyPath, key).value_or(L"<missing>");
}

void Store(const std::wstring& key, const std::wstring& text) {
    testsupport::PutRegistryText(HKEY_CURRENT_USER, core::kSettingsKeyPath, key, text);
}

bool RunEntryAnywhere() {
    return RegistryText(HKEY_LOCAL_MACHINE, platform::kRunKeyPath, kRunValueName).has_value() ||
           RegistryText(HKEY_CURRENT_USER, platform::kRunKeyPath, kRunValueName).has_value();
}

void RemoveRunEntries() {
    testsupport::DeleteRegistryValue(HKEY_LOCAL_MACHINE, platform::kRunKeyPath, kRunValueName);
    testsupport::DeleteRegistryValue(HKEY_CURRENT_USER, platform::kRunKeyPath, kRunValueName);
}

// The selected item of a picker, "" when none is selected.
std::wstring PickerText(HWND picker) {
    const LRESULT index = SendMessageW(picker, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) return L"";
    wchar_t text[16] = {};
    SendMessageW(picker, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return text;
}

class Form1Settings : public testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, kApplicationKey);
        RemoveRunEntries();
    }
    void TearDown() override {
        program.reset();
        RegDeleteTreeW(HKEY_CURRENT_USER, kApplicationKey);
        RemoveRunEntries();
    }

    // Starts the program's main window (again): a new window reads everything from the store.
    app::Form1& Start() {
        program.reset();
        program = std::make_unique<app::TimerProgram>();
        form = &program->Main();
        EXPECT_TRUE(program->Create());
        form->Show(SW_SHOWNORMAL);
        return *form;
    }

    // A pick in the list, as the user makes it: the list tells its window.
    void Pick(HWND picker, const wchar_t* item) {
        const LRESULT index =
            SendMessageW(picker, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(item));
        ASSERT_NE(index, CB_ERR);
        SendMessageW(picker, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageW(form->hwnd(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(picker), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(picker));
    }

    bool Ticked() { return SendMessageW(form->Check3(), BM_GETCHECK, 0, 0) == BST_CHECKED; }

    std::unique_ptr<app::TimerProgram> program;
    app::Form1* form = nullptr;
};

TEST_F(Form1Settings, FirstRunShowsZeroesAClearBoxAndStoresTheDefaultAlarmPath) {
    DialogWatcher watcher;
    Start();
    EXPECT_EQ(PickerText(form->cboHrs()), L"00");
    EXPECT_EQ(PickerText(form->cboMins()), L"00");
    EXPECT_EQ(PickerText(form->cboSecs()), L"00");
    EXPECT_FALSE(Ticked());
    const std::wstring expected = ModuleFolder() + L"\\alarm.wav";
    EXPECT_EQ(core::ProgramFolder(), ModuleFolder());
    EXPECT_EQ(program->Form3().Text1Text(), expected);
    EXPECT_EQ(Stored(L"Text2"), expected);
    // The box was restored, not clicked: nothing about it was stored.
    EXPECT_EQ(Stored(L"Windows Startup"), L"<missing>");
    EXPECT_FALSE(RunEntryAnywhere());
    EXPECT_FALSE(form->Loading);
    EXPECT_EQ(watcher.Count(), 0u);
}

TEST_F(Form1Settings, EveryPickIsStoredAtOnceAndTheNextStartRestoresIt) {
    Start();
    Pick(form->cboHrs(), L"01");
    EXPECT_EQ(Stored(L"Hours"), L"01");
    Pick(form->cboMins(), L"30");
    EXPECT_EQ(Stored(L"Minutes"), L"30");
    Pick(form->cboSecs(), L"59");
    EXPECT_EQ(Stored(L"Seconds"), L"59");
    Pick(form->cboSecs(), L"00");
    EXPECT_EQ(Stored(L"Seconds"), L"00");
    Pick(form->cboSecs(), L"05");

    Start();
    EXPECT_EQ(PickerText(form->cboHrs()), L"01");
    EXPECT_EQ(PickerText(form->cboMins()), L"30");
    EXPECT_EQ(PickerText(form->cboSecs()), L"05");
    EXPECT_EQ(form->PushButton1.Caption(), L"Start");

    // The last item of each list survives too.
    Pick(form->cboHrs(), L"23");
    Pick(form->cboMins(), L"59");
    Start();
    EXPECT_EQ(PickerText(form->cboHrs()), L"23");
    EXPECT_EQ(PickerText(form->cboMins()), L"59");
    EXPECT_EQ(PickerText(form->cboSecs()), L"05");
}

TEST_F(Form1Settings, StoredOnInAnotherCaseLeavesTheBoxClearAndTouchesNothing) {
    for (const wchar_t* stored : {L"on", L"ON", L"On ", L""}) {
        Store(L"Windows Startup", stored);
        Start();
        EXPECT_FALSE(Ticked()) << "stored \"" << std::string(stored, stored + wcslen(stored)) << "\"";
        EXPECT_EQ(Stored(L"Windows Startup"), stored);
    }
    EXPECT_FALSE(RunEntryAnywhere());
}

TEST_F(Form1Settings, TheBoxShowsTheRunEntryNotTheStoredChoiceAndLoadingChangesNeither) {
    // "On" stored, but the entry was removed behind the program's back (an uninstall, another tool).
    Store(L"Windows Startup", L"On");
    Start();
    EXPECT_FALSE(Ticked());
    EXPECT_FALSE(RunEntryAnywhere());
    // "Off" stored, and an administrator's machine-wide entry there: it stays as it was.
    testsupport::PutRegistryText(HKEY_LOCAL_MACHINE, platform::kRunKeyPath, kRunValueName, kQuoted);
    Store(L"Windows Startup", L"Off");
    Start();
    EXPECT_TRUE(Ticked());
    EXPECT_EQ(RegistryText(HKEY_LOCAL_MACHINE, platform::kRunKeyPath, kRunValueName).value_or(L""), kQuoted);
    EXPECT_EQ(Stored(L"Windows Startup"), L"Off");
}

// The machine-wide deletes refused, as Windows refuses them to a standard user.
struct MachineWideRefused : platform::RegistryRunKeys {
    void Remove(platform::RunHive hive, const std::wstring& name) override {
        if (hive == platform::RunHive::CurrentUser) RegistryRunKeys::Remove(hive, name);
    }
};

TEST_F(Form1Settings, AnEntryThatCannotBeRemovedKeepsTheBoxTickedAndSaysHowToRemoveIt) {
    testsupport::PutRegistryText(HKEY_LOCAL_MACHINE, platform::kRunKeyPath, kRunValueName, kQuoted);
    Start();
    program->StartupKeys = std::make_unique<MachineWideRefused>();
    DialogWatcher watcher;
    SendMessageW(form->Check3(), BM_CLICK, 0, 0);
    EXPECT_TRUE(Ticked());
    const auto boxes = watcher.Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find(L"once as administrator"), std::wstring::npos);
}

TEST_F(Form1Settings, TickingAndClearingTheBoxAddsAndRemovesTheQuotedEntryEachTime) {
    Start();
    const std::wstring quoted = L"\"" + testsupport::ThisExecutable().wstring() + L"\"";
    for (int round = 0; round < 2; ++round) {
        SendMessageW(form->Check3(), BM_CLICK, 0, 0);
        EXPECT_TRUE(Ticked());
        EXPECT_EQ(Stored(L"Windows Startup"), L"On");
        const auto machine = RegistryText(HKEY_LOCAL_MACHINE, platform::kRunKeyPath, kRunValueName);
        const auto user = RegistryText(HKEY_CURRENT_USER, platform::kRunKeyPath, kRunValueName);
        ASSERT_TRUE(machine.has_value() || user.has_value()) << "round " << round;
        EXPECT_EQ(machine ? *machine : *user, quoted);

        SendMessageW(form->Check3(), BM_CLICK, 0, 0);
        EXPECT_FALSE(Ticked());
        EXPECT_EQ(Stored(L"Windows Startup"), L"Off");
        EXPECT_FALSE(RunEntryAnywhere()) << "round " << round;
    }
    // The next start shows the entry.
    SendMessageW(form->Check3(), BM_CLICK, 0, 0);
    Start();
    EXPECT_TRUE(Ticked());
}

TEST_F(Form1Settings, StoredHoursOutsideTheListLeavesThePickerEmptyAndIsReportedAtLine152) {
    Store(L"Hours", L"99");
    Store(L"Minutes", L"07");
    DialogWatcher watcher;
    Start();
    const auto boxes = watcher.Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, L"Application Error");
    EXPECT_NE(boxes[0].text.find(L"Form1.Form_Load at line 152"), std::wstring::npos)
        << std::string(boxes[0].text.begin(), boxes[0].text.end());
    EXPECT_EQ(SendMessageW(form->cboHrs(), CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(TextOf(form->cboHrs()), L"");
    // The load went on with the next steps; the stored text is not repaired.
    EXPECT_EQ(PickerText(form->cboMins()), L"07");
    EXPECT_EQ(PickerText(form->cboSecs()), L"00");
    EXPECT_EQ(program->Form3().Text1Text(), core::ProgramFolder() + L"\\alarm.wav");
    EXPECT_FALSE(form->Loading);
    EXPECT_EQ(Stored(L"Hours"), L"99");
}

// The hand pointer over the real main window, driven by the real mouse. The cursor file is copied
// beside the test program only while the window loads.
TEST_F(Form1Settings, HandOverAButtonStaysOverALabelAndAPickerAndTheSurfaceGivesTheArrow) {
    const std::wstring hand = ModuleFolder() + L"\\HAND-M.CUR";
    const std::wstring source = ModuleFolder() + L"\\..\\HAND-M.CUR";
    const bool copied = CopyFileW(source.c_str(), hand.c_str(), TRUE) != FALSE;
    Start();
    if (copied) DeleteFileW(hand.c_str());
    ASSERT_TRUE(copied) << "no HAND-M.CUR beside the program in build/windows";
    ASSERT_TRUE(form->Pointer.HasCustom());
    SetWindowPos(form->hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(form->hwnd());
    auto& pointer = form->Pointer;
    const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);

    ASSERT_TRUE(testsupport::MoveMouseTo(testsupport::CentreOf(form->PushButton3.hwnd()),
                                         [&] { return pointer.Current() == Shape::Custom; }));
    EXPECT_EQ(GetCursor(), pointer.Custom());

    // Labels and pickers leave the window's pointer as it is.
    ASSERT_TRUE(testsupport::MoveMouseOnto(testsupport::CentreOf(GetDlgItem(form->hwnd(), id::Label1_0))));
    EXPECT_EQ(pointer.Current(), Shape::Custom);
    EXPECT_EQ(GetCursor(), pointer.Custom());
    ASSERT_TRUE(testsupport::MoveMouseOnto(testsupport::CentreOf(form->cboMins())));
    EXPECT_EQ(pointer.Current(), Shape::Custom);
    ASSERT_TRUE(testsupport::MoveMouseOnto(testsupport::CentreOf(form->lblTimer())));
    EXPECT_EQ(pointer.Current(), Shape::Custom);

    // The surface between the Settings frame and the Start button gives the arrow back at once.
    POINT surface{40, 83};
    ClientToScreen(form->hwnd(), &surface);
    ASSERT_EQ(WindowFromPoint(surface), form->hwnd());
    EXPECT_TRUE(testsupport::MoveMouseTo(surface, [&] { return pointer.Current() == Shape::Default; }));
    EXPECT_EQ(GetCursor(), arrow);

    // A frame does the same.
    ASSERT_TRUE(testsupport::MoveMouseTo(testsupport::CentreOf(form->PushButton1.hwnd()),
                                         [&] { return pointer.Current() == Shape::Custom; }));
    POINT frame{400, 272};  // inside "Startup Options", right of the check box
    ClientToScreen(form->hwnd(), &frame);
    EXPECT_TRUE(testsupport::MoveMouseTo(frame, [&] { return pointer.Current() == Shape::Default; }));
    EXPECT_EQ(GetCursor(), arrow);
}

}  // namespace
