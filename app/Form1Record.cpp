// A timer's label, its system menu's timer commands, and its record: kept in the settings at every change
// of state, and taken back at the next start after a crash, a log-off or a restart for an update.
#include "app/Form1.h"

#include "app/MiniCountdown.h"
#include "app/TimerProgram.h"
#include "core/AppTitle.h"
#include "core/TimerLabel.h"
#include "ui/TextQuestion.h"

#include <algorithm>

namespace app {
namespace {

std::int32_t PickOf(HWND picker) {
    const LRESULT index = SendMessageW(picker, CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? 0 : static_cast<std::int32_t>(index);
}

}  // namespace

// The system keeps the place in workspace coordinates, which the taskbar on the left or top shifts.
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

void Form1::AddTimerCommands() {
    const HMENU menu = GetSystemMenu(hwnd(), FALSE);
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, kNewTimerCommand, L"&New Timer\tCtrl+N");
    AppendMenuW(menu, MF_STRING, kLabelCommand, L"&Label\u2026");
    AddMoreCommands(menu);
    ui::SetShortcuts(hwnd(), program_.Shortcuts());
}

void Form1::OnInitMenu(HMENU menu) {
    // While an alarm or a question holds the program no window may open beside it.
    const UINT state = MF_BYCOMMAND | (program_.Held() ? MF_GRAYED : MF_ENABLED);
    EnableMenuItem(menu, kNewTimerCommand, state);
    EnableMenuItem(menu, kLabelCommand, state);
    InitMoreCommands(menu);
}

bool Form1::OnSysCommand(WPARAM command) {
    const UINT item = static_cast<UINT>(command & 0xFFF0);
    if (item != kNewTimerCommand && item != kLabelCommand) return OnMoreCommand(item);
    // Ctrl+N reaches a window whatever holds the program: it is refused as the greyed item is.
    if (program_.Held()) return true;
    if (item == kNewTimerCommand) {
        program_.NewTimer();
    } else {
        AskLabel();
    }
    return true;
}

void Form1::ShowCaption() {
    const std::wstring caption = label_.empty() ? std::wstring(core::kProductName)
                                                : label_ + L" - " + core::kProductName;
    SetWindowTextW(hwnd(), caption.c_str());
}

std::wstring Form1::NameIn(const std::vector<Form1*>& timers) const {
    if (!label_.empty()) return label_;
    const auto at = std::find(timers.begin(), timers.end(), this);
    return L"Timer " + std::to_wstring(at - timers.begin() + 1);
}

void Form1::SetLabel(const std::wstring& label) {
    label_ = label;
    ShowCaption();
    if (mini_ && mini_->Shown()) mini_->Update();
    SaveRecord();
    program_.MarkTrayStale();
    program_.ShowTimersInTray();
}

void Form1::AskLabel() {
    ui::TextQuestion question;
    question.caption = L"Label";
    question.prompt = L"Label of this timer (none when empty):";
    question.text = label_;
    // The box stops at forty characters (code units: a character outside the Basic Multilingual Plane
    // takes two of them).
    question.limit = core::kLongestLabel;
    question.check = [](const std::wstring& text) {
        return core::IsValidLabel(core::TrimLabel(text)) ? std::wstring() : std::wstring(core::kLabelRuleText);
    };
    if (const auto answer = ui::Ask(hwnd(), question)) SetLabel(std::wstring(core::TrimLabel(*answer)));
}

platform::TimerRecord Form1::Record() const {
    platform::TimerRecord record = saved_.value_or(platform::TimerRecord{});
    record.label = label_;
    record.hidden = HiddenInTray;
    MiniInto(record);
    record.state = platform::TimerState::Idle;
    record.endsUtcMs = 0;
    record.secondsLeft = 0;
    record.tenthsLeft = 0;
    switch (countdown_.State()) {
    case CountdownState::Running:
        record.state = platform::TimerState::Running;
        record.endsUtcMs = countdown_.EndsAt();
        break;
    case CountdownState::Paused:
        record.state = platform::TimerState::Paused;
        record.secondsLeft = countdown_.SecondsLeft();
        record.tenthsLeft = countdown_.TenthsLeft();
        break;
    case CountdownState::Ringing:
        // From the expiring tick until the answer: a program ended meanwhile rings again at its next start.
        record.state = platform::TimerState::Ringing;
        record.endsUtcMs = countdown_.EndedAt();
        break;
    case CountdownState::Idle:
        break;
    }
    return record;
}

void Form1::SaveRecord(bool always) {
    if (Loading || closing_ || !hwnd()) return;
    platform::TimerRecord record = Record();
    if (!always && saved_ && record == *saved_) return;
    // The picks and the place are read only when something changed.
    record.hours = static_cast<std::uint32_t>(PickOf(cboHrs_));
    record.minutes = static_cast<std::uint32_t>(PickOf(cboMins_));
    record.seconds = static_cast<std::uint32_t>(PickOf(cboSecs_));
    const RECT rect = NormalRect(hwnd());
    record.left = rect.left;
    record.top = rect.top;
    // A refused write is tried again at the next change, not at every tick.
    program_.Records.Write(id_, record);
    saved_ = record;
}

void Form1::ApplyRecord(const platform::TimerRecord& record, std::int64_t nowUtc) {
    Loading = true;
    label_ = record.label;
    ShowCaption();
    // The main timer's picks are the stored settings; the others' are their records'.
    if (!IsMain()) {
        SendMessageW(cboHrs_, CB_SETCURSEL, record.hours, 0);
        SendMessageW(cboMins_, CB_SETCURSEL, record.minutes, 0);
        SendMessageW(cboSecs_, CB_SETCURSEL, record.seconds, 0);
    }
    // Back where it was, while that place is on a screen; an idle main window opens centred, as its
    // load places it.
    const POINT corner{record.left, record.top};
    const bool idle = record.state == platform::TimerState::Idle;
    if (!(IsMain() && idle) && MonitorFromPoint(corner, MONITOR_DEFAULTTONULL)) {
        SetWindowPos(hwnd(), nullptr, corner.x, corner.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    const std::int32_t length = static_cast<std::int32_t>(record.hours * 3600 + record.minutes * 60 + record.seconds);
    if (record.state != platform::TimerState::Idle) {
        const bool paused = record.state == platform::TimerState::Paused;
        std::int64_t ticks = TicksLeft(record.secondsLeft, static_cast<std::int16_t>(record.tenthsLeft));
        if (!paused) ticks = (record.endsUtcMs - nowUtc + 99) / 100;
        if (ticks < 1) {
            // It ended while the program was not running, or its alarm was up when the program ended: it
            // rings at its first tick, counted from its real end, and the balloon says when it ended
            // (with the day when that was not today).
            const EndedWhen when = EndedWhenOf(program_.Zone(), record.endsUtcMs, nowUtc);
            endedAt_ = when.day.empty() ? when.clock : when.clock + L" on " + when.day;
            countdown_.RestoreRinging(record.endsUtcMs, nowUtc);
        } else {
            countdown_.Restore(ticks, !paused, nowUtc);
        }
        trayTotalTicks_ = std::max<std::int64_t>(std::int64_t{length} * 10, ticks);
        taskbarTotalSeconds_ = length;
        ShowStartPause();
        ShowDisplay();
        for (HWND picker : {cboHrs_, cboMins_, cboSecs_}) EnableWindow(picker, FALSE);
        if (!paused) {
            startedAt_ = static_cast<DWORD>(GetTickCount64());
            Timer1.SetEnabled(true);
            Timer1.SetInterval(100);
        }
    }
    // Hidden behind the tray icon it stays so: the window is never shown. The main window always shows
    // at a start, so that a start is never silent.
    HiddenInTray = record.hidden && !IsMain();
    Timer1.SetHidden(HiddenInTray);
    if (record.mini) ShowMini(true, POINT{record.miniLeft, record.miniTop});
    saved_ = record;
    Loading = false;
}

std::wstring Form1::TakeEndedAt() { return std::exchange(endedAt_, std::wstring()); }

}  // namespace app
