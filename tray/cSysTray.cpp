// cSysTray: adds, changes and removes the tray icon, shows the balloon and waits for it, and turns
// the shell's notifications into the control's events.
#include "tray/cSysTray.h"

#include "ui/Clock.h"
#include "ui/Controls.h"
#include "ui/MessageFilter.h"
#include "ui/ProcAddress.h"

#include <algorithm>

namespace {

// 510 x 510 twips, the control's size on its host; the window stays hidden all the same.
constexpr int kOwnWindowSide = 34;
// Longest sleep of the balloon wait between two looks at the queue; new messages end it sooner.
constexpr std::int64_t kMaxWaitSliceMs = 100;
// The own window's timer that asks the shell again for an icon it refused.
constexpr UINT_PTR kRetryTimerId = 1;
constexpr UINT kRetryMs = 2000;

// The record in the layout that ends with the balloon fields: the wide twin of the 488-byte ANSI
// record. Every shell since Windows 2000 reads balloons from it; the later, longer layouts only add
// the icon's GUID and the balloon's own icon, which this control never uses (the icon is known by
// window and id, never by GUID, which would bind it to the path of the executable).
constexpr DWORD kRecordSize = NOTIFYICONDATAW_V2_SIZE;
static_assert(sizeof(void*) != 4 || kRecordSize == 936, "NOTIFYICONDATAW with balloon fields is 936 bytes");

bool QuitPending() {
    MSG msg;
    return PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != FALSE;
}

// Shell_NotifyIconW, from shell32 loaded at the first record: shell32 and what it loads stay out of
// the program's start.
BOOL NotifyShell(DWORD message, NOTIFYICONDATAW& record) {
    static const auto notify = ui::SystemFunction<decltype(&Shell_NotifyIconW)>(L"shell32.dll", "Shell_NotifyIconW");
    return notify && notify(message, &record);
}

}  // namespace

cSysTray::cSysTray()
    : icon_(tray::CreateTrayPicture()),
      taskbarCreated_(RegisterWindowMessageW(L"TaskbarCreated")),
      shell_(&NotifyShell) {}

cSysTray::cSysTray(HWND host, int controlId) : cSysTray() { Create(host, controlId); }

cSysTray::~cSysTray() {
    *alive_ = false;
    if (inTray_) InTray(false);
}

bool cSysTray::Create(HWND host, int controlId) {
    if (ownWindow_) return false;
    ownWindow_.reset(CreateWindowExW(0, L"STATIC", L"cSysTray", WS_CHILD, 0, 0, kOwnWindowSide, kOwnWindowSide,
                                     host, reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)),
                                     GetModuleHandleW(nullptr), nullptr));
    if (!ownWindow_) return false;
    // The shell's restart broadcast reaches the top-level host; in a copy run as administrator it comes
    // from a process of lower rights.
    ui::LetInFromNormalRights(host, taskbarCreated_);
    // InTray set before there was a window to hook takes effect now.
    if (inTray_ && !added_) HookAndAdd();
    return true;
}

NOTIFYICONDATAW cSysTray::Record() const {
    NOTIFYICONDATAW record{};
    record.cbSize = kRecordSize;
    record.hWnd = ownWindow_.get();
    record.uID = iconId_;
    return record;
}

bool cSysTray::Send(DWORD message, NOTIFYICONDATAW& record) { return shell_ && shell_(message, record); }

bool cSysTray::Modify(NOTIFYICONDATAW& record) {
    if (Send(NIM_MODIFY, record)) return true;
    // The shell restarted without its broadcast reaching us, or dropped the icon: the add carries
    // the tip, the picture and a balloon still waiting.
    if (added_) AddToTray();
    return false;
}

