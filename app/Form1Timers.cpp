// Several timers in one program: the first timer's window opens the others, keeps their records in the
// registry at every change of state, and brings them back at the next start after a crash, a log-off
// or a restart for an update. Each timer has its label, its countdown and its window.
#include "app/Form1.h"

#include "alarm/Form2.h"
#include "alarm/Form3.h"
#include "core/AppTitle.h"
#include "core/TimerLabel.h"
#include "ui/Controls.h"
#include "ui/TextQuestion.h"

#include <algorithm>

namespace app {
namespace {

UINT const kTimerClosed = WM_APP + 18;
UINT const kEndedWhileAway = WM_APP + 19;

std::int32_t PickOf(HWND picker) {
    const LRESULT index = SendMessageW(picker, CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? 0 : static_cast<std::int32_t>(index);
}

// The window's place at its normal size, in screen coordinates, minimised or hidden alike: the system
// keeps it in workspace coordinates, which the taskbar on the left or top shifts.
RECT NormalRect(HWND window) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    GetWindowPlacement(window, &placement);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromRect(&placement.rcNormalPosition, MONITOR_DEFAULTTONEAREST), &monitor);
    OffsetRect(&placement.rcNormalPosition, monitor.rcWork.left - monitor.rcMonitor.left,
               monitor.rcWork.top - monitor.rcMonitor.top);
    return placement.rcNormalPosition;
}

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

Form1::Form1(Form1& first, std::wstring id) : Form1() {
    first_ = &first;
    id_ = std::move(id);
    reporter = first.reporter;
}

std::vector<Form1*> Form1::Timers() {
    std::vector<Form1*> timers;
    if (!first_->closedAway_) timers.push_back(first_);
    for (const auto& other : first_->others_) timers.push_back(other.get());
    return timers;
}

void Form1::AddTimerCommands() {
    const HMENU menu = GetSystemMenu(hwnd(), FALSE);
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, kNewTimerCommand, L"New Timer\tCtrl+N");
    AppendMenuW(menu, MF_STRING, kLabelCommand, L"Label\u2026");
    // One table for every timer window, kept by the first, which outlives them.
    if (!first_->shortcuts_) {
        ACCEL newTimer{FVIRTKEY | FCONTROL, 'N', static_cast<WORD>(kNewTimerCommand)};
        first_->shortcuts_.reset(CreateAcceleratorTableW(&newTimer, 1));
    }
    ui::SetShortcuts(hwnd(), first_->shortcuts_.get());
}

bool Form1::OnSysCommand(WPARAM command) {
    switch (command & 0xFFF0) {
    case kNewTimerCommand:
        first_->NewTimer();
        return true;
    case kLabelCommand:
        AskLabel();
        return true;
    default:
        return false;
    }
}

Form1* Form1::NewTimer(const platform::TimerRecord* record) {
    if (first_ != this) return first_->NewTimer(record);
    std::vector<std::wstring> used{id_};
    for (const auto& other : others_) used.push_back(other->id_);
    const std::optional<std::wstring> id = platform::FreeTimerId(used);
    if (!id) {
        core::ShowUserMessage(L"Corvalin Timer Software runs at most 20 timers at once. Close a timer to "
                              L"open another.");
        return nullptr;
    }
    return OpenTimer(*id, record, UtcNow());
}

