// A timer's window: the duration pickers, the countdown display, Start/Pause, Reset, Alarm Options and
// the start-with-Windows check box. It owns its countdown (its state object and tick timer), its label,
// its record, its taskbar button and its Time Expired window while that is up; what the timers share it
// reaches through the program. The main timer's window is the main window.
#pragma once

#include "app/CommandLine.h"
#include "core/Countdown.h"
#include "core/ErrorReport.h"
#include "core/Program.h"
#include "platform/TimerRecord.h"
#include "ui/Controls.h"
#include "ui/PushButton.h"
#include "ui/TaskbarProgress.h"
#include "ui/Timer.h"
#include "ui/Window.h"
#include "ui/WindowPointer.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace alarm {
class Form2;
}

namespace app {

class MiniCountdown;
class TimerProgram;
using core::CountdownState;
using core::TicksLeft;

// The window's place at its normal size, in screen coordinates, minimised or hidden alike.
RECT NormalRect(HWND window);

// The system's clock, and the time zone's rules for a year of the local clock: what a clock time on
// the command line and the tray's end time are worked out by.
UtcMilliseconds UtcNow();
ZoneRule SystemZoneRule(int year);
// A reading of the local clock in the user's short time format ("17:30", "5:30 PM"), with its seconds
// when asked; empty when the system cannot say.
std::wstring ShortTimeText(const LocalTime& time, bool seconds);
// The day of a reading of the local clock in the user's short date format; empty when the system
// cannot say.
std::wstring ShortDateText(const LocalTime& time);
// When a timer ended, as its balloon and Time Expired say it: the clock time, and the day (short date)
// when that was not the day of nowUtc, empty otherwise.
struct EndedWhen {
    std::wstring clock;
    std::wstring day;
};
EndedWhen EndedWhenOf(const ZoneRules& zone, std::int64_t endedUtc, std::int64_t nowUtc);

class Form1 : public ui::Window {
public:
    static constexpr wchar_t kClassName[] = L"CorvalinForm1";
    // The lParam of the WM_CLOSE by which the installer and the uninstaller close a running copy before
    // they replace or delete its files ("INST"): that close never asks the user anything, and ends the
    // program with every timer kept.
    static constexpr LPARAM kCloseForSetup = 0x494E5354;
    // The system menu's commands, and Ctrl+N for a new timer.
    static constexpr UINT kNewTimerCommand = 0x0010;
    static constexpr UINT kLabelCommand = 0x0020;
    // The mini countdown (Ctrl+M), the global keys, and "Start Recent": the newest recent duration's
    // command, each older one 0x10 further on (a system menu's command keeps its low four bits clear).
    static constexpr UINT kMiniCommand = 0x0030;
    static constexpr UINT kKeysCommand = 0x0040;
    static constexpr UINT kRecentCommand = 0x0100;

    // A timer of the program, its record kept under id (TimerProgram::kMainId for the main window).
    Form1(TimerProgram& program, std::wstring id);
    ~Form1() override;

    // Creates the window and its controls and runs Form_Load; the window stays hidden until Show.
    bool Create();
    // Destroys the window now, at the end of the program.
    using ui::Window::Destroy;
    // Shows and paints the window; the main one's first show runs the rest of the program's start.
    void Show(int showCommand = SW_SHOWNORMAL);

    const std::wstring& Id() const { return id_; }
    bool IsMain() const;
    const std::wstring& Label() const { return label_; }
    // A valid label (core::IsValidLabel), shown in the caption and kept in the record.
    void SetLabel(const std::wstring& label);
    // Asks the user for a new label ("Label..." in the system menu).
    void AskLabel();
    // The name the tray tip and the balloons give the timer: its label, or "Timer N" by the order of the
    // windows when there are several.
    std::wstring NameIn(const std::vector<Form1*>& timers) const;

