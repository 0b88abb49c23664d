// The SoundManager's 32 numbered sound buffers and their life (Free, Loaded, Playing) over a wave-out device.
#pragma once

#include "sound/RiffReader.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace sound {

enum class BufferState : std::int32_t { Free = 0, Loaded = 1, Playing = 2 };

// Load flags; other bits are kept but mean nothing.
inline constexpr std::uint32_t PlayOnLoad = 1;
inline constexpr std::uint32_t UnloadWhenDone = 2;
inline constexpr std::uint32_t NoNotify = 4;
// Played again from its start each time it ends, with no gap but the device's own, until stopped.
inline constexpr std::uint32_t RepeatUntilStopped = 8;

inline constexpr std::int32_t kBufferCount = 32;
// The buffer number that means "every buffer" to Stop and Unload.
inline constexpr std::int32_t kAllBuffers = -1;
// An alarm whose device would not open tries again every half second for 15 seconds: right after a
// wake, HDMI and DisplayPort audio often come back a few seconds after the program does.
inline constexpr int kDeviceRetries = 30;
inline constexpr unsigned int kDeviceRetryMilliseconds = 500;
// A repeating alarm with nothing of its own to play sounds the system's alert this often instead.
inline constexpr unsigned int kFallbackRepeatMilliseconds = 2000;

// The player's own message, beside the loader's: a file that reads well in a format no device plays.
inline constexpr wchar_t kCannotPlayFormat[] = L"The sound device cannot play this file's format.";

// A wave-out device handle, 0 for none.
using DeviceHandle = std::uintptr_t;

// Room for the device's own header record (a WAVEHDR), which must not move while the device holds it.
struct WaveHeader {
    alignas(void*) std::array<std::byte, 8 * sizeof(void*)> raw{};
};

// Listener for the buffers' events. The program keeps the slot but installs none.
class SoundManagerNotifier {
public:
    virtual ~SoundManagerNotifier() = default;
    virtual void SoundLoaded(std::int32_t /*BufferIndex*/) {}
    virtual void SoundPlayStart(std::int32_t /*BufferIndex*/) {}
    virtual void SoundPlayEnd(std::int32_t /*BufferIndex*/) {}
    virtual void SoundUnloaded(std::int32_t /*BufferIndex*/) {}
};

// What opening a device gave: its handle, or none and the system's own result code saying why.
struct DeviceOpen {
    DeviceHandle device = 0;
    std::uint32_t result = 0;
};

// The wave-out calls a buffer needs. A device returns a written or reset header later by a completion
// message carrying its handle, which the owner of the table passes to OnDeviceDone.
class WaveOutDevice {
public:
    virtual ~WaveOutDevice() = default;
    // Opens a device for this format record whose completions go to notifyTarget.
    virtual DeviceOpen Open(std::span<const std::byte> format, std::uintptr_t notifyTarget) = 0;
    // Asks, opening nothing, whether a device would open for this format; the result code as Open's.
    virtual std::uint32_t Query(std::span<const std::byte> format) = 0;
    // Whether a refused open means that there is no device yet (none there, busy, short of memory), so
    // that another try may succeed, rather than a refusal that will last (a format no device plays).
    virtual bool DeviceMayCome(std::uint32_t result) const = 0;
    // Points the header at the samples and prepares it for the device.
    virtual void Prepare(DeviceHandle device, WaveHeader& header, std::span<std::byte> samples) = 0;
    // False when the device refused the header: it then holds nothing and hands nothing back.
    virtual bool Write(DeviceHandle device, WaveHeader& header) = 0;
    // Marks a prepared header to play again from its start each time it ends, until the device is reset.
    virtual void Loop(WaveHeader& /*header*/) {}
    virtual void Reset(DeviceHandle device) = 0;
    virtual void Unprepare(DeviceHandle device, WaveHeader& header) = 0;
    virtual void Close(DeviceHandle device) = 0;
    // True once the device has handed this header back (done playing, or reset).
    virtual bool Returned(const WaveHeader& /*header*/) const { return true; }
};

// What loading needs from the platform besides the device.
class SoundHost {
public:
    virtual ~SoundHost() = default;
    // The file opened for reading; nothing when it cannot be opened.
    virtual std::unique_ptr<ByteSource> OpenFile(const std::wstring& fileName) = 0;
    // A plain message box; returns when the user has dismissed it (pending messages run meanwhile).
    virtual void ShowMessage(const std::wstring& text) = 0;
    // The target of the devices' completion messages, created on first use; 0 when it cannot be created.
    virtual std::uintptr_t NotifyTarget() = 0;
    // The system's own alert sound, for an alarm that has no sound of its own to play.
    virtual void PlayFallbackSound() = 0;
};

struct SoundBuffer {
    DeviceHandle device = 0;
    // What the last open of a device for it gave, when it has none.
    std::uint32_t openResult = 0;
    WaveHeader header;
    Samples samples;
    // The file's format record, kept so that a device can be opened for it later.
    std::vector<std::byte> waveFormat;
    BufferState state = BufferState::Free;
    std::uint32_t flags = 0;
};

class BufferTable {
public:
    BufferTable(WaveOutDevice& device, SoundHost& host) : device_(device), host_(host) {}
    // Stops and closes every device still open before their headers and samples are freed; no listener
    // hears of it. The device interface must outlive the table.
    ~BufferTable();
    // Devices hold the addresses of the buffers' headers and samples: the table never moves.
    BufferTable(const BufferTable&) = delete;
    BufferTable& operator=(const BufferTable&) = delete;

