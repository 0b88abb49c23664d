// A timer's window: the duration pickers, the countdown display, Start/Pause, Reset, Alarm Options and
// the start-with-Windows check box. It owns its countdown (its state object and tick timer), its label
// and the Time Expired window while that is up. The first timer's window is the main window: it also
// holds what the timers share (the tray icon, the execution state, the alarm sound, Alarm Options,
// the hand-over from later copies and the timers' records), and lives as long as the program.
#pragma once

#include "app/CommandLine.h"
#include "app/TrayCountdown.h"
#include "core/Countdown.h"
#include "core/ErrorReport.h"
#include "core/Program.h"
#include "platform/TimerStore.h"
#include "platform/mStartUp.h"
#include "sound/AlarmSound.h"
#include "tray/TrayCadence.h"
#include "tray/cSysTray.h"
#include "ui/Attention.h"
#include "ui/Controls.h"
#include "ui/PushButton.h"
#include "ui/TaskbarProgress.h"
#include "ui/Timer.h"
#include "ui/Window.h"
#include "ui/WindowPointer.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace alarm {
class Form2;
class Form3;
}

namespace app {

// The system's clock, and the time zone's rules for a year of the local clock: what a clock time on
// the command line and the tray's end time are worked out by.
UtcMilliseconds UtcNow();
ZoneRule SystemZoneRule(int year);
// A reading of the local clock in the user's short time format ("17:30", "5:30 PM"), with its seconds
// when asked; empty when the system cannot say.
std::wstring ShortTimeText(const LocalTime& time, bool seconds);

class Form1 : public ui::Window {
public:
    // Later copies of the program know the main window by it.
    static constexpr wchar_t kClassName[] = L"CorvalinForm1";
    // The lParam of the WM_CLOSE by which the installer and the uninstaller close a running copy before
    // they replace or delete its files ("INST"): that close never asks the user anything.
    static constexpr LPARAM kCloseForSetup = 0x494E5354;

    // The first timer, whose window is the main window.
    Form1();
    // A further timer of the program that first runs, its record kept under id.
    Form1(Form1& first, std::wstring id);
    ~Form1() override;

    // The system menu's commands, and Ctrl+N for a new timer.
    static constexpr UINT kNewTimerCommand = 0x0010;
    static constexpr UINT kLabelCommand = 0x0020;

    // Creates the window and its controls and runs Form_Load; the window stays hidden until Show.
    bool Create();
    // Shows and paints the window, then runs the rest of the load (FinishLoad).
    void Show(int showCommand = SW_SHOWNORMAL);
    // The part of the main window's load that nothing on the screen needs, run once the window is up
    // (or once it is known to stay hidden): the Alarm Options window, loaded hidden with the alarm
    // path. Once only; nothing for a further timer.
    void FinishLoad();
    // A command line's request, from this copy's own or handed over by a later copy: a duration
    // starts there as a pick and Start do (after asking, while a countdown is loaded); no duration
    // brings the window back as a click on the tray icon does. Acted on from the message loop; a clock
    // time is counted then. Returns the answer a later copy is given: kHandOverTaken when it will be
    // acted on.
    std::intptr_t HandOver(const CommandLineRequest& request);

    // The timers (Form1Timers.cpp). A new timer's window, shown in the running program, cascaded from
    // the others, idle or as a record has it; nothing, after a message, once kMostTimers are open.
    Form1* NewTimer(const platform::TimerRecord* record = nullptr);
    // Every timer with a window, the first first, and the others in the order they were opened.
    std::vector<Form1*> Timers();
    // The records left by a run that ended without the user's word come back as timers; false when
    // none did. A countdown whose end passed meanwhile rings at once.
    bool RestoreTimers();
    // Once the tray icon's add is let go: timers restored hidden while the shell refuses the icon are
    // shown minimised instead.
    void KeepHiddenTimersReachable();
    // A valid label (core::IsValidLabel), shown in the caption and kept in the record.
    void SetLabel(const std::wstring& label);
    // Asks the user for a new label ("Label..." in the system menu).
    void AskLabel();
    // Where the timers' records are kept; a test names a key of its own.
    platform::TimerStore Records;

    // Ends the program at once when the window has closed. The program sets it to leave the process;
    // tests leave it empty.
    std::function<void()> onEnd;
    // Reports of trapped handlers; the program shows the report box.
    core::Trap::Reporter reporter = core::ShowErrorReport;
    // The Run keys the start-with-Windows box reads and changes.
    std::unique_ptr<platform::RunKeys> StartupKeys = platform::RegistryStartupKeys();