    // The countdown: the buttons, the display, the record and the tray are drawn from it.
    const core::Countdown& countdown() const { return countdown_; }
    // The tray picture's share left: the most ticks this countdown ever had left.
    std::int64_t TrayTotalTicks() const { return trayTotalTicks_; }
    // The clock time the tray tip gives as the end, worked out when the shown seconds last changed; true
    // when that line of the tip changed.
    bool UpdateTrayLine();
    // While running, the clock time it ends at; while ringing, when it ended ("ended 3 min ago").
    const std::wstring& TrayEndTime() const { return trayEndTime_; }
    // What of this timer's tray line the shell hears of while nobody looks: its state and minute left,
    // or how many minutes ago it ended; -1 when there is no line.
    std::int64_t QuietTrayKey() const;

    // What the program asks of a timer.
    // A duration (or a clock time, counted now) as a pick and Start make it, asking first while a
    // countdown is loaded; counted from arrivedUtc. True when it started.
    bool TakeDuration(core::Trap& trap, const CommandLineRequest& request, std::int64_t arrivedUtc);
    // "/pause", "/resume" or "/reset": what the button does, when there is something to do. A ringing
    // timer is left as it is.
    void TakeSwitch(core::Trap& trap, CommandLineRequest::Kind kind);
    // "/add:": a countdown that runs or is paused gets that much more time (up to the pickers' longest
    // left), a ringing one is snoozed for that long; an idle one is left alone.
    void TakeAdd(core::Trap& trap, std::int32_t seconds);
    // Restores the window from the tray in front, or, while a modal window of ours is up, that one.
    void BringToFront();
    // Brings the window back from behind the tray icon, and its Time Expired in front.
    void ComeBackFromTray();
    // Takes a stored record: label, picks, position, and the countdown where it stood (running on from
    // its end, paused, or ringing at once when its end has passed or its alarm was up).
    void ApplyRecord(const platform::TimerRecord& record, std::int64_t nowUtc);
    // This timer's record kept in the registry when it changed, or always.
    void SaveRecord(bool always = false);
    // The clock time, and the day when it was not today, at which a timer restored ringing ended; empty
    // once told.
    std::wstring TakeEndedAt();
    bool EndedWhileAway() const { return !endedAt_.empty(); }
    // The timer ends at once: the tick timer stops, its Time Expired goes unanswered, and its share of
    // the alarm with it; the record stays as it stands.
    void Stop();
    // Hides the minimised window behind the tray icon, with the one-time balloon.
    void HideInTray();
    // The start-with-Windows box shows what the next log-on does.
    void ShowStartupEntry(bool on);
    // The tray and the taskbar button follow the countdown; the record is kept when its state changed.
    // Called after every tick and every click of Start/Pause and Reset; cheap when nothing changed.
    void ShowCountdownInTray();

    // Handlers.
    void Form_Load();
    void PushButton1_Click();
    void PushButton2_Click();
    void PushButton3_Click();
    void Timer1_Tick();
    void Picker_Change(HWND picker);
    void Check3_Click();

    // Controls.
    HWND cboHrs() const { return cboHrs_; }
    HWND cboMins() const { return cboMins_; }
    HWND cboSecs() const { return cboSecs_; }
    HWND lblTimer() const { return lblTimer_; }
    HWND Check3() const { return check3_; }
    ui::PushButton PushButton1;
    ui::PushButton PushButton2;
    ui::PushButton PushButton3;
    ui::Timer Timer1;
    ui::WindowPointer Pointer;
    // The window's taskbar button shows the countdown's progress while the window has one.
    ui::TaskbarProgress TaskbarButton;
    // The Time Expired window of this timer's alarm, while it is up.
    alarm::Form2* TimeExpired() const { return timeExpired_.get(); }

    // The mini countdown (Form1Mini.cpp), shown or hidden; its place is kept in the record. Without a
    // place it comes back where it was, or set down below the others.
    MiniCountdown* Mini() const { return mini_.get(); }
    bool MiniShown() const;
    void ShowMini(bool shown, std::optional<POINT> place = std::nullopt);
    // Starts the index'th recent duration as a pick and Start would, asking first while a countdown is
    // loaded; true when it started.
    bool StartRecent(std::size_t index);