void cSysTray::AddToTray() {
    if (addHeld_) return;
    NOTIFYICONDATAW record = Record();
    if (icon_ && icon_->IconHandle()) {
        record.hIcon = icon_->IconHandle();
        record.uFlags |= NIF_ICON;
    }
    if (!tip_.empty()) {
        tray::CopyToField(tip_, record.szTip);
        record.uFlags |= NIF_TIP;
    }
    record.uCallbackMessage = tray::kTrayCallbackMessage;
    record.uFlags |= NIF_MESSAGE;
    // A busy shell counts an add it did not answer within seconds as refused, yet may have taken it,
    // and a taskbar made again keeps its icons: an icon that takes the change is there.
    const bool in = Send(NIM_ADD, record) || Send(NIM_MODIFY, record);
    // Before the taskbar is ready at logon the add fails, and its "TaskbarCreated" may never reach us.
    if (in) {
        KillTimer(ownWindow_.get(), kRetryTimerId);
    } else {
        SetTimer(ownWindow_.get(), kRetryTimerId, kRetryMs, nullptr);
    }
    if (in && heldBalloon_) {
        NOTIFYICONDATAW balloon = *heldBalloon_;
        heldBalloon_.reset();
        Send(NIM_MODIFY, balloon);
    }
    SetShown(in);
}

void cSysTray::SetShown(bool shown) {
    if (shown == shown_) return;
    shown_ = shown;
    // The host may pump messages in here (a balloon wait); nothing of the control is touched after.
    if (auto handler = ShownChanged) handler();
}

void cSysTray::HookAndAdd() {
    mSysTray::Hook(ownWindow_.get(), this);
    added_ = true;
    AddToTray();
}

void cSysTray::RemoveFromTray() {
    NOTIFYICONDATAW record = Record();
    Send(NIM_DELETE, record);
}

void cSysTray::InTray(bool show) {
    if (show == inTray_) return;
    if (show) {
        // Without its own window yet the control only remembers the value; Create adds the icon.
        if (ownWindow_) HookAndAdd();
    } else if (added_) {
        RemoveFromTray();
        KillTimer(ownWindow_.get(), kRetryTimerId);
        mSysTray::Unhook(ownWindow_.get());
        added_ = false;
        // Taken out on purpose: no event.
        shown_ = false;
        heldBalloon_.reset();
    }
    inTray_ = show;
}

void cSysTray::TrayIcon(tray::PictureRef icon) {
    if (!icon || icon->PictureType() != tray::Picture::Type::Icon) return;
    // Kept first: an add, now or once the shell takes the icon, carries the picture.
    icon_ = std::move(icon);
    if (shown_) {
        NOTIFYICONDATAW record = Record();
        record.uFlags = NIF_ICON;
        record.hIcon = icon_->IconHandle();
        Modify(record);
    }
}

void cSysTray::TrayTip(std::wstring tip) {
    tip_ = std::move(tip);
    if (shown_) {
        NOTIFYICONDATAW record = Record();
        record.uFlags = NIF_TIP;
        tray::CopyToField(tip_, record.szTip);
        Modify(record);
    }
}

void cSysTray::TrayTipAndIcon(std::wstring tip, tray::PictureRef icon) {
    const bool picture = icon && icon->PictureType() == tray::Picture::Type::Icon;
    tip_ = std::move(tip);
    if (picture) icon_ = std::move(icon);
    if (shown_) {
        NOTIFYICONDATAW record = Record();
        record.uFlags = NIF_TIP;
        tray::CopyToField(tip_, record.szTip);
        if (picture) {
            record.uFlags |= NIF_ICON;
            record.hIcon = icon_->IconHandle();
        }
        Modify(record);
    }
}

