// cSysTray: a small control that owns one icon in the notification area, its tip and a balloon next
// to it, and raises the mouse activity on the icon as events on its host.
#pragma once

#include "core/Handles.h"
#include "tray/Picture.h"
#include "tray/TrayRecord.h"
#include "tray/mSysTray.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class cSysTray {
public:
    // Whatever delivers a record to the shell; Shell_NotifyIconW unless a test listens in between.
    using ShellFunction = std::function<BOOL(DWORD message, NOTIFYICONDATAW& record)>;

    // The design-time state: not in the tray, tip "Telnet Server", the control's own picture.
    cSysTray();
    // The same, and creates the own window at once as a child of host.
    explicit cSysTray(HWND host, int controlId = 0);
    cSysTray(const cSysTray&) = delete;
    cSysTray& operator=(const cSysTray&) = delete;
    // Takes the icon out of the tray when it is there, then destroys the own window.
    ~cSysTray();

    // Creates the own window, a hidden child of host. False when it exists already or creation failed.
    bool Create(HWND host, int controlId = 0);
    HWND OwnWindow() const { return ownWindow_.get(); }

    // TrayIcon: a picture that is not an icon is ignored. Shown at once when the icon is in the tray.
    tray::PictureRef TrayIcon() const { return icon_; }
    void TrayIcon(tray::PictureRef icon);

    // TrayTip: the text the shell shows over the icon, at most 127 characters of it.
    const std::wstring& TrayTip() const { return tip_; }
    void TrayTip(std::wstring tip);
    // Both at once, in one change the shell redraws once; a picture that is not an icon is ignored.
    void TrayTipAndIcon(std::wstring tip, tray::PictureRef icon);

    // InTray: true puts the icon in the tray, false takes it out; setting the current value does nothing.
    bool InTray() const { return inTray_; }
    void InTray(bool show);
    // Whether the shell holds the icon. A shell that refuses it (not ready yet at logon, busy, or gone)
    // is asked again every 2 seconds and at its restart; tip, picture and balloon asked meanwhile are
    // kept and go with the add that succeeds.
    bool Shown() const { return shown_; }

    // Shows a balloon with title sTitle and body tip. With showTimer > 0 returns only after the balloon
    // has been up showTimer seconds or the shell reported it closed; pending messages (the host's timer
    // among them) are handled meanwhile. With showOnce true this control shows it once per run.
    // While the shell refuses the icon, the balloon waits for the icon as long as its own time lasts.
    // Raises core::HandlerError("Overflow"), with nothing sent, when showTimer x 1000 does not fit 32 bits.
    void ShowBalloon(const std::wstring& tip, const std::wstring& sTitle, std::int32_t showTimer, bool showOnce);

    // The shell restarted (its "TaskbarCreated" broadcast) and forgot every icon: puts ours back, with
    // its tip, when it is in the tray. The broadcast reaches top-level windows only, never our child
    // window, so the host forwards it; the message arriving at the own window is handled too.
    void ShellRestarted();
    UINT TaskbarCreatedMessage() const { return taskbarCreated_; }

    // While held, an icon put in the tray is not yet handed to the shell: tip, picture and balloon
    // asked meanwhile are kept, and go with the add at the release. The program holds the add until
    // its window is on the screen.
    void HoldAdd(bool hold);

    // Lets a test see every record sent to the shell.
    void UseShell(ShellFunction shell) { shell_ = std::move(shell); }

    // Events, raised synchronously while the shell's notification is handled. Id is the icon id the
    // shell passes back (0); Button is 1 for the left and 2 for the right button.
    std::function<void(std::int32_t id)> MouseMove;
    std::function<void(std::int16_t button, std::int32_t id)> MouseDown;
    std::function<void(std::int16_t button, std::int32_t id)> MouseUp;
    std::function<void(std::int16_t button, std::int32_t id)> MouseDblClick;
    // Raised when the shell takes the icon, or loses it and refuses it back, while InTray is true.
    std::function<void()> ShownChanged;

private:
    friend LRESULT CALLBACK mSysTray::TrayWindowProc(HWND, UINT, WPARAM, LPARAM);

    // The own window may already be gone with its host; then there is nothing left to destroy.
    struct OwnWindowTraits {
        using Handle = HWND;
        static Handle Invalid() { return nullptr; }
        static void Close(Handle h) {
            if (IsWindow(h)) DestroyWindow(h);
        }
    };

    NOTIFYICONDATAW Record() const;
    bool Send(DWORD message, NOTIFYICONDATAW& record);
    // A change the shell refuses means it no longer holds the icon: the icon goes back in.
    bool Modify(NOTIFYICONDATAW& record);
    // Replaces the own window's procedure and puts the icon in the tray.
    void HookAndAdd();
    // Puts the icon in the shell with everything last asked of it, or sets the retry.
    void AddToTray();
    void SetShown(bool shown);
    void RemoveFromTray();
    void OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void TrayMessage(LPARAM lParam, WPARAM wParam);
    void OnOwnWindowDestroyed();

    bool inTray_ = false;
    std::wstring tip_ = L"Telnet Server";
    tray::PictureRef icon_;
    core::UniqueHandle<OwnWindowTraits> ownWindow_;
    std::uint32_t iconId_ = tray::kTrayIconId;
    bool added_ = false;
    bool shown_ = false;
    bool addHeld_ = false;
    // A balloon asked for while the shell did not hold the icon, kept while its wait lasts.
    std::optional<NOTIFYICONDATAW> heldBalloon_;
    bool balloonShown_ = false;
    std::int32_t onceCount_ = 0;
    UINT taskbarCreated_ = 0;
    ShellFunction shell_;
    // Cleared when the control goes, so that a balloon wait it is destroyed in never touches it again.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
