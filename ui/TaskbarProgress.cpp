// Taskbar button progress: the shell's taskbar list, made with COM (joined then, not at start) at the
// first call after each announcement of the button once any progress has been asked, and the calls
// sent only when the button would show something else.
#include "ui/TaskbarProgress.h"

#include <shobjidl.h>

namespace ui {

static_assert(static_cast<int>(TaskbarState::NoProgress) == TBPF_NOPROGRESS);
static_assert(static_cast<int>(TaskbarState::Normal) == TBPF_NORMAL);
static_assert(static_cast<int>(TaskbarState::Error) == TBPF_ERROR);
static_assert(static_cast<int>(TaskbarState::Paused) == TBPF_PAUSED);

TaskbarProgress::TaskbarProgress()
    : system_{[this](HWND window, TaskbarState state) {
                  return taskbar_ && SUCCEEDED(taskbar_->SetProgressState(window, static_cast<TBPFLAG>(state)));
              },
              [this](HWND window, std::uint64_t done, std::uint64_t total) {
                  return taskbar_ && SUCCEEDED(taskbar_->SetProgressValue(window, done, total));
              },
              [this] { Connect(); }},
      buttonCreated_(RegisterWindowMessageW(L"TaskbarButtonCreated")) {}

// Out of line: the taskbar list's type is whole only here.
TaskbarProgress::~TaskbarProgress() = default;

void TaskbarProgress::ButtonCreated() {
    buttonAnnounced_ = true;
    // The announcement comes again when Explorer restarts: the list made for the old taskbar serves
    // no longer.
    connected_ = false;
    ButtonGone();
}

void TaskbarProgress::ButtonGone() {
    shownState_.reset();
    shownValue_.reset();
}

void TaskbarProgress::Show(TaskbarState state, std::uint64_t done, std::uint64_t total) {
    // Microsoft: no call before the shell has sent TaskbarButtonCreated.
    if (!buttonAnnounced_ || !window_) return;
    // A button shows no progress until told otherwise: the idle start joins no COM to say so.
    if (state == TaskbarState::NoProgress && !progressAsked_) return;
    progressAsked_ = true;
    if (!connected_) {
        // Asked once per announcement: a system without the list (a shell that lacks it) is not asked
        // again at every tick.
        connected_ = true;
        if (system_.connect) system_.connect();
    }
    if (shownState_ != state) {
        if (!system_.setState || !system_.setState(window_, state)) return;
        shownState_ = state;
        // The plain button drops its value: progress shown later starts afresh.
        if (state == TaskbarState::NoProgress) shownValue_.reset();
    }
    if (state == TaskbarState::NoProgress || total == 0) return;
    const std::pair value{done, total};
    if (shownValue_ == value) return;
    if (system_.setValue && system_.setValue(window_, done, total)) shownValue_ = value;
}

void TaskbarProgress::Connect() {
    taskbar_.Reset();
    if (!apartment_) apartment_.emplace();
    if (SUCCEEDED(CreateInProcessInstance(CLSID_TaskbarList, IID_ITaskbarList3, taskbar_.Put())) &&
        FAILED(taskbar_->HrInit())) {
        taskbar_.Reset();
    }
}

}  // namespace ui
