// The SoundManager module: its one table of buffers, the wave-out device and the notification window.
#include "sound/SoundManager.h"

#include "core/Program.h"
#include "sound/WaveOut.h"

#include <mmsystem.h>

#include <utility>

namespace sound {

namespace {

constexpr wchar_t kNotifyClass[] = L"STATIC";
constexpr wchar_t kNotifyTitle[] = L"Soundmanager Window";

// The hidden window the devices post MM_WOM_DONE to, subclassed with NotifyWindowProc. Unhooks itself
// before it is destroyed, so the procedure never runs for a window that is going away with the module.
class NotifyWindowHook {
public:
    NotifyWindowHook() = default;
    NotifyWindowHook(const NotifyWindowHook&) = delete;
    NotifyWindowHook& operator=(const NotifyWindowHook&) = delete;
    ~NotifyWindowHook() { Destroy(); }

    HWND Window() const { return window_; }
    WNDPROC Replaced() const { return replaced_; }

    bool Create() {
        HWND window = CreateWindowExW(0, kNotifyClass, kNotifyTitle, WS_POPUP | SS_SIMPLE, 0, 0, 100, 20, nullptr,
                                      nullptr, GetModuleHandleW(nullptr), nullptr);
        if (window == nullptr) return false;
        window_ = window;
        replaced_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&NotifyWindowProc)));
        return true;
    }

    void Destroy() {
        HWND window = std::exchange(window_, nullptr);
        if (window == nullptr) return;
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(replaced_));
        DestroyWindow(window);
        replaced_ = nullptr;
    }

    // Someone else destroyed the window: forget it, so the next Load makes a new one.
    void Forget() { window_ = nullptr; }

private:
    HWND window_ = nullptr;
    WNDPROC replaced_ = nullptr;
};

class Host final : public SoundHost {
public:
    std::unique_ptr<ByteSource> OpenFile(const std::wstring& fileName) override { return FileSource::Open(fileName); }
    // A modal box: messages pending for the program, device completions included, run while it is up.
    void ShowMessage(const std::wstring& text) override { core::ShowUserMessage(text); }
    std::uintptr_t NotifyTarget() override;
    void PlayFallbackSound() override;
};

struct Module {
    SoundSystem system = SoundSystem::Platform();
    WaveOut device{system};
    Host host;
    BufferTable table{device, host};
    // Declared last, so it is unhooked and destroyed first.
    NotifyWindowHook notify;
};

// The SoundManager module's table: the buffers, the notification window and the listener reference.
Module soundManager;

std::uintptr_t Host::NotifyTarget() {
    if (soundManager.notify.Window() == nullptr && !CreateNotifyWindow()) return 0;
    return reinterpret_cast<std::uintptr_t>(soundManager.notify.Window());
}

void Host::PlayFallbackSound() { soundManager.system.fallbackSound(); }

// The retry timer runs only while the alarm waits for a device, the repeat timer only while the
// fallback sound repeats.
void KillIdleTimers() {
    HWND window = soundManager.notify.Window();
    if (window == nullptr) return;
    if (!soundManager.table.WaitingForDevice()) KillTimer(window, kDeviceRetryTimer);
    if (!soundManager.table.RepeatingFallback()) KillTimer(window, kFallbackRepeatTimer);
}

void StartTimers() {
    if (soundManager.table.WaitingForDevice()) {
        // The buffer was loaded, so the notification window exists. Without a timer the tries are all
        // made now, so that the fallback sound still comes.
        HWND window = soundManager.notify.Window();
        if (window == nullptr || SetTimer(window, kDeviceRetryTimer, kDeviceRetryMilliseconds, nullptr) == 0) {
            while (soundManager.table.RetryDevice()) {
            }
        }
    }
    if (soundManager.table.RepeatingFallback()) {
        // With no file at all nothing was loaded: the window is made for its timer.
        HWND window = reinterpret_cast<HWND>(soundManager.host.NotifyTarget());
        if (window != nullptr) SetTimer(window, kFallbackRepeatTimer, kFallbackRepeatMilliseconds, nullptr);
    }
    KillIdleTimers();
}

}  // namespace

