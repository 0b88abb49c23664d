// Main window: creation from its layout table, the load sequence, and the window's own messages.
#include "app/Form1.h"

#include "alarm/Form2.h"
#include "alarm/Form3.h"
#include "app/CountdownDisplay.h"
#include "app/Skin.h"
#include "core/AppTitle.h"
#include "core/Files.h"
#include "core/Program.h"
#include "core/Settings.h"
#include "core/TextFormat.h"
#include "platform/mStartUp.h"
#include "resources/Layouts.h"
#include "sound/SoundManager.h"
#include "ui/Backdrop.h"
#include "ui/Dpi.h"
#include "ui/MessageFilter.h"

#include <utility>

namespace app {
namespace {

DWORD const kForm1Style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

BOOL CALLBACK FindEnabledOwned(HWND hwnd, LPARAM search) {
    auto* found = reinterpret_cast<std::pair<HWND, HWND>*>(search);
    if (GetWindow(hwnd, GW_OWNER) != found->first || !IsWindowVisible(hwnd) || !IsWindowEnabled(hwnd)) return TRUE;
    found->second = hwnd;
    return FALSE;
}

// The visible, enabled window that `owner` owns: the modal one while owner is disabled. This is what
// GW_ENABLEDPOPUP documents, which Wine does not answer.
HWND EnabledOwnedWindow(HWND owner) {
    std::pair<HWND, HWND> search{owner, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), &FindEnabledOwned, reinterpret_cast<LPARAM>(&search));
    return search.second;
}

}  // namespace

Form1::Form1()
    : Timer1([this] {
          Timer1_Tick();
          // A catch-up after a sleep replays every tick of it: the shell hears only of the last.
          if (!Timer1.CatchingUp()) ShowCountdownInTray();
      }) {
    Timer1.onCaughtUp = [this] { ShowCountdownInTray(); };
    // The timer runs exactly while a countdown runs: Start and resume start it, Pause, Reset, the
    // expiring tick and the close stop it.
    Timer1.onRunningChanged = [this](bool) { first_->CountingChanged(); };
    // Deliberately mended: a repeating alarm stops once nobody has been at the keyboard or mouse for ten
    // minutes. A playing sound keeps Windows awake by itself, so an unattended laptop would ring until
    // its battery is empty. Time Expired stays up.
    AlarmAttention.onAway = [] { sound::StopAlarm(); };
}

Form1::~Form1() {
    // The timer must not tick into a half-destroyed window; stopping it gives the awake hold back.
    Timer1.SetEnabled(false);
    timeExpired_.reset();
    // The other timers go first, while what they share is still here.
    std::vector<std::unique_ptr<Form1>> others = std::move(others_);
    others.clear();
    form3_.reset();
    Destroy();
}