    // The window is hidden behind the tray icon.
    bool HiddenInTray = false;
    bool Loading = false;

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnCommand(int id, int code, HWND control);
    void OnSize(WPARAM sizeType);
    // Closes the window; with ask, a loaded countdown asks the user first. The user's close ends this
    // timer; the installer's ends the program.
    void OnClose(bool ask);
    bool UserLetsCountdownGo();
    void OnDestroyed() override;
    // The system menu gets "New Timer" and "Label...", greyed while an alarm or question holds the program.
    void AddTimerCommands();
    void OnInitMenu(HMENU menu);
    bool OnSysCommand(WPARAM command);
    // "Mini Countdown", "Start Recent" and "Keys..." (Form1Mini.cpp).
    void AddMoreCommands(HMENU menu);
    void InitMoreCommands(HMENU menu);
    bool OnMoreCommand(UINT item);
    void MiniInto(platform::TimerRecord& record) const;
    // The caption: the label and the product name, or the product name alone.
    void ShowCaption();
    // This timer's record as it stands.
    platform::TimerRecord Record() const;
    // The first steps of every timer window's load: the skin and the hand pointer.
    void LoadLook(core::Trap& trap);
    // The load's lists of hours, minutes and seconds, "00" to "23" and "00" to "59".
    void FillPickers(core::Trap& trap);
    // The load of a timer other than the main one: its picks start at 00.
    void LoadOtherTimer();
    // A window behind the tray icon comes back at its normal size, for a start that sends it there again.
    void ComeOutOfTray();
    // A picker's selected item ("" when none), already current while it reports a new selection.
    static std::wstring PickerText(HWND picker);
    void SetPickerText(HWND picker, const std::wstring& text);
    // Ticks or clears the check box; a change raises its click, as setting its value does.
    void SetCheck3(bool ticked);
    // Start/Pause's caption and the display, drawn from the countdown.
    void ShowStartPause();
    void ShowDisplay();
    // The alarm comes up: Time Expired, the sound, the window back (Form1Countdown.cpp).
    void Ring(core::Trap& trap, bool takeKeyboard);
    // Time Expired has been answered: what follows the alarm runs, as the answer's flags say.
    void OnTimeExpiredAnswered(WPARAM answer, LPARAM snoozeSeconds);
    // Time Expired's line and its minutes, and the snoozed countdown (Form1Snooze.cpp).
    void PrepareTimeExpired(alarm::Form2& timeExpired);
    void StartSnoozed(core::Trap& trap, std::int32_t seconds);
    void OnVisibilityChanged();
    // The countdown on the taskbar button (Form1Taskbar.cpp); called with the tray's updates.
    void ShowCountdownOnTaskbar();

    TimerProgram& program_;
    std::wstring id_;
    std::wstring label_;
    // What the record last stored said, to store it only when it changed.
    std::optional<platform::TimerRecord> saved_;
    // Set when restored ringing: the clock time it ended, told in a balloon.
    std::wstring endedAt_;
    ui::FontSet fonts_;
    HWND cboHrs_ = nullptr;
    HWND cboMins_ = nullptr;
    HWND cboSecs_ = nullptr;
    HWND lblTimer_ = nullptr;
    HWND check3_ = nullptr;
    // When the countdown last started or resumed (GetTickCount): a user who has not touched keyboard or
    // mouse since is using no other program when it ends.
    DWORD startedAt_ = 0;
    // A handed-over duration's arrival, while Start takes it: it counts from then.
    std::optional<std::int64_t> askedAt_;
    // A snooze's length, while Start takes it instead of the picks.
    std::optional<std::int32_t> snoozeLength_;
    core::Countdown countdown_;
    std::unique_ptr<alarm::Form2> timeExpired_;
    bool closing_ = false;
    bool askingToClose_ = false;
    // The close and replace questions, about the countdown: withdrawn, as if answered No, when it ends.
    core::Questions countdownQuestions_;
    std::int64_t trayTotalTicks_ = 0;
    // What the tray last showed of this timer: its state and displayed whole seconds.
    std::int64_t trayShown_ = -2;
    std::wstring trayEndTime_;
    // The whole seconds of the countdown on the taskbar button: the most ever shown left.
    std::int32_t taskbarTotalSeconds_ = 0;
    std::unique_ptr<MiniCountdown> mini_;
    // A clock time Start takes: the recent durations keep it as the clock time.
    std::wstring recentEntry_;
};

}  // namespace app