    // Handlers.
    void Form_Load();
    void PushButton1_Click();
    void PushButton2_Click();
    void PushButton3_Click();
    void Timer1_Tick();
    void Form_QueryUnload();
    void Picker_Change(HWND picker);
    void Check3_Click();
    void cSysTray1_MouseUp(std::int16_t button, std::int32_t id);
    // The taskbar's DPI may have changed, or the taskbar moved to another monitor: the tray picture is
    // drawn again at the shell's small-icon size there. The program calls it once its window is up:
    // the control starts with the 16 x 16 picture.
    void OnTrayScaleChanged();
    // The pointer over the icon: the tip is made current and kept so while the pointer stays.
    void cSysTray1_MouseMove(std::int32_t id);
    void cSysTray1_ShownChanged();

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
    // What the program asks of the system: the computer awake while the countdown runs, and what the
    // Time Expired window asks while it is up (taskbar flash, computer and display awake). One owner,
    // since the execution state is the thread's.
    ui::Attention AlarmAttention;
    ui::WindowPointer Pointer;
    // The window's taskbar button shows the countdown's progress while the window has one.
    ui::TaskbarProgress TaskbarButton;
    cSysTray cSysTray1;
    // The Alarm Options window, which holds the alarm path; its window exists only while loaded.
    alarm::Form3& Form3() { return *first_->form3_; }

    // The countdown: the buttons and the display are drawn from it.
    const core::Countdown& countdown() const { return countdown_; }
    // The sound buffer of the last alarm or alarm test, which Time Expired and Alarm Options stop.
    sound::AlarmSound AlarmSound;
    // The window is hidden behind the tray icon.
    bool HiddenInTray = false;
    // The first timer was closed while other timers went on: its window stays, hidden, as the owner of
    // what they share, and comes back for a duration handed over.
    bool ClosedAway() const { return closedAway_; }
    bool Loading = false;

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnCommand(int id, int code, HWND control);
    void OnSize(WPARAM sizeType);
    // Hides the minimised window behind the tray icon, with the one-time balloon.
    void HideInTray();
    // Closes the window and ends the program; with ask, a loaded countdown asks the user first.
    void OnClose(bool ask);
    bool UserLetsCountdownGo();
    void OnDestroyed() override;
    void OnEndSession(bool ending);

    // The timers (Form1Timers.cpp).
    // The window's system menu gets "New Timer" and "Label...", and Ctrl+N its shortcut.
    void AddTimerCommands();
    bool OnSysCommand(WPARAM command);
    // The caption: the label and the product name, or the product name alone.
    void ShowCaption();
    // This timer's record as it stands, and kept in the registry when it changed.
    platform::TimerRecord Record() const;
    void SaveRecord(bool always = false);
    // Takes a stored record: label, picks, position, and the countdown where it stood (running on from
    // its end, paused, or ringing at once when its end has passed).
    void ApplyRecord(const platform::TimerRecord& record, std::int64_t nowUtc);
    // A timer's window closed by the user: its record goes; the last one ends the program.
    void TimerClosed(Form1* timer);
    // The timer ends at once, its record as it stands: the tick timer stops, Time Expired goes unanswered.
    void Stop();
    // The program ends without asking (log-off, shutdown, the installer, or the last timer closed):
    // every window goes, the records stay as they are.
    void EndProgram();
    // Opens the timer with the id, as the record has it when given.
    Form1* OpenTimer(const std::wstring& id, const platform::TimerRecord* record, std::int64_t nowUtc);
    // The first steps of every timer window's load: the skin and the hand pointer.
    void LoadLook(core::Trap& trap);
    // The load's lists of hours, minutes and seconds, "00" to "23" and "00" to "59".
    void FillPickers(core::Trap& trap);
    // The load of a timer other than the first: its picks start at 00, the start-up box as the first's.
    void LoadOtherTimer();
    // The timers' own messages; true when handled.
    bool HandleTimersMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // What a handed-over request is for: a new timer, or the timers it names (all, for a switch without
    // a label).
    bool TakeNewTimer(const CommandLineRequest& request);
    std::vector<Form1*> TimersLabelled(const std::wstring& label);
    // Whether any timer's tick timer runs: the computer stays awake while one does.
    void CountingChanged();
    // The tray tip and picture for every timer; with redraw, the picture is drawn again.
    void ShowTimersInTray(bool redraw = false);
    // The first timer's window comes back after it was closed away.
    void ComeBack();
    // Alarm Options, once closed, shows this window again (the one whose button opened it).
    void MakeAlarmOptionsReturnHere();

