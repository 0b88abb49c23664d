// Shared helpers of the in-process Windows tests: pumping messages and answering message boxes.
#pragma once

#include "tests/SoundCapture.h"

#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

// Values several test files share: the settings' registry key, the layouts' white, the main window's
// tray callback message.
inline constexpr wchar_t kApplicationKey[] = L"Software\\VB and VBA Program Settings\\Vendrel";
inline constexpr COLORREF kWhite = RGB(255, 255, 255);
inline constexpr UINT kTrayCallback = 1125;

// Removes every stored setting of the program, as on a first run.
inline void ClearSettings() {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\Vendrel\\Corvalin Timer Software");
}

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

// Handles every message already waiting, sent or posted, and returns as soon as the queue is empty.
// What a handler posted, and what a device posted from inside a call that has returned, is handled then.
inline void PumpPending() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Handles messages until `count` posted messages with the number `message` have been handled, or the
// time is up; returns whether they were.
inline bool PumpUntilHandled(UINT message, int count, int timeoutMs) {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    int handled = 0;
    while (handled < count) {
        if (GetTickCount64() >= end) return false;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            if (msg.message == message) ++handled;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    return true;
}

// Keeps the thread busy, handling no messages, until pred() is true: timers fall due meanwhile
// without a chance to run, as while a long handler runs or the machine sleeps.
inline void BusyUntil(const std::function<bool()>& pred) {
    while (!pred()) Sleep(1);
}

// Whether input of the given kinds (QS_MOUSEMOVE, QS_MOUSEBUTTON, QS_KEY) waits in this thread's queue.
inline bool InputWaiting(UINT kinds) {
    return (HIWORD(GetQueueStatus(kinds)) & kinds) != 0;
}

// Handles messages until the input of the given kinds sent to this thread has been handled: first,
// leaving input alone, until `arrived()` says the system has taken it (it waits in the queue, the
// pointer is where it was sent), then until none of it waits any more. Returns whether both happened.
inline bool PumpUntilInputHandled(UINT kinds, const std::function<bool()>& arrived, int timeoutMs = 5000) {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    while (!arrived()) {
        if (GetTickCount64() >= end) return false;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_POSTMESSAGE | PM_QS_SENDMESSAGE | PM_QS_PAINT)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    return PumpUntil([kinds] { return !InputWaiting(kinds); }, timeoutMs);
}

inline std::wstring TextOf(HWND hwnd) {
    wchar_t buffer[1024] = {};
    GetWindowTextW(hwnd, buffer, 1024);
    return buffer;
}

// Joins a watcher thread while still handling this thread's messages. A watcher reads window texts
// of this thread's windows, which sends them messages: joining without handling those would
// deadlock whenever the watcher is in the middle of such a read.
inline void JoinPumping(std::thread& thread, const std::atomic<bool>& finished) {
    while (!finished) {
        MSG msg;
        // Peeking handles the messages other threads are sending us.
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_SENDMESSAGE);
    }
    thread.join();
}

// Calls visit(window) from another thread, every 20 ms, for each top-level window of the GUI thread.
// Its owner declares it last, so that everything visit uses exists for as long as the scan runs.
class ThreadWindowScan {
public:
    explicit ThreadWindowScan(std::function<void(HWND)> visit, DWORD guiThread = GetCurrentThreadId())
        : visit_(std::move(visit)), thread_([this, guiThread] { Run(guiThread); }) {}
    ~ThreadWindowScan() {
        stop_ = true;
        JoinPumping(thread_, finished_);
    }
    ThreadWindowScan(const ThreadWindowScan&) = delete;
    ThreadWindowScan& operator=(const ThreadWindowScan&) = delete;

private:
    void Run(DWORD guiThread) {
        while (!stop_) {
            EnumThreadWindows(guiThread, &ThreadWindowScan::Visit, reinterpret_cast<LPARAM>(this));
            Sleep(20);
        }
        finished_ = true;
    }
    static BOOL CALLBACK Visit(HWND hwnd, LPARAM self) {
        reinterpret_cast<ThreadWindowScan*>(self)->visit_(hwnd);
        return TRUE;
    }

    std::function<void(HWND)> visit_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> finished_{false};
    std::thread thread_;
};

// Watches this process for message boxes from another thread, records caption and text, and
// presses their first button, the way a user dismisses them.
class DialogWatcher {
public:
    struct Box {
        std::wstring caption;
        std::wstring text;
        bool hasIcon = false;
    };

    explicit DialogWatcher(DWORD guiThread = GetCurrentThreadId())
        : scan_([this](HWND hwnd) { Visit(hwnd); }, guiThread) {}

