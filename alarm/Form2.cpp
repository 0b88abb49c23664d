// Time Expired window: its show, load, the two buttons that silence the alarm, and its answer.
#include "alarm/Form2.h"

#include "core/Files.h"
#include "resources/Layouts.h"
#include "sound/SoundManager.h"
#include "ui/Backdrop.h"
#include "ui/Clock.h"
#include "ui/Dpi.h"
#include "ui/Messages.h"

#include <algorithm>
#include <cwchar>
#include <utility>

namespace alarm {
namespace {

DWORD const kForm2Style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
// Posted to itself once it is up, and again on each activation while onceUp has not run.
UINT const kOnceUp = ui::kOnceUpMessage;
// The ended line's minute.
UINT_PTR const kMinuteTimerId = 1;
// The line is redrawn this long after each whole minute since the end: a timer may fire a little early,
// and the "ago" must have moved on by then.
std::int64_t const kMinuteMarginMs = 250;

BOOL CALLBACK FindHolder(HWND hwnd, LPARAM found) {
    // Dialogs only (message boxes, the Label and Keys dialogs, the Open dialog): no mini countdown or
    // tooltip, which are visible enabled popups too.
    wchar_t className[8] = {};
    if (!IsWindowVisible(hwnd) || !IsWindowEnabled(hwnd) || !GetClassNameW(hwnd, className, 8) ||
        std::wcscmp(className, L"#32770") != 0) {
        return TRUE;
    }
    *reinterpret_cast<HWND*>(found) = hwnd;
    return FALSE;
}

// The window that holds a disabled window of ours: the last popup it owns when that one is up (a message
// box, the Label dialog), else any dialog of this thread (another window's question); the window itself
// when there is none.
HWND HeldBy(HWND window) {
    const HWND popup = GetLastActivePopup(window);
    if (popup && popup != window && IsWindowEnabled(popup) && IsWindowVisible(popup)) return popup;
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &FindHolder, reinterpret_cast<LPARAM>(&found));
    return found ? found : window;
}

}  // namespace

Form2::Form2(core::Trap::Reporter reporter, ui::Attention& attention, sound::AlarmSound& alarm)
    : reporter_(std::move(reporter)), attention_(attention), alarm_(alarm) {}

Form2::~Form2() { Withdraw(); }

void Form2::Withdraw() {
    // A window destroyed without its unload (with its owner, at the end of the program) leaves the hold
    // and the other windows' input to this: they go with it, and no answer comes.
    answered_ = {};
    modality_.reset();
    StopRinging();
    liveRegion_.Clear();
    Destroy();
}

void Form2::StopRinging() {
    if (!ringing_) return;
    ringing_ = false;
    if (--alarm_.ringing <= 0) {
        alarm_.ringing = 0;
        attention_.LetSleep();
    }
}

