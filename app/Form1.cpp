// A timer's window: creation from its layout table, the load, the pickers and the start-up box, the
// close, and the window's own messages.
#include "app/Form1.h"

#include "alarm/Form2.h"
#include "alarm/Form3.h"
#include "app/CountdownDisplay.h"
#include "app/MiniCountdown.h"
#include "app/Skin.h"
#include "app/TimerProgram.h"
#include "core/AppTitle.h"
#include "core/Files.h"
#include "core/Settings.h"
#include "core/TextFormat.h"
#include "resources/Layouts.h"
#include "ui/Backdrop.h"
#include "ui/Dpi.h"
#include "ui/MessageFilter.h"
#include "ui/Messages.h"

#include <utility>

namespace app {
namespace {

DWORD const kForm1Style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

}  // namespace

Form1::Form1(TimerProgram& program, std::wstring id)
    : Timer1([this] {
          Timer1_Tick();
          // A catch-up after a sleep replays every tick of it: the shell hears only of the last.
          if (!Timer1.CatchingUp()) ShowCountdownInTray();
      }),
      program_(program),
      id_(std::move(id)) {
    Timer1.onCaughtUp = [this] { ShowCountdownInTray(); };
    // The timer runs exactly while a countdown runs: Start and resume start it, Pause, Reset, the
    // expiring tick and the close stop it.
    Timer1.onRunningChanged = [this](bool) { program_.CountingChanged(); };
}

Form1::~Form1() {
    // The timer must not tick into a half-destroyed window; stopping it gives the awake hold back.
    Timer1.SetEnabled(false);
    Stop();
    timeExpired_.reset();
    Destroy();
}

bool Form1::IsMain() const { return id_ == TimerProgram::kMainId; }

bool Form1::Create() {
    if (!CreateCentred(kClassName, 0, kForm1Style, L"Form1", layout::kForm1.clientWidth,
                       layout::kForm1.clientHeight, nullptr)) {
        return false;
    }
    fonts_ = ui::FontSet(ui::DpiOf(hwnd()));
    ui::CreateControls(hwnd(), layout::kForm1Controls, fonts_,
                       {{layout::form1::PushButton1, &PushButton1},
                        {layout::form1::PushButton2, &PushButton2},
                        {layout::form1::PushButton3, &PushButton3}});
    cboHrs_ = GetDlgItem(hwnd(), layout::form1::cboHrs);
    cboMins_ = GetDlgItem(hwnd(), layout::form1::cboMins);
    cboSecs_ = GetDlgItem(hwnd(), layout::form1::cboSecs);
    lblTimer_ = GetDlgItem(hwnd(), layout::form1::lblTimer);
    check3_ = GetDlgItem(hwnd(), layout::form1::Check3);

    PushButton1.onClick = [this] {
        PushButton1_Click();
        ShowCountdownInTray();
    };
    PushButton2.onClick = [this] {
        PushButton2_Click();
        ShowCountdownInTray();
    };
    PushButton3.onClick = [this] { PushButton3_Click(); };
    for (ui::PushButton* button : {&PushButton1, &PushButton2, &PushButton3}) {
        button->onMouseMove = [this] { Pointer.OnButtonMouseMove(); };
    }
    TaskbarButton.Attach(hwnd());
    // The shell announces the taskbar button to a copy run as administrator too.
    ui::LetInFromNormalRights(hwnd(), TaskbarButton.ButtonCreatedMessage());
    AddTimerCommands();
    if (IsMain()) {
        Form_Load();
    } else {
        LoadOtherTimer();
    }
    return true;
}

void Form1::Show(int showCommand) {
    ShowWindow(hwnd(), showCommand);
    UpdateWindow(hwnd());
    // The main window up, the rest of the start follows (once).
    if (IsMain()) program_.FinishStart();
}

void Form1::FillPickers(core::Trap& trap) {
    // Each list is a loop: its head, the step that adds the item, and its end have lines of their own.
    // The list redraws and sets its scroll bar once, after its last item, instead of at every item.
    const auto fill = [&](HWND picker, int last, int headLine) {
        SendMessageW(picker, WM_SETREDRAW, FALSE, 0);
        const auto items = static_cast<WPARAM>(last + 1);
        SendMessageW(picker, CB_INITSTORAGE, items, static_cast<LPARAM>(items * 3 * sizeof(wchar_t)));
        for (int i = 0; i <= last; ++i) {
            trap.Line(headLine);
            trap.Step(headLine + 2, [&] {
                SendMessageW(picker, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(core::ZeroPad(i, 2).c_str()));
            });
            trap.Line(headLine + 4);
        }
        SendMessageW(picker, WM_SETREDRAW, TRUE, 0);
    };
    fill(cboHrs_, 23, 134);
    fill(cboMins_, 59, 140);
    fill(cboSecs_, 59, 146);
}

void Form1::LoadLook(core::Trap& trap) {
    trap.Step(100, [&] { Loading = true; });
    trap.Step(102, [&] { ApplySkin(hwnd()); });
    if (trap.Test(106, [] { return core::FileExists(core::ProgramFolder() + core::kHandPointerFile); })) {
        trap.Step(108, [&] { Pointer.LoadCustom(core::ProgramFolder() + core::kHandPointerFile); });
    }
}

void Form1::Form_Load() {
    core::Trap trap(L"Form1.Form_Load", program_.reporter);
    LoadLook(trap);
    trap.Step(128, [&] {
        // The window's class carries the application icon (ui::Window::CreateCentred).
        SetWindowTextW(hwnd(), core::kProductName);
        core::SetAppTitle();
    });
    trap.Step(130, [&] { program_.cSysTray1.TrayTip(core::kProductName); });
    // From here until the program ends the icon stays in the tray, hidden window or not.
    trap.Step(132, [&] { program_.cSysTray1.InTray(true); });
    FillPickers(trap);
    trap.Step(152, [&] { SetPickerText(cboHrs_, core::ReadSetting(L"Hours", L"00")); });
    trap.Step(154, [&] { SetPickerText(cboMins_, core::ReadSetting(L"Minutes", L"00")); });
    trap.Step(156, [&] { SetPickerText(cboSecs_, core::ReadSetting(L"Seconds", L"00")); });
    // Line 158, the alarm path, runs once the window is up (TimerProgram::FinishStart).
    // The box shows whether Windows will start the program, not what was last chosen: an uninstall, the
    // user or another tool may have removed the entry since, or an administrator added one.
    trap.Step(160, [&] { SetCheck3(platform::StartupEntryIn(*program_.StartupKeys).has_value()); });
    trap.Step(162, [&] { Loading = false; });
}

void Form1::LoadOtherTimer() {
    core::Trap trap(L"Form1.Form_Load", program_.reporter);
    LoadLook(trap);
    trap.Step(128, [&] { ShowCaption(); });
    FillPickers(trap);
    trap.Step(152, [&] {
        for (HWND picker : {cboHrs_, cboMins_, cboSecs_}) SendMessageW(picker, CB_SETCURSEL, 0, 0);
    });
    // One start-up setting for the program: every window's box shows it.
    trap.Step(160, [&] { ShowStartupEntry(platform::StartupEntryIn(*program_.StartupKeys).has_value()); });
    trap.Step(162, [&] { Loading = false; });
}

std::wstring Form1::PickerText(HWND picker) {
    const LRESULT index = SendMessageW(picker, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) return L"";
    const LRESULT length = SendMessageW(picker, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR) return L"";
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(picker, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(wcslen(text.c_str()));
    return text;
}

void Form1::SetPickerText(HWND picker, const std::wstring& text) {
    // A drop-down list holds only its own items: text that matches none leaves the picker empty and
    // is refused, as setting the text of such a list is.
    const LRESULT index = SendMessageW(picker, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageW(picker, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    if (index == CB_ERR) throw core::HandlerError(L"'Text' property is read-only");
    // Selecting an item is a click in the list.
    Picker_Change(picker);
}

void Form1::SetCheck3(bool ticked) {
    const bool was = SendMessageW(check3_, BM_GETCHECK, 0, 0) == BST_CHECKED;
    SendMessageW(check3_, BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED, 0);
    if (was != ticked) Check3_Click();
}

void Form1::ShowStartupEntry(bool on) { SendMessageW(check3_, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0); }

void Form1::Picker_Change(HWND picker) {
    // The settings hold the main timer's picks; the others' are in their records.
    if (!IsMain()) {
        SaveRecord(true);
        return;
    }
    const wchar_t* key = picker == cboHrs_ ? L"Hours" : picker == cboMins_ ? L"Minutes" : L"Seconds";
    core::WriteSetting(key, PickerText(picker));
}

void Form1::Check3_Click() {
    // Restoring the box at load raises this click too: it must neither store nor register anything.
    if (Loading) return;
    const bool ticked = SendMessageW(check3_, BM_GETCHECK, 0, 0) == BST_CHECKED;
    platform::RunKeys& keys = *program_.StartupKeys;
    if (ticked) {
        core::WriteSetting(L"Windows Startup", L"On");
        platform::EnableStartup(keys);
    } else {
        core::WriteSetting(L"Windows Startup", L"Off");
        platform::DisableStartup(keys);
    }
    // Whatever the registry took, every timer's box shows what the next log-on will do.
    const auto entry = platform::StartupEntryIn(keys);
    for (Form1* timer : program_.Timers()) timer->ShowStartupEntry(entry.has_value());
    // Only an administrator may delete a machine-wide entry, such as a copy run as administrator writes.
    if (!ticked && entry) {
        core::ShowUserMessage(
            L"Corvalin Timer Software still starts with Windows: its start-up entry was made for every user "
            L"of this computer, and only an administrator can remove it.\r\n\r\n"
            L"To remove it, start Corvalin Timer Software once as administrator (right-click it, then "
            L"\"Run as administrator\") and clear this box there.");
    }
}

void Form1::PushButton3_Click() {
    core::Trap trap(L"Form1.PushButton3_Click", program_.reporter);
    // Alarm Options brings back the window it was opened from.
    trap.Step(100, [&] { program_.OpenAlarmOptions(*this); });
    trap.Step(102, [&] { ShowWindow(hwnd(), SW_HIDE); });
}

void Form1::OnClose(bool ask) {
    if (closing_ || program_.Ending()) return;
    if (!ask) {
        program_.EndProgram();
        return;
    }
    // A WM_CLOSE from elsewhere (a task list) can come while the question is up.
    if (askingToClose_) return;
    askingToClose_ = true;
    const bool letGo = UserLetsCountdownGo();
    askingToClose_ = false;
    // The session may have ended while the question was up, and closed the window already.
    if (!letGo || closing_ || program_.Ending()) return;
    // The user closes this timer; the last one's close ends the program.
    program_.TimerClosed(*this);
}

void Form1::OnDestroyed() {
    // Destroyed without the close (by the system, or the object going away): no countdown runs on
    // with nothing to show it, nor holds the computer awake.
    Timer1.SetEnabled(false);
}

bool Form1::UserLetsCountdownGo() {
    // A ringing timer has no countdown left to lose: its close is its answer.
    const CountdownState state = countdown_.State();
    if (state == CountdownState::Idle || state == CountdownState::Ringing) return true;
    const bool running = state == CountdownState::Running;
    // Until its first tick a fresh countdown shows the idle text and holds its whole length.
    const auto shown = countdown_.Ticked() ? static_cast<std::int32_t>(countdown_.TicksLeft() / 10) : countdown_.SecondsLeft();
    // With several timers the question names the one it is about.
    const std::vector<Form1*> timers = program_.Timers();
    const std::wstring name = timers.size() > 1 ? NameIn(timers) : L"";
    // The countdown goes on while the question waits; when it rings the question goes, as if answered No.
    return countdownQuestions_.Ask(CloseQuestionText(!running, shown, name), MB_YESNO | MB_DEFBUTTON2) == IDYES;
}

void Form1::OnCommand(int id, int code, HWND control) {
    switch (id) {
    case layout::form1::cboHrs:
    case layout::form1::cboMins:
    case layout::form1::cboSecs:
        // A drop-down list changes its text only by a pick in the list: both are stored at once.
        if (code == CBN_SELCHANGE) Picker_Change(control);
        break;
    case layout::form1::Check3:
        if (code == BN_CLICKED) Check3_Click();
        break;
    default:
        break;
    }
}

void Form1::OnSize(WPARAM sizeType) {
    if (sizeType != SIZE_MINIMIZED || HiddenInTray) return;
    // Hidden without its icon nothing would bring the window back: until the shell takes the icon it
    // stays minimised on the taskbar.
    if (program_.cSysTray1.Shown()) HideInTray();
}

LRESULT Form1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (ui::HandleCommonFormMessage(hwnd(), Pointer, message, wParam, lParam, result)) return result;
    if (message == TaskbarButton.ButtonCreatedMessage() && message != 0) {
        TaskbarButton.ButtonCreated();
        ShowCountdownOnTaskbar();
        return 0;
    }
    switch (message) {
    case ui::kTimeExpiredAnsweredMessage:
        OnTimeExpiredAnswered(wParam, lParam);
        return 0;
    case WM_COMMAND:
        // An item of the system menu's own submenu comes as a command under some systems.
        if (lParam == 0 && HIWORD(wParam) == 0 && OnMoreCommand(LOWORD(wParam))) return 0;
        OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_SYSCOMMAND:
        // The system menu's items, and Ctrl+N, which TranslateAcceleratorW sends as the item's command.
        if (OnSysCommand(wParam)) return 0;
        break;
    case WM_INITMENUPOPUP:
        if (HIWORD(lParam) != 0) OnInitMenu(reinterpret_cast<HMENU>(wParam));
        break;
    case WM_EXITSIZEMOVE:
        SaveRecord(true);
        break;
    case WM_SIZE:
        OnSize(wParam);
        return 0;
    case WM_CLOSE:
        // The close box, Alt+F4 and the system menu ask about a loaded countdown; the installer's
        // request does not.
        OnClose(lParam != kCloseForSetup);
        return 0;
    case WM_QUERYENDSESSION:
        // The session may end, or an update close the program to restart it: no prompt, whatever is
        // running, nor the close question; the timer is kept as it stands.
        SaveRecord(true);
        return TRUE;
    case WM_DESTROY:
        ui::SetShortcuts(hwnd(), nullptr);
        break;
    case WM_ENDSESSION:
        // Log-off or shutdown: the program ends with nothing that waits for the user.
        if (wParam != FALSE) program_.EndProgram(true);
        return 0;
    case WM_WINDOWPOSCHANGED:
        // Every show, hide, minimise and restore passes here, whoever makes it.
        OnVisibilityChanged();
        break;  // the default handling still sends WM_SIZE and WM_MOVE
    case WM_ENABLE:
        // A modal window of ours comes or goes, Time Expired among them, which the taskbar button shows
        // even when the window was on the screen already; requests that waited for it take their turn.
        ShowCountdownOnTaskbar();
        if (wParam != FALSE) program_.HoldEnded();
        break;
    case WM_POWERBROADCAST:
        // The clock counts the sleep: a countdown whose end fell in it expires and rings as soon as the
        // message loop runs. Not here: the system waits for this answer, and an expiring tick would
        // bring the alarm up inside its notification.
        if (wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND) Timer1.CatchUpSoon();
        return TRUE;
    case WM_DPICHANGED:
        ui::ApplyDpiChange(hwnd(), layout::kForm1, layout::kForm1Controls, fonts_, wParam, lParam);
        return 0;
    default:
        break;
    }
    return Window::HandleMessage(message, wParam, lParam);
}

}  // namespace app