    std::vector<Box> Boxes() {
        std::lock_guard lock(mutex_);
        return boxes_;
    }
    std::size_t Count() {
        std::lock_guard lock(mutex_);
        return boxes_.size();
    }

private:
    void Visit(HWND hwnd) {
        wchar_t cls[64] = {};
        GetClassNameW(hwnd, cls, 64);
        if (std::wstring(cls) != L"#32770" || !IsWindowVisible(hwnd)) return;
        {
            std::lock_guard lock(mutex_);
            for (HWND seen : seen_) {
                if (seen == hwnd) return;
            }
            Box box;
            box.caption = TextOf(hwnd);
            box.text = TextOf(GetDlgItem(hwnd, 0xFFFF));
            // The icon of a message box is a static control, id 0x14 on Windows and 0x440 under Wine.
            for (int id : {0x14, 0x440}) {
                HWND icon = GetDlgItem(hwnd, id);
                if (icon && IsWindowVisible(icon) && SendMessageW(icon, STM_GETICON, 0, 0) != 0) box.hasIcon = true;
            }
            boxes_.push_back(box);
            seen_.push_back(hwnd);
        }
        PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }

    std::mutex mutex_;
    std::vector<Box> boxes_;
    std::vector<HWND> seen_;
    ThreadWindowScan scan_;
};

// Watches this process from another thread for a visible window with the given title (a common
// dialog, a message box, a window of ours) and runs action on it from that thread, once per window.
class WindowWatcher {
public:
    WindowWatcher(std::wstring title, std::function<void(HWND)> action, DWORD guiThread = GetCurrentThreadId())
        : title_(std::move(title)), action_(std::move(action)), scan_([this](HWND hwnd) { Visit(hwnd); }, guiThread) {}
    int Seen() const { return seen_; }
    void SetEnabled(bool enabled) { enabled_ = enabled; }

private:
    void Visit(HWND hwnd) {
        if (!enabled_ || !IsWindowVisible(hwnd) || TextOf(hwnd) != title_ || hwnd == last_) return;
        last_ = hwnd;
        ++seen_;
        action_(hwnd);
    }

    std::wstring title_;
    std::function<void(HWND)> action_;
    std::atomic<bool> enabled_{true};
    std::atomic<int> seen_{0};
    HWND last_ = nullptr;
    ThreadWindowScan scan_;
};

// Answers a window of this thread from another thread: when a visible window with the given title
// appears, presses the control with the given id (BM_CLICK), as a user would; counts the answers.
class WindowAnswerer {
public:
    WindowAnswerer(std::wstring title, int controlId, DWORD guiThread = GetCurrentThreadId())
        : watcher_(std::move(title),
                   [controlId](HWND hwnd) { PostMessageW(GetDlgItem(hwnd, controlId), BM_CLICK, 0, 0); }, guiThread) {}
    int Answers() const { return watcher_.Seen(); }
    void SetEnabled(bool enabled) { watcher_.SetEnabled(enabled); }

private:
    WindowWatcher watcher_;
};

// Records the windows for which this process raises EVENT_OBJECT_LIVEREGIONCHANGED, as a screen reader
// hears of them, while it lives.
class LiveRegionWatcher {
public:
    LiveRegionWatcher() {
        Events().clear();
        hook_ = SetWinEventHook(0x8019, 0x8019, nullptr, &OnEvent, GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    }
    ~LiveRegionWatcher() {
        if (hook_) UnhookWinEvent(hook_);
    }
    LiveRegionWatcher(const LiveRegionWatcher&) = delete;
    LiveRegionWatcher& operator=(const LiveRegionWatcher&) = delete;
    bool Hooked() const { return hook_ != nullptr; }
    // The system's callback takes no context: one list for the watcher that lives.
    static std::vector<HWND>& Events() {
        static std::vector<HWND> events;
        return events;
    }

private:
    static void CALLBACK OnEvent(HWINEVENTHOOK, DWORD, HWND window, LONG, LONG, DWORD, DWORD) { Events().push_back(window); }
    HWINEVENTHOOK hook_ = nullptr;
};

// Runs steps on the GUI thread from inside whatever message loop runs at the time: a modal window's,
// a message box's, a handler's own pumping. Each step waits until its condition holds (checked every
// 10 ms on a timer of a message-only window) and then runs once; no step starts inside another.
class Script {
public:
    Script() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &Script::Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"CorvalinTestScript";
        RegisterClassW(&wc);  // fails harmlessly when another script registered it
        hwnd_ = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        SetTimer(hwnd_, 1, 10, nullptr);
    }
    ~Script() { DestroyWindow(hwnd_); }
    Script(const Script&) = delete;
    Script& operator=(const Script&) = delete;

