// The program: what every timer shares (the tray icon and its tip, the execution state and the alarm's
// hold, the alarm sound, Alarm Options, the start-up entry, the records, the hand-over from later copies,
// the keyboard shortcuts) and the list of its timers. Its window is hidden: later copies hand their
// command lines to it, and the shell's broadcasts reach it. It lives as long as the process.
#pragma once

#include "app/ClockTime.h"
#include "app/CommandLine.h"
#include "app/GlobalKeys.h"
#include "core/ErrorReport.h"
#include "core/Handles.h"
#include "core/Program.h"
#include "platform/TimerStore.h"
#include "platform/mStartUp.h"
#include "sound/AlarmSound.h"
#include "tray/TrayCadence.h"
#include "tray/cSysTray.h"
#include "ui/Attention.h"
#include "ui/Window.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace alarm {
class Form3;
}

namespace app {

class Form1;
ZoneRule SystemZoneRule(int year);

class TimerProgram : public ui::Window {
public:
    // Later copies of the program know the running one by its window's class.
    static constexpr wchar_t kClassName[] = L"CorvalinTimerProgram";
    // The main timer's id: its window is the main window, its picks the stored settings.
    static constexpr wchar_t kMainId[] = L"1";

    TimerProgram();
    ~TimerProgram() override;

    // Creates the program's window, the tray control and the main window, which stays hidden until
    // it is shown, and runs the main window's load.
    bool Create();
    // The rest of the start, once the main window is shown: the Alarm Options window loaded hidden,
    // the tray picture at the taskbar's scale, the icon's add let go, windows restored hidden kept
    // reachable, and the stored global keys registered.
    void FinishStart();

    // The main window's timer; made again (idle, as the settings have it) when it was closed.
    Form1& Main();
    // Every timer, the main one first when it is open, the others in the order they were opened.
    std::vector<Form1*> Timers() const;
    // The timer with the id, or nothing once it has gone.
    Form1* Find(const std::wstring& id) const;
    // A new timer's window, shown, cascaded from the others, idle or as a record has it; nothing, after a
    // message, once kMostTimers are open.
    Form1* NewTimer(const platform::TimerRecord* record = nullptr);
    // The records left by a run that ended without the user's word come back as timers; false when none
    // did. A countdown whose end passed meanwhile, or whose alarm was up, rings at once.
    bool RestoreTimers();
    // A timer's window closed by the user: its record goes, and the object once its handler returned;
    // the last one's close ends the program.
    void TimerClosed(Form1& timer);
    // The program ends without asking (log-off, shutdown, the installer): every window goes, the records
    // stay as they are. Quietly at the session's end: a failing step's report box would hold it up.
    void EndProgram(bool quietly = false);
    bool Ending() const { return ending_; }

    // A command line's request, from this copy's own or handed over by a later copy (see Form1 for what
    // each kind does). Returns the answer a later copy is given: kHandOverTaken when it will be acted on.
    // A duration counts from the moment it arrived, whatever the program is doing then.
    std::intptr_t HandOver(const CommandLineRequest& request);

    // Once the tray icon's add is let go: timers restored hidden while the shell refuses the icon are
    // shown minimised instead.
    void KeepHiddenTimersReachable();
    // Whether an alarm or a question holds the program: no new window may open meanwhile.
    bool Held() const;
    // A timer window was enabled again: requests that waited for it take their turn.
    void HoldEnded();

    // What the timers share.
    // One timer's countdown changed state, or its shown seconds: the tip and picture follow.
    void ShowTimersInTray(bool redraw = false);
    // A label changed: the tip is written again.
    void MarkTrayStale() { trayStale_ = true; }
    // Whether any timer's tick timer runs: the computer stays awake while one does, and timers counting
    // hidden together wake together.
    void CountingChanged();
    // The taskbar's DPI may have changed, or the taskbar moved: the tray picture is drawn again there.
    void OnTrayScaleChanged();
    // Alarm Options opened from a timer's window, which it shows again once closed; a window hidden for an
    // earlier opening comes back first, so that none is left hidden outside the tray.
    void OpenAlarmOptions(Form1& from);
    // Once a timer's alarm is answered: Alarm Options, open when the time ran out, is in front again, and
    // a window that opened it goes back behind it when it was hidden then.
    void BackToAlarmOptions(Form1& answered, bool wasShown);
    // Whether Alarm Options is up, and the window it returns to.
    bool AlarmOptionsShown() const;
    HWND AlarmOptionsReturnsTo() const;
    // Brings back every window behind the tray icon, and every Time Expired in front (a tray click).
    void BringBackEveryWindow();

