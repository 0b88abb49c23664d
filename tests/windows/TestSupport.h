// Shared helpers of the in-process Windows tests: pumping messages and answering message boxes.
#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

// Handles messages until pred() is true or the time is up; returns pred().
inline bool PumpUntil(const std::function<bool()>& pred, int timeoutMs) {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    while (!pred()) {
        if (GetTickCount64() >= end) return pred();
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    return true;
}

inline void PumpFor(int ms) {
    PumpUntil([] { return false; }, ms);
}

inline std::wstring TextOf(HWND hwnd) {
    wchar_t buffer[1024] = {};
    GetWindowTextW(hwnd, buffer, 1024);
    return buffer;
}

// Watches this process for message boxes from another thread, records caption and text, and
// presses their first button, the way a user dismisses them.
class DialogWatcher {
public:
    struct Box {
        std::wstring caption;
        std::wstring text;
        bool hasIcon = false;
    };

    explicit DialogWatcher(DWORD guiThread = GetCurrentThreadId()) : thread_([this, guiThread] { Run(guiThread); }) {}
    ~DialogWatcher() {
        stop_ = true;
        thread_.join();
    }

    std::vector<Box> Boxes() {
        std::lock_guard lock(mutex_);
        return boxes_;
    }
    std::size_t Count() {
        std::lock_guard lock(mutex_);
        return boxes_.size();
    }
    // While paused, boxes are recorded but left open.
    void SetAnswering(bool answer) { answer_ = answer; }

private:
    void Run(DWORD guiThread) {
        while (!stop_) {
            EnumThreadWindows(guiThread, &DialogWatcher::Visit, reinterpret_cast<LPARAM>(this));
            Sleep(20);
        }
    }

    static BOOL CALLBACK Visit(HWND hwnd, LPARAM self) {
        wchar_t cls[64] = {};
        GetClassNameW(hwnd, cls, 64);
        if (std::wstring(cls) != L"#32770" || !IsWindowVisible(hwnd)) return TRUE;
        auto* watcher = reinterpret_cast<DialogWatcher*>(self);
        {
            std::lock_guard lock(watcher->mutex_);
            for (HWND seen : watcher->seen_) {
                if (seen == hwnd) return TRUE;
            }
            Box box;
            box.caption = TextOf(hwnd);
            box.text = TextOf(GetDlgItem(hwnd, 0xFFFF));
            // The icon of a message box is a static control, id 0x14 on Windows and 0x440 under Wine.
            for (int id : {0x14, 0x440}) {
                HWND icon = GetDlgItem(hwnd, id);
                if (icon && IsWindowVisible(icon) && SendMessageW(icon, STM_GETICON, 0, 0) != 0) box.hasIcon = true;
            }
            watcher->boxes_.push_back(box);
            watcher->seen_.push_back(hwnd);
        }
        if (watcher->answer_) {
            PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        }
        return TRUE;
    }

    std::atomic<bool> stop_{false};
    std::atomic<bool> answer_{true};
    std::mutex mutex_;
    std::vector<Box> boxes_;
    std::vector<HWND> seen_;
    std::thread thread_;
};

// Answers a window of this thread from another thread: when a visible window with the given title
// appears, presses the control with the given id (BM_CLICK), as a user would; counts the answers.
class WindowAnswerer {
public:
    WindowAnswerer(std::wstring title, int controlId, DWORD guiThread = GetCurrentThreadId())
        : title_(std::move(title)), id_(controlId), thread_([this, guiThread] { Run(guiThread); }) {}
    ~WindowAnswerer() {
        stop_ = true;
        thread_.join();
    }
    int Answers() const { return answers_; }
    void SetEnabled(bool enabled) { enabled_ = enabled; }

private:
    void Run(DWORD guiThread) {
        while (!stop_) {
            EnumThreadWindows(guiThread, &WindowAnswerer::Visit, reinterpret_cast<LPARAM>(this));
            Sleep(20);
        }
    }
    static BOOL CALLBACK Visit(HWND hwnd, LPARAM param) {
        auto* self = reinterpret_cast<WindowAnswerer*>(param);
        if (!self->enabled_ || !IsWindowVisible(hwnd) || TextOf(hwnd) != self->title_) return TRUE;
        if (hwnd == self->last_) return TRUE;
        self->last_ = hwnd;
        ++self->answers_;
        PostMessageW(GetDlgItem(hwnd, self->id_), BM_CLICK, 0, 0);
        return TRUE;
    }

    std::wstring title_;
    int id_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> enabled_{true};
    std::atomic<int> answers_{0};
    HWND last_ = nullptr;
    std::thread thread_;
};

}  // namespace testsupport
