// A timer's mini countdown: its window, drawing, dragging, menu, and its place on top of the others.
#include "app/MiniCountdown.h"

#include "app/Form1.h"
#include "app/RecentDurations.h"
#include "app/TimerProgram.h"
#include "ui/Backdrop.h"
#include "ui/Dpi.h"
#include "ui/Layout.h"
#include "ui/ProcAddress.h"

#include <shellapi.h>

#include <algorithm>

namespace app {
namespace {

using UniqueMenu = core::UniqueHandle<core::NullIsEmpty<HMENU, &DestroyMenu>>;

// The alert colour of a ringing countdown on the layouts' white: a red dark enough to read (5.9 : 1).
COLORREF const kAlertColour = RGB(192, 0, 0);
// The window's least size and its margin from the work area's edge, at 96 DPI.
int const kWidth = 200;
int const kHeight = 40;
int const kMargin = 16;
double const kFontPoints = 14;

int Scaled(int pixels, int dpi) { return MulDiv(pixels, dpi, ui::kDefaultDpi); }

MONITORINFO MonitorOf(const RECT& rect) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &monitor);
    return monitor;
}

MiniRect ToMini(const RECT& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

// Whether a full-screen program (a game, a video) or a presentation is in front: Windows' own answer,
// as it gives it to programs that would show a notification (Vista and later; shell32 is loaded at its
// first use).
bool FullScreenInFront() {
    using QueryFn = HRESULT(WINAPI*)(QUERY_USER_NOTIFICATION_STATE*);
    static const QueryFn query = ui::SystemFunction<QueryFn>(L"shell32.dll", "SHQueryUserNotificationState");
    QUERY_USER_NOTIFICATION_STATE state{};
    if (!query || FAILED(query(&state))) return false;
    return state == QUNS_BUSY || state == QUNS_RUNNING_D3D_FULL_SCREEN || state == QUNS_PRESENTATION_MODE;
}

class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

}  // namespace

MiniCountdown::MiniCountdown(TimerProgram& program, Form1& timer) : program_(program), timer_(timer) {}

MiniCountdown::~MiniCountdown() { Destroy(); }