    void Then(std::function<bool()> when, std::function<void()> action) {
        steps_.push_back({std::move(when), std::move(action)});
    }
    std::size_t Done() const { return next_; }
    bool Finished() const { return next_ == steps_.size(); }

private:
    struct Step {
        std::function<bool()> when;
        std::function<void()> action;
    };
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<Script*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (message == WM_TIMER && self) {
            self->RunNext();
            return 0;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    void RunNext() {
        if (running_ || next_ >= steps_.size() || !steps_[next_].when()) return;
        const std::function<void()> action = steps_[next_++].action;
        running_ = true;
        action();
        running_ = false;
    }

    HWND hwnd_ = nullptr;
    std::vector<Step> steps_;
    std::size_t next_ = 0;
    bool running_ = false;
};

// Handles messages as the program's own message loop does, giving Tab and Enter their dialog meaning
// in the window that holds the control, until pred() is true or the time is up; returns pred().
inline bool PumpDialogUntil(const std::function<bool()>& pred, int timeoutMs) {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    while (!pred()) {
        if (GetTickCount64() >= end) return pred();
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            const HWND root = GetAncestor(msg.hwnd, GA_ROOT);
            if (root && IsDialogMessageW(root, &msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    return true;
}

// A key pressed and released on the focused control, through the thread's queue as typed keys come.
inline void PressKey(WORD key) {
    const HWND focus = GetFocus();
    PostMessageW(focus, WM_KEYDOWN, key, 1);
    PostMessageW(focus, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
}

// Moves the real mouse, through the system's input queue, to a point on the screen, and handles
// messages until pred() is true or the time is up; returns pred().
inline bool MoveMouseTo(POINT at, const std::function<bool()>& pred, int timeoutMs = 1000) {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = static_cast<LONG>((at.x * 65535 + width / 2) / (width - 1));
    input.mi.dy = static_cast<LONG>((at.y * 65535 + height / 2) / (height - 1));
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof input);
    return PumpUntil(pred, timeoutMs);
}

// Moves the real mouse to a point of one of this thread's windows and handles messages until the
// window has handled the move (its WM_SETCURSOR and WM_MOUSEMOVE); returns whether it did in time.
inline bool MoveMouseOnto(POINT at, int timeoutMs = 5000) {
    const auto there = [at] {
        POINT now{};
        GetCursorPos(&now);
        return now.x == at.x && now.y == at.y;
    };
    MoveMouseTo(at, there, timeoutMs);
    return PumpUntilInputHandled(QS_MOUSEMOVE, there, timeoutMs);
}

// The program's " Time Expired" window while it is shown, else nullptr.
inline HWND TimeExpiredWindow() {
    HWND found = FindWindowW(L"CorvalinForm2", L" Time Expired");
    return found && IsWindowVisible(found) ? found : nullptr;
}

inline POINT CentreOf(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

using testcapture::SizeOf;
using testcapture::SoundCapturePath;

// The running test executable, and the program beside it: the tests run in build/windows/tests, the
// program is built one folder up.
inline std::filesystem::path ThisExecutable() {
    wchar_t buffer[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    return buffer;
}
inline std::filesystem::path ProgramExecutable() {
    return ThisExecutable().parent_path().parent_path() / L"Corvalin Timer Software.exe";
}

// Writes bytes into a file of that name in the temporary folder and returns its path.
inline std::wstring WriteTempFile(const std::wstring& name, const void* bytes, std::size_t size) {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    const std::wstring path = std::wstring(temp) + name;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes, static_cast<DWORD>(size), &written, nullptr);
    CloseHandle(file);
    return path;
}
inline std::wstring WriteTempFile(const std::wstring& name, const std::string& bytes) {
    return WriteTempFile(name, bytes.data(), bytes.size());
}
// The byte vectors of the WAV builders (soundtest::Bytes).
inline std::wstring WriteTempFile(const std::wstring& name, const std::vector<std::byte>& bytes) {
    return WriteTempFile(name, bytes.data(), bytes.size());
}

inline std::vector<unsigned char> ReadWholeFile(const std::wstring& path) {
    std::vector<unsigned char> bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    unsigned char chunk[65536];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.insert(bytes.end(), chunk, chunk + got);
    CloseHandle(file);
    return bytes;
}

// A text value of the registry, or nothing when the key or the value is missing.
inline std::optional<std::wstring> RegistryText(HKEY root, const wchar_t* path, const std::wstring& name) {
    wchar_t data[2048] = {};
    DWORD bytes = sizeof data;
    if (RegGetValueW(root, path, name.c_str(), RRF_RT_REG_SZ, nullptr, data, &bytes) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::wstring(data);
}

inline void PutRegistryText(HKEY root, const wchar_t* path, const std::wstring& name, const std::wstring& text) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) return;
    RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

inline void DeleteRegistryValue(HKEY root, const wchar_t* path, const std::wstring& name) {
    RegDeleteKeyValueW(root, path, name.c_str());
}

}  // namespace testsupport