    // The command line handed over (Form1CommandLine.cpp).
    // Restores the window from the tray in front, or, while a modal window of ours is up, that one.
    void BringToFront();
    bool HandleCommandLineMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    LRESULT OnCopyData(const COPYDATASTRUCT* data);
    void OnHandOver();
    // A duration, or a clock time counted now; true when it started.
    bool TakeDuration(core::Trap& trap, const CommandLineRequest& request);
    // "/pause", "/resume" or "/reset": what the button does, when there is something to do.
    void TakeSwitch(core::Trap& trap, CommandLineRequest::Kind kind);
    // A window behind the tray icon comes back at its normal size, for a start that sends it there again.
    void ComeOutOfTray();

    // A picker's selected item ("" when none), already current while it reports a new selection.
    static std::wstring PickerText(HWND picker);
    void SetPickerText(HWND picker, const std::wstring& text);
    // Ticks or clears the check box; a change raises its click, as setting its value does.
    void SetCheck3(bool ticked);

    // The countdown in the tray and the timer's cadence (Form1Tray.cpp). Called after every tick and
    // every click of Start/Pause and Reset; cheap when nothing changed.
    void ShowCountdownInTray();
    // The countdown's state as the display shows it: a fresh countdown shows the idle text until its
    // first tick, and counts as none (Form1Countdown.cpp).
    CountdownState CountdownStateNow() const;
    // What a click or a command-line switch acts on: a fresh countdown runs from Start on.
    CountdownState CountdownStateForButtons() const;
    // Start/Pause's caption and the display, drawn from the countdown.
    void ShowStartPause();
    void ShowDisplay();
    // Time Expired has been answered: what follows the alarm runs, as the answer's flags say
    // (Form1Countdown.cpp).
    void OnTimeExpiredAnswered(WPARAM answer);
    // Posted by Time Expired's answer.
    static constexpr UINT kTimeExpiredAnswered = WM_APP + 17;
    // Works out the tray picture for the timer shown (none: the design picture), paused or not; a
    // picture that differs from the last one, or any with redraw, is due to the shell.
    void DrawTrayPicture(const Form1* shown, bool paused, bool redraw);
    // Whether someone may be reading the tray tip now.
    bool TrayTipHovered() const;
    void OnPowerBroadcast(WPARAM event);
    void OnVisibilityChanged();
    // The countdown on the taskbar button (Form1Taskbar.cpp); called with the tray's updates.
    void ShowCountdownOnTaskbar(CountdownState state);
    // Once Time Expired is answered, Alarm Options, open when the time ran out, is in front again and
    // the main window shown only if it was shown then (Form1Countdown.cpp).
    void BackToAlarmOptions(bool mainWasShown);

    // The first timer (this, for the first), and the others it owns.
    Form1* first_ = this;
    std::vector<std::unique_ptr<Form1>> others_;
    std::wstring id_ = L"1";
    std::wstring label_;
    bool closedAway_ = false;
    bool loadFinished_ = false;
    core::UniqueAccelerators shortcuts_;
    // What the record last stored said, to store it only when it changed.
    std::optional<platform::TimerRecord> saved_;
    // Set when restored from a record whose end passed: the clock time it ended, told in a balloon.
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
    core::Countdown countdown_;
    std::unique_ptr<alarm::Form3> form3_;
    // The Time Expired window of the last alarm, until its answer has been acted on.
    std::unique_ptr<alarm::Form2> timeExpired_;
    bool closing_ = false;
    bool askingToClose_ = false;
    // The close and replace questions, about the countdown: withdrawn, as if answered No, when it ends.
    core::Questions countdownQuestions_;
    std::deque<CommandLineRequest> handedOver_;
    bool handingOver_ = false;
    // The size the tray picture is drawn at; the control starts with its own 16 x 16 picture.
    int trayIconSize_ = 16;
    std::int64_t trayTotalTicks_ = 0;
    // What the tray last showed of this timer: its state and displayed whole seconds.
    std::int64_t trayShown_ = -2;
    // The tray's tip and progress picture as the timers stand (the picture empty for the design
    // picture); the shell may hold older ones while nobody looks (trayCadence_).
    std::wstring trayAllTip_;
    std::size_t trayTimersShown_ = 0;
    // A label changed: the tip is written again.
    bool trayStale_ = false;
    std::vector<std::uint32_t> trayPixels_;
    // The picture above differs from the shell's.
    bool trayPictureDue_ = false;
    tray::TrayCadence trayCadence_;
    // The end time in the tray tip, worked out when the time left shown last changed.
    std::wstring trayEndTime_;
    // The whole seconds of the countdown on the taskbar button: the most ever shown left.
    std::int32_t taskbarTotalSeconds_ = 0;
};

}  // namespace app