bool MiniCountdown::Show(std::optional<POINT> place) {
    if (!hwnd()) {
        // Never activated: a click on it leaves the keyboard and the foreground where they are; a tool
        // window has no taskbar button; topmost, it stays above the other programs' windows.
        if (!Create({kClassName, nullptr, nullptr, CS_DBLCLKS}, WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW,
                    WS_POPUP, L"", 0, 0, kWidth, kHeight, nullptr, 0)) {
            return false;
        }
        // The shell tells it of every window activated: a taskbar click puts the taskbar above it, and it
        // takes its place on top again then.
        shellHookMessage_ = RegisterWindowMessageW(L"SHELLHOOK");
        RegisterShellHookWindow(hwnd());
        // Its text is read out once, politely, when the last minute begins; never every second.
        liveRegion_.Mark(hwnd(), ui::LiveRegion::Politeness::Polite);
    }
    Update();
    Fit(ui::DpiOf(hwnd()));
    RECT rect{};
    GetWindowRect(hwnd(), &rect);
    const SIZE size{rect.right - rect.left, rect.bottom - rect.top};
    POINT at{};
    if (place) {
        // Workspace coordinates: the work area's origin of the monitor it lies on is added back.
        const RECT wanted{place->x, place->y, place->x + size.cx, place->y + size.cy};
        const MONITORINFO monitor = MonitorOf(wanted);
        at = {place->x + monitor.rcWork.left - monitor.rcMonitor.left, place->y + monitor.rcWork.top - monitor.rcMonitor.top};
    } else {
        // Set down below the mini countdowns already in the corner, as the timer windows cascade.
        RECT timerRect{};
        GetWindowRect(timer_.hwnd(), &timerRect);
        const RECT& work = MonitorOf(timerRect).rcWork;
        const int margin = Scaled(kMargin, ui::DpiOf(hwnd()));
        at = {work.right - size.cx - margin, work.top + margin};
        for (bool taken = true; taken && at.y + size.cy < work.bottom;) {
            taken = false;
            for (Form1* other : program_.Timers()) {
                const MiniCountdown* mini = other->Mini();
                if (mini == this || !mini || !mini->Shown()) continue;
                RECT otherRect{};
                GetWindowRect(mini->hwnd(), &otherRect);
                if (otherRect.left == at.x && otherRect.top == at.y) taken = true;
            }
            if (taken) at.y += size.cy + margin / 2;
        }
    }
    SetWindowPos(hwnd(), HWND_TOPMOST, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    KeepOnScreen();
    shown_ = true;
    steppedAside_ = false;
    ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
    StayInSight();
    return true;
}

void MiniCountdown::Hide() {
    shown_ = false;
    if (hwnd()) ShowWindow(hwnd(), SW_HIDE);
}

POINT MiniCountdown::Place() const {
    RECT rect{};
    GetWindowRect(hwnd(), &rect);
    const MONITORINFO monitor = MonitorOf(rect);
    return {rect.left - (monitor.rcWork.left - monitor.rcMonitor.left), rect.top - (monitor.rcWork.top - monitor.rcMonitor.top)};
}

void MiniCountdown::KeepOnScreen() {
    if (!hwnd()) return;
    RECT rect{};
    GetWindowRect(hwnd(), &rect);
    const MiniRect kept = ClampedToWorkArea(ToMini(rect), ToMini(MonitorOf(rect).rcWork));
    if (kept.left != rect.left || kept.top != rect.top) {
        SetWindowPos(hwnd(), nullptr, kept.left, kept.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void MiniCountdown::Fit(int dpi) {
    fittedLabel_ = timer_.Label();
    if (dpi != fontDpi_) {
        font_ = ui::CreateArialBold(kFontPoints, dpi);
        fontDpi_ = dpi;
    }
    // Wide enough for the longest text of this label, so that it keeps its size while it counts.
    const std::wstring longest = MiniCountdownText(timer_.Label(), core::CountdownState::Paused, 0);
    SIZE extent{};
    {
        const WindowDc dc(hwnd());
        const core::ScopedSelect select(dc.get(), font_.get());
        GetTextExtentPoint32W(dc.get(), longest.c_str(), static_cast<int>(longest.size()), &extent);
    }
    const int width = std::max(Scaled(kWidth, dpi), static_cast<int>(extent.cx) + Scaled(kMargin, dpi));
    const int height = std::max(Scaled(kHeight, dpi), static_cast<int>(extent.cy) + Scaled(8, dpi));
    SetWindowPos(hwnd(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MiniCountdown::Update() {
    if (!hwnd()) return;
    const core::Countdown& countdown = timer_.countdown();
    const std::wstring text = MiniCountdownText(timer_.Label(), countdown.Shown(), countdown.SecondsLeft());
    if (text == text_) return;
    text_ = text;
    // Its window text is its name for screen readers.
    SetWindowTextW(hwnd(), text_.c_str());
    // The last minute is told once as it begins, with the text it then shows; a countdown that has more
    // than a minute left again (a snooze, time added) is told again at its next last minute.
    const core::CountdownState state = countdown.Shown();
    if (state == core::CountdownState::Idle || countdown.SecondsLeft() >= 60) {
        lastMinuteTold_ = false;
    } else if (state == core::CountdownState::Running && !lastMinuteTold_ && shown_) {
        liveRegion_.Announce();
        lastMinuteTold_ = true;
    }
    if (shown_ && timer_.Label() != fittedLabel_) {
        Fit(ui::DpiOf(hwnd()));
        KeepOnScreen();
    }
    InvalidateRect(hwnd(), nullptr, FALSE);
    // Painted now, in the wake that changed it, rather than in a wake of its own.
    UpdateWindow(hwnd());
    StayInSight();
}

void MiniCountdown::StayInSight() {
    if (!shown_ || !hwnd()) return;
    const bool aside = FullScreenInFront();
    if (aside != steppedAside_) {
        steppedAside_ = aside;
        ShowWindow(hwnd(), aside ? SW_HIDE : SW_SHOWNOACTIVATE);
    }
    // Back on top without activation: the foreground stays with the program in use.
    if (!aside) {
        SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER | SWP_NOSENDCHANGING);
    }
}

void MiniCountdown::OnPaint() {
    PAINTSTRUCT paint{};
    const HDC dc = BeginPaint(hwnd(), &paint);
    if (!dc) return;
    const ui::WindowColours colours = ui::ColoursOf(hwnd());
    COLORREF back = colours.backdrop;
    COLORREF fore = colours.text;
    if (timer_.countdown().Shown() == core::CountdownState::Ringing) {
        // In high contrast the system's own pair for what stands out.
        if (colours.system) {
            back = GetSysColor(COLOR_HIGHLIGHT);
            fore = GetSysColor(COLOR_HIGHLIGHTTEXT);
        } else {
            fore = kAlertColour;
        }
    }
    RECT client{};
    GetClientRect(hwnd(), &client);
    const core::UniqueBrush backBrush(CreateSolidBrush(back));
    const core::UniqueBrush edgeBrush(CreateSolidBrush(fore));
    FillRect(dc, &client, backBrush.get());
    FrameRect(dc, &client, edgeBrush.get());
    {
        const core::ScopedSelect select(dc, font_.get());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, fore);
        DrawTextW(dc, text_.c_str(), -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    EndPaint(hwnd(), &paint);
}

void MiniCountdown::OnContextMenu(POINT at) {
    if (at.x == -1 && at.y == -1) {
        RECT rect{};
        GetWindowRect(hwnd(), &rect);
        at = {rect.left, rect.bottom};
    }
    const UniqueMenu menu(CreatePopupMenu());
    HMENU recent = CreatePopupMenu();
    if (!menu || !recent) {
        if (recent) DestroyMenu(recent);
        return;
    }
    const core::CountdownState state = timer_.countdown().State();
    const bool loaded = state == core::CountdownState::Running || state == core::CountdownState::Paused;
    const UINT loadedFlag = loaded ? MF_ENABLED : MF_GRAYED;
    AppendMenuW(menu.get(), MF_STRING | loadedFlag, kPauseItem,
                state == core::CountdownState::Paused ? L"&Resume" : L"&Pause");
    AppendMenuW(menu.get(), MF_STRING | loadedFlag, kResetItem, L"R&eset");
    AppendMenuW(menu.get(), MF_STRING, kShowTimerItem, L"&Show Timer");
    AppendMenuW(menu.get(), MF_STRING, kHideItem, L"&Hide Mini Countdown");
    AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    FillRecentMenu(recent, kRecentItem, 1, program_.Held());
    // The menu destroys its submenu with it.
    AppendMenuW(menu.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(recent), L"Start Re&cent");
    // A menu whose window is not in the foreground stays open when the user clicks elsewhere: the
    // window takes the foreground for the menu the user asked for, and gives it back to the program
    // that had it once the menu has gone.
    // The menu's own loop may end the timer, this window with it: after it only the handle is used.
    const HWND self = hwnd();
    const HWND previous = GetForegroundWindow();
    SetForegroundWindow(self);
    const UINT item = static_cast<UINT>(
        TrackPopupMenuEx(menu.get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, self, nullptr));
    if (!IsWindow(self)) return;
    if (previous && previous != self && GetForegroundWindow() == self) SetForegroundWindow(previous);
    // Acted on from the message loop, once the menu's own loop has ended.
    if (item != 0) PostMessageW(self, WM_COMMAND, item, 0);
}

void MiniCountdown::OnCommand(UINT item) {
    core::Trap trap(L"MiniCountdown.Menu", program_.reporter);
    using Kind = CommandLineRequest::Kind;
    // What follows may pump messages and end the timer with this window: nothing runs after it.
    switch (item) {
    case kPauseItem:
        timer_.TakeSwitch(trap, timer_.countdown().State() == core::CountdownState::Paused ? Kind::Resume : Kind::Pause);
        return;
    case kResetItem:
        timer_.TakeSwitch(trap, Kind::Reset);
        return;
    case kShowTimerItem:
        if (!timer_.HiddenInTray) timer_.BringToFront();
        timer_.ComeBackFromTray();
        return;
    case kHideItem:
        timer_.ShowMini(false);
        return;
    default:
        if (item >= kRecentItem && item < kRecentItem + kMostRecentDurations) timer_.StartRecent(item - kRecentItem);
        return;
    }
}

LRESULT MiniCountdown::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == shellHookMessage_ && message != 0) {
        if (wParam == HSHELL_WINDOWACTIVATED || wParam == HSHELL_RUDEAPPACTIVATED) StayInSight();
        return 0;
    }
    LRESULT result = 0;
    if (message == WM_ERASEBKGND) return 1;  // the paint fills all of it
    if (ui::HandleBackdropMessage(hwnd(), message, wParam, lParam, result)) return result;
    switch (message) {
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_LBUTTONDOWN:
        // Dragged by hand: the system's move loop would activate the window.
        dragFrom_ = POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        SetCapture(hwnd());
        return 0;
    case WM_MOUSEMOVE:
        if (dragFrom_ && GetCapture() == hwnd()) {
            POINT cursor{};
            GetCursorPos(&cursor);
            SetWindowPos(hwnd(), nullptr, cursor.x - dragFrom_->x, cursor.y - dragFrom_->y, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        return 0;
    case WM_LBUTTONUP:
        if (GetCapture() == hwnd()) ReleaseCapture();
        return 0;
    case WM_CAPTURECHANGED:
        if (dragFrom_) {
            dragFrom_.reset();
            KeepOnScreen();
            timer_.SaveRecord();
        }
        return 0;
    case WM_LBUTTONDBLCLK:
        PostMessageW(hwnd(), WM_COMMAND, kShowTimerItem, 0);
        return 0;
    case WM_CONTEXTMENU:
        OnContextMenu({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam));
        return 0;
    case WM_DISPLAYCHANGE:
        KeepOnScreen();
        break;
    case WM_SETTINGCHANGE:
        if (wParam == SPI_SETWORKAREA) KeepOnScreen();
        break;
    case WM_DPICHANGED: {
        const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(hwnd(), nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        // The message's DPI: the system may not report the new one for the window yet.
        Fit(LOWORD(wParam));
        InvalidateRect(hwnd(), nullptr, FALSE);
        return 0;
    }
    case WM_DESTROY:
        DeregisterShellHookWindow(hwnd());
        break;
    default:
        break;
    }
    return Window::HandleMessage(message, wParam, lParam);
}

}  // namespace app
