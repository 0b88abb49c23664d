// A window's taskbar button as a progress bar (ITaskbarList3, Windows 7 on). The shell's object is
// made at run time when first used after each announcement of the button, so that a restarted Explorer
// gets one of its own; where it is missing the button shows nothing and nothing fails.
#pragma once

#include "ui/Com.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>

struct ITaskbarList3;

namespace ui {

// The button's states, by the shell's own values (TBPFLAG).
enum class TaskbarState : int {
    NoProgress = 0,  // TBPF_NOPROGRESS: the plain button
    Normal = 2,      // TBPF_NORMAL: green, growing with the share done
    Error = 4,       // TBPF_ERROR: red
    Paused = 8,      // TBPF_PAUSED: yellow
};

class TaskbarProgress {
public:
    // The ITaskbarList3 calls; a test listens in between. Each says whether the shell took it.
    struct System {
        std::function<bool(HWND window, TaskbarState state)> setState;                      // SetProgressState
        std::function<bool(HWND window, std::uint64_t done, std::uint64_t total)> setValue;  // SetProgressValue
        std::function<void()> connect;  // a new taskbar list in place of the old (CoCreateInstance, HrInit)
    };

    TaskbarProgress();
    TaskbarProgress(const TaskbarProgress&) = delete;
    TaskbarProgress& operator=(const TaskbarProgress&) = delete;
    ~TaskbarProgress();

    void UseSystem(System system) { system_ = std::move(system); }

    // The window whose button this drives.
    void Attach(HWND window) { window_ = window; }
    // The registered message by which the shell announces the button.
    UINT ButtonCreatedMessage() const { return buttonCreated_; }
    // The shell has made the button (the window was shown, or the shell restarted): from now on it
    // takes calls, through a taskbar list made afresh, and hears everything afresh.
    void ButtonCreated();
    // The window has no button (hidden): what the button showed is gone with it.
    void ButtonGone();

    // Shows the state and, with it, done out of total (ignored for NoProgress). Sends only what differs
    // from what the button shows, and nothing before the shell has announced the button.
    void Show(TaskbarState state, std::uint64_t done = 0, std::uint64_t total = 0);

private:
    void Connect();

    // Joined with the taskbar list's creation, once the shell has announced the button.
    std::optional<ComApartment> apartment_;
    ComPtr<ITaskbarList3> taskbar_;
    // The taskbar list of the latest announcement has been asked for.
    bool connected_ = false;
    System system_;
    HWND window_ = nullptr;
    UINT buttonCreated_ = 0;
    bool buttonAnnounced_ = false;
    std::optional<TaskbarState> shownState_;
    // Whether the button has ever been asked to show progress: until then it shows none by itself.
    bool progressAsked_ = false;
    std::optional<std::pair<std::uint64_t, std::uint64_t>> shownValue_;
};

}  // namespace ui