    // Reads a WAV file whole into buffer 1 to 32 and opens a device for it. False for another number,
    // after a message for a bad file, or when no completion target can be made. A data chunk of 0 bytes
    // or 2^31 bytes or more raises core::HandlerError. The buffer is Free after every failure.
    bool Load(std::int32_t bufferIndex, const std::wstring& fileName, std::uint32_t flags);
    // Loads as Load does but shows nothing: a file it cannot read leaves the loader's message in
    // `message`, for the caller to show when that suits it.
    bool LoadQuietly(std::int32_t bufferIndex, const std::wstring& fileName, std::uint32_t flags,
                     std::wstring& message);
    // Starts a Loaded buffer. A Playing buffer is stopped instead (false); so is any other number. A
    // header the device refuses is false too, and the sound ends there as if played (UnloadWhenDone frees
    // it).
    bool Play(std::int32_t bufferIndex);
    // Plays a Loaded buffer, or, when it does not start, the host's fallback sound. A buffer that never
    // reached a device is released as its end would release it.
    bool PlayOrFallback(std::int32_t bufferIndex);
    // Resets the device of a Playing buffer (or of every one for -1); the buffer stays Playing until its
    // completion arrives. Other numbers than -1 and 1 to 32 raise core::HandlerError.
    void Stop(std::int32_t bufferIndex);
    // Releases a buffer's device, header and samples (every buffer for -1). Numbers as Stop.
    void Unload(std::int32_t bufferIndex);
    void Shutdown() { Unload(kAllBuffers); }

    // Reads a WAV file as Load does, without a device, and asks the device whether it plays the file's
    // format: false after the loader's message for a file it could not read, or after kCannotPlayFormat.
    // With no device there yet, a file that reads is accepted. Raises as Load does.
    bool Check(const std::wstring& fileName);

    // Plays a buffer as the alarm. When no device is there yet for it, the alarm waits for one: each
    // RetryDevice tries again, kDeviceRetries times. With no sound to play (no buffer, or one that is not
    // Loaded), a device that refuses it, and after the last try, the host's fallback sound plays instead;
    // for a repeating alarm it goes on, each RepeatFallback, until StopAlarm. True while the alarm's own
    // sound plays or waits.
    bool PlayAlarm(std::int32_t bufferIndex, bool repeat = false);
    // One more try at a device for the waiting alarm; it plays from its first sample once one opens.
    // True while it still waits.
    bool RetryDevice();
    bool WaitingForDevice() const { return waiting_ != 0; }
    // The fallback sound once more, while a repeating alarm has nothing else to play; false once it no
    // longer does.
    bool RepeatFallback();
    bool RepeatingFallback() const { return repeatFallback_; }
    // The alarm was answered, or nobody is there to hear it: no more tries, no more fallback sounds, and a
    // repeating alarm's sound stops. Stop and Unload of the waiting buffer end the wait too.
    void StopAlarm();

    // Lowest Free buffer, 0 when all 32 are in use.
    std::int32_t FindFreeBuffer() const;
    // Buffer that holds this device, 0 when none does (and always for the null handle).
    std::int32_t FindBufferByDevice(DeviceHandle device) const;
    // A device returned a header (MM_WOM_DONE).
    void OnDeviceDone(DeviceHandle device);

    // Read access for the module and its tests; numbers outside 1 to 32 raise core::HandlerError.
    BufferState State(std::int32_t bufferIndex) const { return At(bufferIndex).state; }
    DeviceHandle Device(std::int32_t bufferIndex) const { return At(bufferIndex).device; }
    std::uint32_t Flags(std::int32_t bufferIndex) const { return At(bufferIndex).flags; }
    std::span<const std::byte> SampleBytes(std::int32_t bufferIndex) const { return At(bufferIndex).samples.View(); }

    SoundManagerNotifier* Notifier() const { return notifier_; }
    void SetNotifier(SoundManagerNotifier* notifier) { notifier_ = notifier; }

private:
    static bool InRange(std::int32_t bufferIndex) { return bufferIndex >= 1 && bufferIndex <= kBufferCount; }
    SoundBuffer& At(std::int32_t bufferIndex);
    const SoundBuffer& At(std::int32_t bufferIndex) const;
    // The listener, unless there is none or the buffer was loaded with NoNotify.
    SoundManagerNotifier* NotifierFor(const SoundBuffer& buffer) const;
    // Reads a WAV file whole: false for one it cannot read, after its message (kept in quietMessage
    // instead of shown, when given), or when beforeSamples, asked between the layout and the samples,
    // says not to go on.
    bool ReadWave(const std::wstring& fileName, WaveLayout& layout, Samples& samples,
                  const std::function<bool()>& beforeSamples, std::wstring* quietMessage = nullptr);
    bool LoadInto(std::int32_t bufferIndex, const std::wstring& fileName, std::uint32_t flags,
                  std::wstring* quietMessage);
    void StopWaiting();
    void ReleaseUnplayed(std::int32_t bufferIndex);
    // The host's fallback sound for the alarm, repeated from then on when the alarm repeats.
    void Fallback();

    WaveOutDevice& device_;
    SoundHost& host_;
    SoundManagerNotifier* notifier_ = nullptr;
    // The alarm's buffer while it waits for a device, 0 otherwise, and the tries it has left.
    std::int32_t waiting_ = 0;
    int triesLeft_ = 0;
    // The alarm's buffer (0 for none) until it is released, whether it repeats, and whether the
    // fallback sound repeats in its place.
    std::int32_t alarm_ = 0;
    bool repeat_ = false;
    bool repeatFallback_ = false;
    std::array<SoundBuffer, kBufferCount> buffers_{};
};

}  // namespace sound