Form1* Form1::OpenTimer(const std::wstring& id, const platform::TimerRecord* record, std::int64_t nowUtc) {
    const std::vector<Form1*> timers = Timers();
    auto timer = std::make_unique<Form1>(*this, id);
    if (!timer->Create()) return nullptr;
    const HWND from = timers.empty() ? hwnd() : timers.back()->hwnd();
    const POINT place = CascadedPosition(from, timers);
    SetWindowPos(timer->hwnd(), nullptr, place.x, place.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Form1& opened = *timer;
    others_.push_back(std::move(timer));
    if (record) opened.ApplyRecord(*record, nowUtc);
    if (!opened.HiddenInTray) opened.Show();
    opened.SaveRecord(true);
    ShowTimersInTray();
    return &opened;
}

void Form1::LoadOtherTimer() {
    core::Trap trap(L"Form1.Form_Load", reporter);
    LoadLook(trap);
    trap.Step(128, [&] { ShowCaption(); });
    FillPickers(trap);
    trap.Step(152, [&] {
        for (HWND picker : {cboHrs_, cboMins_, cboSecs_}) SendMessageW(picker, CB_SETCURSEL, 0, 0);
    });
    // One start-up setting for the program: every window's box shows it.
    trap.Step(160, [&] { SendMessageW(check3_, BM_SETCHECK, SendMessageW(first_->check3_, BM_GETCHECK, 0, 0), 0); });
    trap.Step(162, [&] { Loading = false; });
}

void Form1::ShowCaption() {
    const std::wstring caption = label_.empty() ? std::wstring(core::kProductName)
                                                : label_ + L" - " + core::kProductName;
    SetWindowTextW(hwnd(), caption.c_str());
}

void Form1::SetLabel(const std::wstring& label) {
    label_ = label;
    ShowCaption();
    SaveRecord();
    first_->trayStale_ = true;
    first_->ShowTimersInTray();
}

void Form1::AskLabel() {
    ui::TextQuestion question;
    question.caption = L"Label";
    question.prompt = L"Label of this timer (none when empty):";
    question.text = label_;
    // A character may take two code units.
    question.limit = 2 * core::kLongestLabel;
    question.check = [](const std::wstring& text) {
        return core::IsValidLabel(core::TrimLabel(text)) ? std::wstring() : std::wstring(core::kLabelRuleText);
    };
    if (const auto answer = ui::Ask(hwnd(), question)) SetLabel(std::wstring(core::TrimLabel(*answer)));
}

platform::TimerRecord Form1::Record() const {
    platform::TimerRecord record = saved_.value_or(platform::TimerRecord{});
    record.label = label_;
    record.hidden = HiddenInTray;
    record.state = platform::TimerState::Idle;
    record.endsUtcMs = 0;
    record.secondsLeft = 0;
    record.tenthsLeft = 0;
    switch (CountdownStateForButtons()) {
    case CountdownState::Running:
        record.state = platform::TimerState::Running;
        record.endsUtcMs = countdown_.EndsAt();
        break;
    case CountdownState::Paused:
        record.state = platform::TimerState::Paused;
        record.secondsLeft = countdown_.SecondsLeft();
        record.tenthsLeft = countdown_.TenthsLeft();
        break;
    case CountdownState::Idle:
        break;
    }
    return record;
}

void Form1::SaveRecord(bool always) {
    if (Loading || closing_ || !hwnd() || (first_ == this && closedAway_)) return;
    platform::TimerRecord record = Record();
    if (!always && saved_ && record == *saved_) return;
    // The picks and the place are read only when something changed.
    record.hours = static_cast<std::uint32_t>(PickOf(cboHrs_));
    record.minutes = static_cast<std::uint32_t>(PickOf(cboMins_));
    record.seconds = static_cast<std::uint32_t>(PickOf(cboSecs_));
    const RECT rect = NormalRect(hwnd());
    record.left = rect.left;
    record.top = rect.top;
    if (first_->Records.Write(id_, record)) saved_ = record;
}

void Form1::ApplyRecord(const platform::TimerRecord& record, std::int64_t nowUtc) {
    Loading = true;
    label_ = record.label;
    ShowCaption();
    // The first timer's picks are the stored settings; the others' are their records'.
    if (first_ != this) {
        SendMessageW(cboHrs_, CB_SETCURSEL, record.hours, 0);
        SendMessageW(cboMins_, CB_SETCURSEL, record.minutes, 0);
        SendMessageW(cboSecs_, CB_SETCURSEL, record.seconds, 0);
    }
    // Back where it was, while that place is on a screen.
    const POINT corner{record.left, record.top};
    if (MonitorFromPoint(corner, MONITOR_DEFAULTTONULL)) {
        SetWindowPos(hwnd(), nullptr, corner.x, corner.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    const std::int32_t length = static_cast<std::int32_t>(record.hours * 3600 + record.minutes * 60 + record.seconds);
    if (record.state != platform::TimerState::Idle) {
        const bool running = record.state == platform::TimerState::Running;
        std::int64_t ticks = TicksLeft(record.secondsLeft, static_cast<std::int16_t>(record.tenthsLeft));
        if (running) {
            ticks = (record.endsUtcMs - nowUtc + 99) / 100;
            if (ticks < 1) {
                // It ended while the program was not running: it rings at its first tick, and the
                // balloon says when it ended.
                ticks = 1;
                endedAt_ = ShortTimeText(ToLocalTime(SystemZoneRule, record.endsUtcMs), false);
            }
        }
        countdown_.Restore(ticks, running, nowUtc);
        trayTotalTicks_ = std::max<std::int64_t>(std::int64_t{length} * 10, ticks);
        taskbarTotalSeconds_ = length;
        ShowStartPause();
        ShowDisplay();
        for (HWND picker : {cboHrs_, cboMins_, cboSecs_}) EnableWindow(picker, FALSE);
        if (running) {
            startedAt_ = static_cast<DWORD>(GetTickCount64());
            Timer1.SetEnabled(true);
            Timer1.SetInterval(100);
        }
    }
    // Hidden behind the tray icon it stays so: the window is never shown.
    HiddenInTray = record.hidden;
    Timer1.SetHidden(HiddenInTray);
    saved_ = record;
    Loading = false;
}

bool Form1::RestoreTimers() {
    const std::int64_t now = UtcNow();
    std::vector<platform::StoredTimer> stored = Records.LoadAll(now);
    bool firstBack = false;
    for (const platform::StoredTimer& timer : stored) {
        if (timer.id == id_) {
            ApplyRecord(timer.record, now);
            firstBack = true;
        } else if (others_.size() + 1 < static_cast<std::size_t>(platform::kMostTimers)) {
            OpenTimer(timer.id, &timer.record, now);
        }
    }
    // The user closed the first timer and others went on: they come back without it.
    closedAway_ = !firstBack && !others_.empty();
    const std::vector<Form1*> timers = Timers();
    if (std::any_of(timers.begin(), timers.end(), [](Form1* timer) { return !timer->endedAt_.empty(); })) {
        PostMessageW(hwnd(), kEndedWhileAway, 0, 0);
    }
    ShowTimersInTray();
    return !stored.empty();
}

void Form1::KeepHiddenTimersReachable() {
    // Without its icon nothing would bring a window back: until the shell takes the icon (at logon the
    // taskbar may not be ready), timers that came back hidden wait minimised on the taskbar, as when the
    // shell loses the icon, and go behind it once it is in. A first add the shell refused is no change
    // of the icon's state, so the control raises nothing for it.
    if (!cSysTray1.Shown()) cSysTray1_ShownChanged();
}

std::vector<Form1*> Form1::TimersLabelled(const std::wstring& label) {
    std::vector<Form1*> timers = Timers();
    if (!label.empty()) std::erase_if(timers, [&](Form1* timer) { return timer->label_ != label; });
    return timers;
}

void Form1::CountingChanged() {
    const std::vector<Form1*> timers = Timers();
    const auto counting = std::count_if(timers.begin(), timers.end(), [](Form1* timer) {
        return timer->Timer1.Enabled() && timer->Timer1.Interval() > 0;
    });
    AlarmAttention.KeepCounting(counting > 0);
    // One timer hidden wakes on its own display's seconds, as ever; several wake together.
    for (Form1* timer : timers) timer->Timer1.ShareSeconds(counting > 1);
}

void Form1::ComeBack() {
    if (!closedAway_) return;
    closedAway_ = false;
    ui::ShowNormal(hwnd());
    SaveRecord(true);
}

void Form1::TimerClosed(Form1* timer) {
    Records.Remove(timer->id_);
    timer->saved_.reset();
    if (timer == this && others_.empty()) {
        EndProgram();
        return;
    }
    if (timer == this) {
        // The others go on: this window stays, hidden, for what they share, its countdown gone.
        closedAway_ = true;
        if (timeExpired_) timeExpired_->Withdraw();
        timeExpired_.reset();
        PushButton2_Click();
        SetLabel(L"");
        HiddenInTray = false;
        ShowWindow(hwnd(), SW_HIDE);
        ShowTimersInTray();
        return;
    }
    timer->Stop();
    if (form3_->MainWindow() == timer->hwnd()) MakeAlarmOptionsReturnHere();
    ShowWindow(timer->hwnd(), SW_HIDE);
    // The object goes once its own handler has returned.
    PostMessageW(hwnd(), kTimerClosed, 0, reinterpret_cast<LPARAM>(timer));
}

void Form1::Stop() {
    closing_ = true;
    Timer1.SetEnabled(false);
    // A Time Expired window up goes without its answer: nothing is reset, nothing starts again. It may
    // be this window's end that its own pumping runs, so the object stays until the window's does.
    if (timeExpired_) timeExpired_->Withdraw();
}

void Form1::EndProgram() {
    if (closing_) return;
    // Nothing is asked and no record goes: the timers come back at the next start.
    for (const auto& other : others_) other->Stop();
    Stop();
    Form_QueryUnload();
    // The unload ends the program at once: no further handler of any window runs.
    if (onEnd) onEnd();
    for (const auto& other : others_) other->Destroy();
    Destroy();
}

bool Form1::HandleTimersMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kTimerClosed) {
        const auto found = std::find_if(others_.begin(), others_.end(),
                                        [&](const auto& other) { return reinterpret_cast<LPARAM>(other.get()) == lParam; });
        if (found == others_.end()) return true;
        const std::unique_ptr<Form1> closed = std::move(*found);
        others_.erase(found);
        CountingChanged();
        ShowTimersInTray();
        if (closedAway_ && others_.empty()) EndProgram();
        return true;
    }
    if (message == kEndedWhileAway) {
        std::wstring text;
        for (Form1* timer : Timers()) {
            if (timer->endedAt_.empty()) continue;
            const std::wstring name = timer->label_.empty() ? std::wstring(L"The timer") : timer->label_;
            text += (text.empty() ? L"" : L"\r\n") + name + L" ended at " + timer->endedAt_ + L".";
            timer->endedAt_.clear();
        }
        if (!text.empty()) cSysTray1.ShowBalloon(text, core::kProductName, 0, false);
        return true;
    }
    // The system menu's items, and Ctrl+N, which TranslateAcceleratorW sends as the item's command.
    if (message == WM_SYSCOMMAND) return OnSysCommand(wParam);
    if (message == WM_EXITSIZEMOVE) SaveRecord(true);
    return false;
}

}  // namespace app