void Form2::Show(HWND owner, bool takeKeyboard, std::function<void()> onceUp,
                 std::function<void(bool restart, std::int32_t snoozeSeconds)> answered) {
    owner_ = owner;
    onceUp_ = std::move(onceUp);
    answered_ = std::move(answered);
    restartRequested_ = false;
    snoozeSeconds_ = 0;
    // Topmost: above every ordinary window, a maximised one of another program too.
    const std::wstring caption = label.empty() ? L" Time Expired" : L" Time Expired - " + label;
    if (!CreateCentred(L"CorvalinForm2", WS_EX_APPWINDOW | WS_EX_TOPMOST, kForm2Style, caption.c_str(),
                       layout::kForm2.clientWidth, layout::kForm2.clientHeight, owner)) {
        return;
    }
    ringing_ = true;
    ++alarm_.ringing;
    fonts_ = ui::FontSet(ui::DpiOf(hwnd()));
    ui::CreateControls(hwnd(), layout::kForm2Controls, fonts_,
                       {{layout::form2::PushButton1, &PushButton1},
                        {layout::form2::PushButton2, &PushButton2},
                        {layout::form2::PushButton3, &PushButton3},
                        {layout::form2::PushButton4, &PushButton4},
                        {layout::form2::PushButton5, &PushButton5}});
    for (ui::PushButton* button : {&PushButton1, &PushButton2, &PushButton3, &PushButton4, &PushButton5}) {
        button->onMouseMove = [this] { Pointer.OnButtonMouseMove(); };
    }
    PushButton1.onClick = [this] { PushButton1_Click(); };
    PushButton2.onClick = [this] { PushButton2_Click(); };
    PushButton3.onClick = [this] { PushButton3_Click(); };
    PushButton4.onClick = [this] { PushButton4_Click(); };
    PushButton5.onClick = [this] { PushButton5_Click(); };
    // One line, cut with an ellipsis should a long date not fit: its whole text stays its name.
    lblEnded_ = GetDlgItem(hwnd(), layout::form2::lblEnded);
    SetWindowLongPtrW(lblEnded_, GWL_STYLE,
                      (GetWindowLongPtrW(lblEnded_, GWL_STYLE) & ~SS_TYPEMASK) | SS_LEFTNOWORDWRAP | SS_ENDELLIPSIS);
    liveRegion_.Mark(lblEnded_);
    ShowEnded();
    Form_Load();
    PlaceOnOwnersMonitor(owner);

    // Modal for the whole program: neither the owner nor an open (or hidden) Alarm Options window takes
    // input until this window is gone, so nothing else can replace the alarm that OK silences. Other
    // Time Expired windows keep theirs.
    modality_.emplace(hwnd(), core::ThreadModality::SparePeers);
    attention_.KeepAwake();
    bool hasKeyboard = false;
    if (takeKeyboard) {
        ShowWindow(hwnd(), SW_SHOWNORMAL);
        SetForegroundWindow(hwnd());
        // The system may refuse the foreground all the same (another program took it meanwhile).
        hasKeyboard = GetForegroundWindow() == hwnd();
    } else {
        // Another program is in use: a Space or Enter typed there must not answer the alarm unseen.
        // The window comes up on top without activation; once the user activates it (a click,
        // Alt+Tab, the tray icon) the dialog focus rule puts the focus on OK.
        ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
    }
    // First in the topmost band whatever became of the activation (Wine restacks a window on screen
    // only when it comes first): above the main window, which it owns, on every path.
    SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (!hasKeyboard) attention_.Flash(hwnd());
    // A screen reader announces the alarm even while another program has the focus: the line is an
    // assertive live region (ShowEnded names it with the caption), and says so once the window is on
    // the screen. The keyboard stays where it is.
    liveRegion_.Announce();
    if (onceUp_) PostMessageW(hwnd(), kOnceUp, 0, 0);
    // Every message loop of ours (ui::DispatchToWindow) gives the window its dialog keys: Tab, Escape.
}

