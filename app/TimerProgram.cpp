// The program's window and its timers: the start, new timers cascaded from the others, timers brought
// back from their records, the close of a timer and the end of the program, Alarm Options for whichever
// window opened it, and the messages the shell broadcasts.
#include "app/TimerProgram.h"

#include "alarm/Form2.h"
#include "alarm/Form3.h"
#include "app/Form1.h"
#include "core/AppTitle.h"
#include "core/Files.h"
#include "core/Program.h"
#include "core/Settings.h"
#include "resources/Layouts.h"
#include "sound/SoundManager.h"
#include "ui/Controls.h"
#include "ui/MessageFilter.h"
#include "ui/Messages.h"

#include <algorithm>

namespace app {
namespace {

// Where a new window goes: down and right of `from` by a caption's height, on the first free place,
// within from's work area.
POINT CascadedPosition(HWND from, const std::vector<Form1*>& timers) {
    const RECT base = NormalRect(from);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromRect(&base, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& work = monitor.rcWork;
    const LONG width = base.right - base.left;
    const LONG height = base.bottom - base.top;
    const LONG step = GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYFRAME);
    POINT place{base.left, base.top};
    for (LONG k = 1; k <= 2 * platform::kMostTimers; ++k) {
        place = {base.left + k * step, base.top + k * step};
        if (place.x < work.left || place.y < work.top || place.x + width > work.right || place.y + height > work.bottom) {
            place = {work.left + (k % 10) * step, work.top + (k % 10) * step};
        }
        const bool taken = std::any_of(timers.begin(), timers.end(), [&](Form1* timer) {
            const RECT rect = NormalRect(timer->hwnd());
            return rect.left == place.x && rect.top == place.y;
        });
        if (!taken) break;
    }
    return place;
}

}  // namespace

TimerProgram::TimerProgram() : cSysTray1(nullptr) {
    // Deliberately mended: a repeating alarm stops once nobody has been at the keyboard or mouse for ten
    // minutes. A playing sound keeps Windows awake by itself, so an unattended laptop would ring until
    // its battery is empty. Time Expired stays up.
    AlarmAttention.onAway = [] { sound::StopAlarm(); };
    timers_.push_back(std::make_unique<Form1>(*this, kMainId));
}

TimerProgram::~TimerProgram() {
    ending_ = true;
    Keys.UnregisterAll();
    // The timers go first, while what they share is still here.
    std::vector<std::unique_ptr<Form1>> timers = std::move(timers_);
    timers.clear();
    form3_.reset();
    Destroy();
}

bool TimerProgram::Create() {
    // Hidden for good: a window of the program's own that outlives every timer window, for the tray
    // icon, later copies and the shell's broadcasts (which reach top-level windows only).
    // Its title is not the product name, which a search for the main window by its caption looks for.
    if (!Window::Create({kClassName}, WS_EX_TOOLWINDOW, WS_POPUP, kClassName, 0, 0, 0, 0, nullptr, 0)) {
        return false;
    }
    // A later copy of normal rights hands its command line over to a copy run as administrator too.
    ui::LetInFromNormalRights(hwnd(), WM_COPYDATA);
    form3_ = std::make_unique<alarm::Form3>(nullptr, AlarmBuffer, reporter);
    ACCEL keys[] = {{FVIRTKEY | FCONTROL, 'N', static_cast<WORD>(Form1::kNewTimerCommand)},
                    {FVIRTKEY | FCONTROL, 'M', static_cast<WORD>(Form1::kMiniCommand)}};
    shortcuts_.reset(CreateAcceleratorTableW(keys, 2));
    cSysTray1.Create(hwnd(), layout::form1::cSysTray1);
    cSysTray1.MouseUp = [this](std::int16_t button, std::int32_t id) { cSysTray1_MouseUp(button, id); };
    cSysTray1.MouseMove = [this](std::int32_t id) { cSysTray1_MouseMove(id); };
    cSysTray1.ShownChanged = [this] { cSysTray1_ShownChanged(); };
    return Main().Create();
}

void TimerProgram::FinishStart() {
    if (loadFinished_) return;
    loadFinished_ = true;
    core::Trap trap(L"Form1.Form_Load", reporter);
    // Touching the path box loads the Alarm Options window (hidden) first; its own load has put the
    // stored path, or nothing, into the box already. A window of its own, it waits until the main
    // window is up.
    trap.Step(158, [&] { form3_->SetText1Text(core::ReadSetting(L"Text2", core::ProgramFolder() + core::kAlarmFile)); });
    // On a scaled taskbar the icon goes to the shell drawn at the tray's own size.
    OnTrayScaleChanged();
    cSysTray1.HoldAdd(false);
    KeepHiddenTimersReachable();
    RegisterGlobalKeys();
}

void TimerProgram::KeepHiddenTimersReachable() {
    // Without its icon nothing would bring a window back: until the shell takes the icon (at logon the
    // taskbar may not be ready), timers that came back hidden wait minimised on the taskbar, as when the
    // shell loses the icon, and go behind it once it is in. A first add the shell refused is no change
    // of the icon's state, so the control raises nothing for it.
    if (!cSysTray1.Shown()) cSysTray1_ShownChanged();
}

Form1& TimerProgram::Main() {
    if (Form1* main = Find(kMainId)) return *main;
    // The main timer was closed while others went on: it opens again, as a start opens it.
    auto main = std::make_unique<Form1>(*this, kMainId);
    Form1& opened = *main;
    timers_.insert(timers_.begin(), std::move(main));
    if (hwnd() && opened.Create()) {
        opened.Show();
        opened.SaveRecord(true);
        ShowTimersInTray();
    }
    return opened;
}

std::vector<Form1*> TimerProgram::Timers() const {
    std::vector<Form1*> timers;
    for (const auto& timer : timers_) {
        if (timer->hwnd()) timers.push_back(timer.get());
    }
    return timers;
}

Form1* TimerProgram::Find(const std::wstring& id) const {
    for (const auto& timer : timers_) {
        if (timer->Id() == id) return timer.get();
    }
    return nullptr;
}

Form1* TimerProgram::NewTimer(const platform::TimerRecord* record) {
    // Ids taken by records of a newer version, which this one leaves alone, stay taken.
    std::vector<std::wstring> used = Records.Ids();
    for (const auto& timer : timers_) used.push_back(timer->Id());
    std::optional<std::wstring> id;
    if (timers_.size() < static_cast<std::size_t>(platform::kMostTimers)) id = platform::FreeTimerId(used);
    if (!id) {
        core::ShowUserMessage(L"Corvalin Timer Software runs at most 20 timers at once. Close a timer to "
                              L"open another.");
        return nullptr;
    }
    return OpenTimer(*id, record, UtcNow());
}

Form1* TimerProgram::OpenTimer(const std::wstring& id, const platform::TimerRecord* record, std::int64_t nowUtc) {
    const std::vector<Form1*> timers = Timers();
    auto timer = std::make_unique<Form1>(*this, id);
    if (!timer->Create()) return nullptr;
    if (!timers.empty()) {
        const POINT place = CascadedPosition(timers.back()->hwnd(), timers);
        SetWindowPos(timer->hwnd(), nullptr, place.x, place.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    Form1& opened = *timer;
    timers_.push_back(std::move(timer));
    if (record) opened.ApplyRecord(*record, nowUtc);
    if (!opened.HiddenInTray) opened.Show();
    opened.SaveRecord(true);
    ShowTimersInTray();
    return &opened;
}

bool TimerProgram::RestoreTimers() {
    const std::int64_t now = UtcNow();
    const std::vector<platform::StoredTimer> stored = Records.LoadAll(now);
    for (const platform::StoredTimer& timer : stored) {
        if (timer.id == kMainId) {
            Main().ApplyRecord(timer.record, now);
        } else if (timers_.size() < static_cast<std::size_t>(platform::kMostTimers)) {
            OpenTimer(timer.id, &timer.record, now);
        }
    }
    const std::vector<Form1*> timers = Timers();
    if (std::any_of(timers.begin(), timers.end(), [](Form1* timer) { return timer->EndedWhileAway(); })) {
        TellEndedWhileAway();
    }
    ShowTimersInTray();
    return !stored.empty();
}

void TimerProgram::TellEndedWhileAway() {
    endedWhileAwayDue_ = true;
    PostMessageW(hwnd(), ui::kEndedWhileAwayMessage, 0, 0);
}

void TimerProgram::TimerClosed(Form1& timer) {
    Records.Remove(timer.Id());
    timer.Stop();
    if (Timers().size() <= 1) {
        EndProgram();
        return;
    }
    ShowWindow(timer.hwnd(), SW_HIDE);
    // Alarm Options no longer returns to a window that is gone.
    if (AlarmOptionsReturnsTo() == timer.hwnd()) form3_->SetMainWindow(nullptr);
    // The object goes once its own handler has returned.
    PostMessageW(hwnd(), ui::kTimerClosedMessage, static_cast<WPARAM>(std::stoul(timer.Id())), 0);
}

void TimerProgram::OnTimerClosed(const std::wstring& id) {
    const auto found = std::find_if(timers_.begin(), timers_.end(), [&](const auto& timer) { return timer->Id() == id; });
    if (found == timers_.end()) return;
    const std::unique_ptr<Form1> closed = std::move(*found);
    timers_.erase(found);
    CountingChanged();
    MarkTrayStale();
    ShowTimersInTray();
}

void TimerProgram::EndProgram(bool quietly) {
    if (ending_) return;
    ending_ = true;
    const core::Trap::Reporter usual = reporter;
    if (quietly) reporter = [](const std::wstring&) {};
    // Nothing is asked and no record goes: the timers come back at the next start.
    for (const auto& timer : timers_) timer->Stop();
    core::Trap trap(L"Form1.Form_QueryUnload", reporter);
    trap.Step(100, [] { sound::Shutdown(); });
    trap.Step(102, [&] { cSysTray1.InTray(false); });
    Keys.UnregisterAll();
    trap.Step(104, [] { ui::DoEvents(); });
    trap.Step(106, [] { ui::DoEvents(); });
    // The unload ends the program at once: no further handler of any window runs.
    if (onEnd) onEnd();
    for (const auto& timer : timers_) timer->Destroy();
    reporter = usual;
}

bool TimerProgram::Held() const {
    if (AlarmBuffer.ringing > 0) return true;
    const std::vector<Form1*> timers = Timers();
    return std::any_of(timers.begin(), timers.end(), [](Form1* timer) { return !IsWindowEnabled(timer->hwnd()); });
}

void TimerProgram::HoldEnded() {
    if (!handedOver_.empty()) PostMessageW(hwnd(), ui::kHandOverMessage, 0, 0);
}

void TimerProgram::CountingChanged() {
    const std::vector<Form1*> timers = Timers();
    const auto counting = std::count_if(timers.begin(), timers.end(), [](Form1* timer) {
        return timer->Timer1.Enabled() && timer->Timer1.Interval() > 0;
    });
    AlarmAttention.KeepCounting(counting > 0);
    // One timer hidden wakes on its own display's seconds; several wake together.
    for (Form1* timer : timers) timer->Timer1.ShareSeconds(counting > 1);
}

bool TimerProgram::AlarmOptionsShown() const { return form3_ && form3_->IsLoaded() && IsWindowVisible(form3_->hwnd()); }

HWND TimerProgram::AlarmOptionsReturnsTo() const { return form3_ ? form3_->MainWindow() : nullptr; }

void TimerProgram::OpenAlarmOptions(Form1& from) {
    // Opened again from another window: the one it was opened from first comes back, so that no window
    // is left hidden outside the tray.
    const HWND earlier = AlarmOptionsReturnsTo();
    if (AlarmOptionsShown() && earlier && earlier != from.hwnd() && IsWindow(earlier) && !IsWindowVisible(earlier)) {
        for (Form1* timer : Timers()) {
            if (timer->hwnd() == earlier && !timer->HiddenInTray) ShowWindow(earlier, SW_SHOWNA);
        }
    }
    const HWND window = from.hwnd();
    form3_->SetMainWindow(window);
    form3_->onMainShown = [this, window] {
        for (Form1* timer : Timers()) {
            if (timer->hwnd() == window) timer->HiddenInTray = false;
        }
    };
    form3_->Show();
}

void TimerProgram::BackToAlarmOptions(Form1& answered, bool wasShown) {
    // Closed from the tray meanwhile, or by the end of the program: nothing to come back to.
    if (!AlarmOptionsShown()) return;
    // The keyboard goes along only when the answered alarm handed it to the timer's window. A message
    // box or file dialog of Alarm Options, when one was up, comes along in front of it.
    if (GetForegroundWindow() == answered.hwnd()) {
        SetForegroundWindow(GetLastActivePopup(form3_->hwnd()));
    } else {
        SetWindowPos(form3_->hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    // Only the window Alarm Options returns to goes back behind it; any other stays where the alarm
    // brought it.
    if (!wasShown && AlarmOptionsReturnsTo() == answered.hwnd()) ShowWindow(answered.hwnd(), SW_HIDE);
}

void TimerProgram::BringBackEveryWindow() {
    // Every window behind the icon comes back, the main window last, in front; every Time Expired up
    // comes in front of them.
    for (const std::wstring& id : IdsLabelled(L"")) {
        Form1* timer = Find(id);
        if (timer && timer->HiddenInTray && !timer->IsMain()) timer->BringToFront();
    }
    if (Form1* main = Find(kMainId); main && main->hwnd()) main->BringToFront();
    for (const std::wstring& id : IdsLabelled(L"")) {
        if (Form1* timer = Find(id)) timer->ComeBackFromTray();
    }
}

std::vector<std::wstring> TimerProgram::IdsLabelled(const std::wstring& label) const {
    std::vector<std::wstring> ids;
    for (Form1* timer : Timers()) {
        if (label.empty() || timer->Label() == label) ids.push_back(timer->Id());
    }
    return ids;
}

LRESULT TimerProgram::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // The shell announces a restart to top-level windows only; the tray control adds its icon again.
    if (message == cSysTray1.TaskbarCreatedMessage() && message != 0) {
        cSysTray1.ShellRestarted();
        // The new taskbar may sit on another monitor, or the restart followed a change of scale.
        OnTrayScaleChanged();
        return 0;
    }
    switch (message) {
    case WM_COPYDATA:
        return OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case ui::kHandOverMessage:
        OnHandOver();
        return 0;
    case WM_HOTKEY:
        OnGlobalKey(wParam);
        return 0;
    case ui::kTimerClosedMessage:
        OnTimerClosed(std::to_wstring(wParam));
        return 0;
    case ui::kEndedWhileAwayMessage: {
        // Only once the shell holds the icon: a balloon sent before is lost (at logon, the usual case
        // after an update restart). cSysTray1_ShownChanged sends it then.
        if (!endedWhileAwayDue_ || !cSysTray1.Shown()) return 0;
        endedWhileAwayDue_ = false;
        std::wstring text;
        const std::vector<Form1*> timers = Timers();
        for (Form1* timer : timers) {
            const std::wstring endedAt = timer->TakeEndedAt();
            if (endedAt.empty()) continue;
            const std::wstring name = timer->Label().empty() && timers.size() == 1 ? L"The timer" : timer->NameIn(timers);
            const std::wstring line = name + L" ended at " + endedAt + L".";
            // The balloon holds 255 characters: a line that does not fit goes.
            if (text.size() + line.size() + 2 <= 255) text += (text.empty() ? L"" : L"\r\n") + line;
        }
        if (!text.empty()) cSysTray1.ShowBalloon(text, core::kProductName, 0, false);
        return 0;
    }
    case WM_CLOSE:
        // The installer's request, or a task list's: the program ends with every timer kept.
        EndProgram();
        return 0;
    case WM_ENDSESSION:
        if (wParam != FALSE) EndProgram(true);
        return 0;
    case WM_DISPLAYCHANGE:
        OnTrayScaleChanged();
        break;
    case WM_SETTINGCHANGE:
        // The zone's rules may have changed (the system sends it then, as it does for much else).
        zoneRules_.Forget();
        // The work area changes when the taskbar moves, to another monitor too.
        if (wParam == SPI_SETWORKAREA) OnTrayScaleChanged();
        break;
    case WM_TIMECHANGE:
        zoneRules_.Forget();
        break;
    default:
        break;
    }
    return Window::HandleMessage(message, wParam, lParam);
}

}  // namespace app