void cSysTray::ShowBalloon(const std::wstring& tip, const std::wstring& sTitle, std::int32_t showTimer,
                           bool showOnce) {
    if (showOnce && onceCount_ >= 1) return;
    const std::int32_t timeoutMs = tray::BalloonTimeoutMs(showTimer);

    NOTIFYICONDATAW record = Record();
    record.uFlags = NIF_INFO;
    tray::CopyToField(sTitle, record.szInfoTitle);
    tray::CopyToField(tip, record.szInfo);
    record.uTimeout = static_cast<UINT>(timeoutMs);
    record.dwInfoFlags = 0;
    // Out of the tray on purpose the balloon is sent all the same, and the shell refuses it. While the
    // shell refuses an icon we want, the balloon waits for the add that succeeds, for as long as it is
    // meant to be up; after that it tells of something past and is dropped. With no time of its own
    // (showTimer 0) it is dropped at once.
    heldBalloon_ = record;
    if (!added_ || shown_) {
        if (Modify(record)) heldBalloon_.reset();
    }
    balloonShown_ = true;
    if (showOnce) ++onceCount_;
    if (showTimer <= 0 || !added_) heldBalloon_.reset();
    if (showTimer <= 0) return;

    // Re-entrancy: everything pending runs in here, the host's timer ticks and this control's own
    // notifications included; the shell's "hidden", "timed out" or "clicked" clears balloonShown_ and
    // ends the wait early. A handler may even destroy this control, after which none of it is touched.
    const std::shared_ptr<bool> alive = alive_;
    const ui::MonotonicClock clock;
    const std::int64_t start = clock.Now();
    const std::int64_t span = std::int64_t{showTimer} * 1000 * ui::kClockUnitsPerMs;
    for (;;) {
        const std::int64_t left = span - (clock.Now() - start);
        if (left <= 0 || !balloonShown_) break;
        ui::DoEvents();
        if (!*alive) return;
        // A quit posted by a handler waits for the main loop, which only runs once we have returned.
        if (!balloonShown_ || QuitPending()) break;
        const std::int64_t sliceMs = std::clamp<std::int64_t>(left / ui::kClockUnitsPerMs + 1, 1, kMaxWaitSliceMs);
        // Sleeps until a message arrives or the slice ends, so the wait does not spin the processor.
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(sliceMs), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
    const bool neverSent = heldBalloon_.has_value();
    heldBalloon_.reset();
    if (balloonShown_ && !neverSent && (!added_ || shown_)) {
        // Time ran out before the shell said the balloon went: take it down with an empty balloon.
        NOTIFYICONDATAW clear = Record();
        clear.uFlags = NIF_INFO;
        Modify(clear);
    }
}

void cSysTray::HoldAdd(bool hold) {
    addHeld_ = hold;
    if (!hold && added_ && !shown_) AddToTray();
}

void cSysTray::ShellRestarted() {
    if (added_) AddToTray();
}

void cSysTray::OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == tray::kTrayCallbackMessage) {
        TrayMessage(lParam, wParam);
    } else if (taskbarCreated_ != 0 && message == taskbarCreated_) {
        ShellRestarted();
    } else if (message == WM_TIMER && wParam == kRetryTimerId) {
        if (added_ && !shown_) {
            AddToTray();
        } else {
            KillTimer(ownWindow_.get(), kRetryTimerId);
        }
    } else if (message == WM_DESTROY) {
        OnOwnWindowDestroyed();
    }
}

void cSysTray::TrayMessage(LPARAM lParam, WPARAM wParam) {
    const tray::TrayNotification notification = tray::ClassifyNotification(lParam);
    const auto id = static_cast<std::int32_t>(wParam);
    // Each handler is called through a copy: a handler that replaces itself, or destroys this control,
    // must not pull the callable away from under its own call. Nothing of the control is touched after.
    switch (notification.event) {
    case tray::TrayEvent::MouseMove:
        if (auto handler = MouseMove) handler(id);
        break;
    case tray::TrayEvent::MouseDown:
        if (auto handler = MouseDown) handler(notification.button, id);
        break;
    case tray::TrayEvent::MouseUp:
        if (auto handler = MouseUp) handler(notification.button, id);
        break;
    case tray::TrayEvent::MouseDblClick:
        if (auto handler = MouseDblClick) handler(notification.button, id);
        break;
    case tray::TrayEvent::BalloonClosed:
        balloonShown_ = false;
        break;
    case tray::TrayEvent::None:
        break;
    }
}

void cSysTray::OnOwnWindowDestroyed() {
    // The host is being destroyed with the icon still in the tray: take the icon out while the window
    // that names it still exists, and forget the window, which the system destroys by itself.
    InTray(false);
    ownWindow_.release();
}