    // Where the timers' records are kept; a test names a key of its own.
    platform::TimerStore Records;
    // Ends the process once the program has ended. The program sets it; tests leave it empty.
    std::function<void()> onEnd;
    // Reports of trapped handlers; the program shows the report box.
    core::Trap::Reporter reporter = core::ShowErrorReport;
    // The Run keys the start-with-Windows box reads and changes.
    std::unique_ptr<platform::RunKeys> StartupKeys = platform::RegistryStartupKeys();
    // What the program asks of the system: the computer awake while a countdown runs, and what a Time
    // Expired window asks while it is up (taskbar flash, computer and display awake). One owner, since
    // the execution state is the thread's.
    ui::Attention AlarmAttention;
    // The sound buffer of the last alarm or alarm test, which Time Expired and Alarm Options stop.
    sound::AlarmSound AlarmBuffer;
    cSysTray cSysTray1;
    // The Alarm Options window, which holds the alarm path; its window exists only while loaded.
    alarm::Form3& Form3() { return *form3_; }
    // The global keys, registered for the program's window (ProgramKeys.cpp).
    GlobalKeys Keys;
    // One shortcut table for every timer window: Ctrl+N and Ctrl+M.
    HACCEL Shortcuts() const { return shortcuts_.get(); }
    // The time zone's rules, read once per year of the local clock and again when Windows says the zone
    // changed: what clock times, the tray's end times and the balloons' times are worked out by.
    ZoneRules Zone() { return zoneRules_.Rules(); }

    void cSysTray1_MouseUp(std::int16_t button, std::int32_t id);
    // The pointer over the icon: the tip is made current and kept so while the pointer stays.
    void cSysTray1_MouseMove(std::int32_t id);
    void cSysTray1_ShownChanged();

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    Form1* OpenTimer(const std::wstring& id, const platform::TimerRecord* record, std::int64_t nowUtc);
    void OnTimerClosed(const std::wstring& id);
    // The ended-while-away balloon is due: it goes out once the shell holds the icon.
    void TellEndedWhileAway();
    std::vector<std::wstring> IdsLabelled(const std::wstring& label) const;

    // The hand-over (ProgramHandOver.cpp).
    struct Pending {
        CommandLineRequest request;
        std::int64_t arrivedUtc = 0;
    };
    LRESULT OnCopyData(const COPYDATASTRUCT* data);
    void OnHandOver();
    // Switches ask nothing: they act at once on the timers they name, whatever is up.
    void TakeSwitches();

    // The mini countdowns and the global keys (ProgramKeys.cpp).
    // "/mini": the timers' mini countdowns are hidden when any of them shows, shown otherwise.
    void ToggleMiniCountdowns(const std::wstring& label);
    // The stored keys registered at the start; those another program holds are told in a balloon.
    void RegisterGlobalKeys();
    // A global key: what the same switch does, on every timer, through the same hand-over.
    void OnGlobalKey(WPARAM id);

    // The tray (ProgramTray.cpp).
    // Works out the tray picture for the timer shown (none: the design picture), paused or not.
    void DrawTrayPicture(const Form1* shown, bool paused, bool redraw);
    bool TrayTipHovered() const;

    std::vector<std::unique_ptr<Form1>> timers_;
    std::unique_ptr<alarm::Form3> form3_;
    ZoneRuleCache zoneRules_{SystemZoneRule};
    core::UniqueAccelerators shortcuts_;
    bool ending_ = false;
    bool loadFinished_ = false;
    // Requests handed over that wait for the program to be free: durations and new timers.
    std::deque<Pending> handedOver_;
    bool handingOver_ = false;
    // Timers that rang while the program was not running wait for the shell to hold the icon: the
    // balloon saying when they ended is lost otherwise.
    bool endedWhileAwayDue_ = false;
    // The size the tray picture is drawn at; the control starts with its own 16 x 16 picture.
    int trayIconSize_ = 16;
    // The tray's tip and progress picture as the timers stand (the picture empty for the design
    // picture); the shell may hold older ones while nobody looks (trayCadence_).
    std::wstring trayAllTip_;
    std::size_t trayTimersShown_ = 0;
    bool trayStale_ = false;
    std::vector<std::uint32_t> trayPixels_;
    bool trayPictureDue_ = false;
    tray::TrayCadence trayCadence_;
};

}  // namespace app