bool Form1::Create() {
    if (!CreateCentred(kClassName, 0, kForm1Style, L"Form1", layout::kForm1.clientWidth,
                       layout::kForm1.clientHeight, nullptr)) {
        return false;
    }
    const bool first = first_ == this;
    if (first) {
        // A later copy of normal rights hands its command line over to a copy run as administrator too.
        ui::LetInFromNormalRights(hwnd(), WM_COPYDATA);
        form3_ = std::make_unique<alarm::Form3>(hwnd(), AlarmSound, reporter);
        MakeAlarmOptionsReturnHere();
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
    if (!first) {
        LoadOtherTimer();
        return true;
    }
    cSysTray1.Create(hwnd(), layout::form1::cSysTray1);
    cSysTray1.MouseUp = [this](std::int16_t button, std::int32_t id) { cSysTray1_MouseUp(button, id); };
    cSysTray1.MouseMove = [this](std::int32_t id) { cSysTray1_MouseMove(id); };
    cSysTray1.ShownChanged = [this] { cSysTray1_ShownChanged(); };
    Form_Load();
    return true;
}

void Form1::Show(int showCommand) {
    ShowWindow(hwnd(), showCommand);
    UpdateWindow(hwnd());
    FinishLoad();
}

void Form1::FinishLoad() {
    if (first_ != this || loadFinished_) return;
    loadFinished_ = true;
    core::Trap trap(L"Form1.Form_Load", reporter);
    // Touching the path box loads the Alarm Options window (hidden) first; its own load has put the
    // stored path, or nothing, into the box already. A window of its own, it waits until the main
    // window is up.
    trap.Step(158, [&] { form3_->SetText1Text(core::ReadSetting(L"Text2", core::ProgramFolder() + core::kAlarmFile)); });
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
    core::Trap trap(L"Form1.Form_Load", reporter);
    LoadLook(trap);
    trap.Step(128, [&] {
        // The window's class carries the application icon (ui::Window::CreateCentred).
        SetWindowTextW(hwnd(), core::kProductName);
        core::SetAppTitle();
    });
    trap.Step(130, [&] { cSysTray1.TrayTip(core::kProductName); });
    // From here until the window closes the icon stays in the tray, hidden window or not.
    trap.Step(132, [&] { cSysTray1.InTray(true); });
    FillPickers(trap);
    trap.Step(152, [&] { SetPickerText(cboHrs_, core::ReadSetting(L"Hours", L"00")); });
    trap.Step(154, [&] { SetPickerText(cboMins_, core::ReadSetting(L"Minutes", L"00")); });
    trap.Step(156, [&] { SetPickerText(cboSecs_, core::ReadSetting(L"Seconds", L"00")); });
    // Line 158, the alarm path, runs once the window is up (FinishLoad).
    // The box shows whether Windows will start the program, not what was last chosen: an uninstall, the
    // user or another tool may have removed the entry since, or an administrator added one.
    trap.Step(160, [&] { SetCheck3(platform::StartupEntryIn(*StartupKeys).has_value()); });
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

void Form1::Picker_Change(HWND picker) {
    // The settings hold the first timer's picks; the others' are in their records.
    if (first_ != this) {
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
    platform::RunKeys& keys = *first_->StartupKeys;
    if (ticked) {
        core::WriteSetting(L"Windows Startup", L"On");
        platform::EnableStartup(keys);
    } else {
        core::WriteSetting(L"Windows Startup", L"Off");
        platform::DisableStartup(keys);
    }
    // Whatever the registry took, every timer's box shows what the next log-on will do.
    const auto entry = platform::StartupEntryIn(keys);
    for (Form1* timer : Timers()) SendMessageW(timer->check3_, BM_SETCHECK, entry ? BST_CHECKED : BST_UNCHECKED, 0);
    // Only an administrator may delete a machine-wide entry, such as a copy run as administrator writes.
    if (!ticked && entry) {
        core::ShowUserMessage(
            L"Corvalin Timer Software still starts with Windows: its start-up entry was made for every user "
            L"of this computer, and only an administrator can remove it.\r\n\r\n"
            L"To remove it, start Corvalin Timer Software once as administrator (right-click it, then "
            L"\"Run as administrator\") and clear this box there.");
    }
}

void Form1::MakeAlarmOptionsReturnHere() {
    alarm::Form3& options = *first_->form3_;
    options.SetMainWindow(hwnd());
    options.onMainShown = [this] { HiddenInTray = false; };
}

void Form1::PushButton3_Click() {
    core::Trap trap(L"Form1.PushButton3_Click", reporter);
    trap.Step(100, [&] {
        // Alarm Options brings back the window it was opened from.
        MakeAlarmOptionsReturnHere();
        first_->form3_->Show();
    });
    trap.Step(102, [&] { ShowWindow(hwnd(), SW_HIDE); });
}

void Form1::Form_QueryUnload() {
    core::Trap trap(L"Form1.Form_QueryUnload", reporter);
    trap.Step(100, [] { sound::Shutdown(); });
    trap.Step(102, [&] { cSysTray1.InTray(false); });
    trap.Step(104, [] { ui::DoEvents(); });
    trap.Step(106, [] { ui::DoEvents(); });
}

void Form1::OnClose(bool ask) {
    if (closing_) return;
    if (ask) {
        // A WM_CLOSE from elsewhere (a task list) can come while the question is up.
        if (askingToClose_) return;
        askingToClose_ = true;
        const bool letGo = UserLetsCountdownGo();
        askingToClose_ = false;
        // The session may have ended while the question was up, and closed the window already.
        if (!letGo || closing_) return;
    }
    // The user closes this timer; the last one's close ends the program. Any other close ends the
    // program with every timer kept for the next start.
    if (ask) {
        first_->TimerClosed(this);
    } else {
        first_->EndProgram();
    }
}

void Form1::OnDestroyed() {
    // Destroyed without the close (by the system, or the object going away): no countdown runs on
    // with nothing to show it, nor holds the computer awake.
    Timer1.SetEnabled(false);
}

bool Form1::UserLetsCountdownGo() {
    const bool running = countdown_.State() == CountdownState::Running;
    if (!running && !countdown_.Ticked()) return true;
    // Until its first tick a fresh countdown shows the idle text and holds its whole length.
    const auto shown = countdown_.Ticked() ? static_cast<std::int32_t>(countdown_.TicksLeft() / 10) : countdown_.SecondsLeft();
    // The countdown goes on while the question waits; when it rings the question goes, as if answered No.
    return countdownQuestions_.Ask(CloseQuestionText(!running, shown), MB_YESNO | MB_DEFBUTTON2) == IDYES;
}

void Form1::OnEndSession(bool ending) {
    // Log-off or shutdown: the close sequence, with nothing that waits for the user. A report box for a
    // failing step would hold up the end of the session, so such a failure goes unreported here.
    if (!ending) return;
    const core::Trap::Reporter usual = std::exchange(reporter, [](const std::wstring&) {});
    OnClose(false);
    reporter = usual;
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
    if (first_->cSysTray1.Shown()) HideInTray();
}

void Form1::HideInTray() {
    ShowWindow(hwnd(), SW_HIDE);
    // The window stays minimised while hidden; whatever shows it again restores it to normal size.
    HiddenInTray = true;
    // The balloon's wait pumps messages: countdown ticks, clicks and tray events run inside it, and
    // inside Start when Start minimised the window.
    first_->cSysTray1.ShowBalloon(L"has been minimized to the system tray.\r\n"
                                  L"Click on the blue 'V' icon (V for Vendrel) to bring the software back.",
                                  core::kProductName, 5, true);
}

void Form1::cSysTray1_MouseUp(std::int16_t /*button*/, std::int32_t /*id*/) {
    // Every window behind the icon comes back, the main window last, in front.
    for (Form1* timer : Timers()) {
        if (timer != this && timer->HiddenInTray) timer->BringToFront();
    }
    if (!closedAway_) BringToFront();
}

void Form1::cSysTray1_ShownChanged() {
    for (Form1* timer : Timers()) {
        if (cSysTray1.Shown()) {
            // The icon is in at last: a window still minimised goes behind it.
            if (!timer->HiddenInTray && IsIconic(timer->hwnd()) && IsWindowVisible(timer->hwnd())) timer->HideInTray();
        } else if (timer->HiddenInTray) {
            // The shell lost the icon and refuses it back: the window comes back minimised on the
            // taskbar, leaving the keyboard where it is. The flag goes first, so that this show's own
            // resize does not hide it again.
            timer->HiddenInTray = false;
            ShowWindow(timer->hwnd(), SW_SHOWMINNOACTIVE);
        }
    }
}

void Form1::BringToFront() {
    ui::ShowNormal(hwnd());
    if (IsWindowEnabled(hwnd())) {
        SetForegroundWindow(hwnd());
        SetFocus(hwnd());
    } else {
        // A modal window of ours is up (Time Expired, a message box) and no other window takes input:
        // the click only brings the windows to the front, an open Alarm Options window too, and the
        // modal one on top of them.
        const alarm::Form3& options = *first_->form3_;
        if (options.IsLoaded() && IsWindowVisible(options.hwnd())) {
            SetWindowPos(options.hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
        // An alarm that came up while another program had the keyboard was never active, so it is not
        // the last active popup: the enabled window our disabled one owns is the modal one.
        HWND modal = GetLastActivePopup(hwnd());
        if (!IsWindowEnabled(modal)) modal = EnabledOwnedWindow(hwnd());
        if (modal) SetForegroundWindow(modal);
    }
    HiddenInTray = false;
}

LRESULT Form1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (ui::HandleCommonFormMessage(hwnd(), Pointer, message, wParam, lParam, result)) return result;
    if (first_ == this && HandleCommandLineMessage(message, wParam, lParam, result)) return result;
    if (HandleTimersMessage(message, wParam, lParam)) return 0;
    if (message == TaskbarButton.ButtonCreatedMessage() && message != 0) {
        TaskbarButton.ButtonCreated();
        ShowCountdownOnTaskbar(CountdownStateNow());
        return 0;
    }
    // The shell announces a restart to top-level windows only; the tray control adds its icon again.
    if (message == cSysTray1.TaskbarCreatedMessage() && message != 0) {
        cSysTray1.ShellRestarted();
        // The new taskbar may sit on another monitor, or the restart followed a change of scale.
        OnTrayScaleChanged();
        return 0;
    }
    switch (message) {
    case kTimeExpiredAnswered:
        OnTimeExpiredAnswered(wParam);
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
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
        // running, nor the close question; the timers are kept as they stand.
        SaveRecord(true);
        return TRUE;
    case WM_DESTROY:
        ui::SetShortcuts(hwnd(), nullptr);
        break;
    case WM_ENDSESSION:
        OnEndSession(wParam != FALSE);
        return 0;
    case WM_WINDOWPOSCHANGED:
        // Every show, hide, minimise and restore passes here, whoever makes it.
        OnVisibilityChanged();
        break;  // the default handling still sends WM_SIZE and WM_MOVE
    case WM_ENABLE:
        // A modal window of ours comes or goes, Time Expired among them, which the taskbar button shows
        // even when the window was on the screen already.
        ShowCountdownOnTaskbar(CountdownStateNow());
        break;
    case WM_POWERBROADCAST:
        OnPowerBroadcast(wParam);
        return TRUE;
    case WM_DPICHANGED:
        ui::ApplyDpiChange(hwnd(), layout::kForm1, layout::kForm1Controls, fonts_, wParam, lParam);
        OnTrayScaleChanged();
        return 0;
    case WM_DISPLAYCHANGE:
        OnTrayScaleChanged();
        break;
    case WM_SETTINGCHANGE:
        // The work area changes when the taskbar moves, to another monitor too.
        if (wParam == SPI_SETWORKAREA) OnTrayScaleChanged();
        break;
    default:
        break;
    }
    return Window::HandleMessage(message, wParam, lParam);
}

}  // namespace app