bool Load(std::int32_t bufferIndex, const std::wstring& fileName, std::uint32_t flags) {
    const bool loaded = soundManager.table.Load(bufferIndex, fileName, flags);
    KillIdleTimers();
    return loaded;
}

bool LoadQuietly(std::int32_t bufferIndex, const std::wstring& fileName, std::uint32_t flags, std::wstring& message) {
    const bool loaded = soundManager.table.LoadQuietly(bufferIndex, fileName, flags, message);
    KillIdleTimers();
    return loaded;
}

bool Play(std::int32_t bufferIndex) {
    const bool started = soundManager.table.Play(bufferIndex);
    KillIdleTimers();
    return started;
}

bool PlayOrFallback(std::int32_t bufferIndex) {
    const bool started = soundManager.table.PlayOrFallback(bufferIndex);
    KillIdleTimers();
    return started;
}

void Stop(std::int32_t bufferIndex) {
    soundManager.table.Stop(bufferIndex);
    KillIdleTimers();
}

void Unload(std::int32_t bufferIndex) {
    soundManager.table.Unload(bufferIndex);
    KillIdleTimers();
}

bool PlayAlarm(std::int32_t bufferIndex, bool repeat) {
    const bool ownSound = soundManager.table.PlayAlarm(bufferIndex, repeat);
    StartTimers();
    return ownSound;
}

void StopAlarm() {
    soundManager.table.StopAlarm();
    KillIdleTimers();
}

bool Check(const std::wstring& fileName) { return soundManager.table.Check(fileName); }

void UseSystem(SoundSystem system) { soundManager.system = std::move(system); }

void Shutdown() {
    soundManager.table.Shutdown();
    // The completions of the resets above are still queued; with the window gone they are dropped.
    soundManager.notify.Destroy();
}

std::int32_t FindFreeBuffer() { return soundManager.table.FindFreeBuffer(); }

std::int32_t FindBufferByDevice(HWAVEOUT device) {
    return soundManager.table.FindBufferByDevice(WaveOut::ToDevice(device));
}

bool CreateNotifyWindow() {
    if (soundManager.notify.Window() != nullptr) return false;
    return soundManager.notify.Create();
}

LRESULT CALLBACK NotifyWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const WNDPROC replaced = soundManager.notify.Replaced();
    if (message == MM_WOM_DONE) {
        // No exception may cross into the system's dispatch; a listener is the only thing that could raise.
        try {
            soundManager.table.OnDeviceDone(WaveOut::ToDevice(reinterpret_cast<HWAVEOUT>(wParam)));
        } catch (...) {
        }
    } else if (message == WM_TIMER && (wParam == kDeviceRetryTimer || wParam == kFallbackRepeatTimer)) {
        try {
            if (wParam == kDeviceRetryTimer && !soundManager.table.RetryDevice()) StartTimers();
            if (wParam == kFallbackRepeatTimer) soundManager.table.RepeatFallback();
        } catch (...) {
        }
        KillIdleTimers();
    } else if (message == WM_NCDESTROY && hwnd == soundManager.notify.Window()) {
        soundManager.notify.Forget();
    }
    return replaced != nullptr ? CallWindowProcW(replaced, hwnd, message, wParam, lParam)
                               : DefWindowProcW(hwnd, message, wParam, lParam);
}

SoundManagerNotifier* Notifier() { return soundManager.table.Notifier(); }
void SetNotifier(SoundManagerNotifier* notifier) { soundManager.table.SetNotifier(notifier); }

BufferState State(std::int32_t bufferIndex) { return soundManager.table.State(bufferIndex); }
HWAVEOUT Device(std::int32_t bufferIndex) { return WaveOut::ToHandle(soundManager.table.Device(bufferIndex)); }
std::span<const std::byte> SampleBytes(std::int32_t bufferIndex) { return soundManager.table.SampleBytes(bufferIndex); }
HWND NotifyWindow() { return soundManager.notify.Window(); }

}  // namespace sound