void Form2::PlaceOnOwnersMonitor(HWND owner) {
    // Centred on the work area of the monitor its timer's window is on (the primary one without an
    // owner), then cascaded, and kept on that work area.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (!GetMonitorInfoW(MonitorFromWindow(owner ? owner : hwnd(), MONITOR_DEFAULTTOPRIMARY), &monitor)) return;
    RECT window{};
    GetWindowRect(hwnd(), &window);
    const RECT& work = monitor.rcWork;
    const LONG width = window.right - window.left;
    const LONG height = window.bottom - window.top;
    const LONG step = GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYFRAME);
    LONG x = work.left + (work.right - work.left - width) / 2 + cascade * step;
    LONG y = work.top + (work.bottom - work.top - height) / 2 + cascade * step;
    x = std::max(work.left, std::min(x, work.right - width));
    y = std::max(work.top, std::min(y, work.bottom - height));
    SetWindowPos(hwnd(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form2::ShowEnded() {
    if (!endedText || !lblEnded_) return;
    const std::int64_t now = ui::UtcNowMs();
    const std::wstring line = endedText(now);
    SetWindowTextW(lblEnded_, line.c_str());
    // Read as the caption with the label, then the line: "Time Expired - Tea. Ended at 17:30".
    std::wstring caption = ui::WindowText(hwnd());
    caption.erase(0, std::min(caption.find_first_not_of(L' '), caption.size()));
    liveRegion_.SetName(caption + L". " + line);
    if (endedUtc <= 0) return;
    // One wake a minute, at the minute the "ago" changes; a clock set back waits a whole minute.
    const std::int64_t ago = now - endedUtc;
    const std::int64_t wait = (ago < 0 ? 60'000 : 60'000 - ago % 60'000) + kMinuteMarginMs;
    SetTimer(hwnd(), kMinuteTimerId, static_cast<UINT>(wait), nullptr);
}

void Form2::Form_Load() {
    core::Trap trap(L"Form2.Form_Load", reporter_);
    trap.Step(100, [&] { ui::ApplyFaceColor(hwnd()); });
    // Line 102, the icon: the window's class carries it.
    trap.Line(102);
    if (trap.Test(104, [] { return core::FileExists(core::ProgramFolder() + core::kHandPointerFile); })) {
        trap.Step(106, [&] { Pointer.LoadCustom(core::ProgramFolder() + core::kHandPointerFile); });
    }
}

void Form2::PushButton1_Click() {
    core::Trap trap(L"Form2.PushButton1_Click", reporter_);
    trap.Line(100);
    SilenceAndUnload(trap, 102);
}

void Form2::PushButton2_Click() {
    core::Trap trap(L"Form2.PushButton2_Click", reporter_);
    trap.Step(100, [&] { restartRequested_ = true; });
    trap.Line(102);
    SilenceAndUnload(trap, 104);
}

void Form2::Snooze(std::int32_t seconds) {
    core::Trap trap(L"Form2.Snooze", reporter_);
    trap.Step(100, [&] { snoozeSeconds_ = seconds; });
    trap.Line(102);
    SilenceAndUnload(trap, 104);
}

void Form2::SilenceAndUnload(core::Trap& trap, int firstLine) {
    // Another alarm still up keeps the sound, which rang for it too.
    trap.Step(firstLine, [&] {
        if (alarm_.buffer > 0 && alarm_.ringing <= 1) sound::Stop(alarm_.buffer);
    });
    // The stopped device hands its buffer back with MM_WOM_DONE; letting pending messages run here
    // frees the alarm's buffer before the window goes.
    trap.Step(firstLine + 2, [] { ui::DoEvents(); });
    trap.Step(firstLine + 4, [] { ui::DoEvents(); });
    trap.Step(firstLine + 6, [&] { Unload(); });
}

void Form2::Unload() {
    if (!hwnd()) return;
    // The answer comes before the input goes back, so that the owner hears of it before anything that
    // giving the input back sets off (a hand-over that waited for the main window, say).
    if (answered_) std::exchange(answered_, {})(restartRequested_, snoozeSeconds_);
    // Give the other windows their input back before this window goes, so that one of ours, not
    // another program, is activated next.
    modality_.reset();
    // Making a topmost window ordinary again takes its owner along, should the system have raised the
    // owner with it: nothing of the program stays topmost once the alarm is answered.
    SetWindowPos(hwnd(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    StopRinging();
    KillTimer(hwnd(), kMinuteTimerId);
    liveRegion_.Clear();
    const bool active = GetActiveWindow() == hwnd();
    Destroy();
    // Only an alarm the user turned to hands the foreground on: one answered unseen leaves it where it is.
    // A question or dialog that was up when the alarm came still holds its windows: it comes in front
    // again rather than the disabled owner.
    if (owner_ && active) SetForegroundWindow(IsWindowEnabled(owner_) ? owner_ : HeldBy(owner_));
}

LRESULT Form2::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (message == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE && onceUp_) PostMessageW(hwnd(), kOnceUp, 0, 0);
    if (ui::HandleCommonFormMessage(hwnd(), Pointer, message, wParam, lParam, result)) return result;
    switch (message) {
    case kOnceUp:
        // Only in front of the user: a box that came up while another program is in use would take
        // that program's keystrokes.
        if (onceUp_ && GetForegroundWindow() == hwnd()) std::exchange(onceUp_, {})();
        return 0;
    case WM_COMMAND:
        // Escape: IsDialogMessageW in the message loop turns it into IDCANCEL. It does what "OK" does.
        if (LOWORD(wParam) == IDCANCEL) {
            PushButton1_Click();
            return 0;
        }
        break;
    case WM_TIMER:
        if (wParam != kMinuteTimerId) break;
        ShowEnded();
        if (onMinute) onMinute();
        return 0;
    case WM_CLOSE:
        // Closed another way than by its buttons: nothing is stopped, no restart is asked for.
        Unload();
        return 0;
    case WM_DPICHANGED:
        ui::ApplyDpiChange(hwnd(), layout::kForm2, layout::kForm2Controls, fonts_, wParam, lParam);
        return 0;
    default:
        break;
    }
    return Window::HandleMessage(message, wParam, lParam);
}

}  // namespace alarm
