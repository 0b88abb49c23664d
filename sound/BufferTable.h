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

// The wave-out calls a buffer needs. A device returns a written or reset header later by a completion
// message carrying its handle, which the owner of the table passes to OnDeviceDone.
class WaveOutDevice {
public:
    virtual ~WaveOutDevice() = default;
    // Opens a device for this format record whose completions go to notifyTarget; 0 when none accepts it.
    virtual DeviceHandle Open(std::span<const std::byte> format, std::uintptr_t notifyTarget) = 0;
    // Points the header at the samples and prepares it for the device.
    virtual void Prepare(DeviceHandle device, WaveHeader& header, std::span<std::byte> samples) = 0;
    virtual void Write(DeviceHandle device, WaveHeader& header) = 0;
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
    WaveHeader header;
    Samples samples;
    // The file's format record, kept so that a device can be opened for it later.
    std::vector<std::byte> format;
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
    // Starts a Loaded buffer. A Playing buffer is stopped instead (false); so is any other number.
    bool Play(std::int32_t bufferIndex);
    // Resets the device of a Playing buffer (or of every one for -1); the buffer stays Playing until its
    // completion arrives. Other numbers than -1 and 1 to 32 raise core::HandlerError.
    void Stop(std::int32_t bufferIndex);
    // Releases a buffer's device, header and samples (every buffer for -1). Numbers as Stop.
    void Unload(std::int32_t bufferIndex);
    void Shutdown() { Unload(kAllBuffers); }

    // Reads a WAV file as Load does, without a device: false after the message for a file it could not
    // play. Raises as Load does.
    bool Check(const std::wstring& fileName);

    // Plays a buffer as the alarm. When no device would open for it, the alarm waits for one: each
    // RetryDevice tries again, kDeviceRetries times. With no sound to play (no buffer, or one that is not
    // Loaded) and after the last try, the host's fallback sound plays instead. True while the alarm's
    // own sound plays or waits.
    bool PlayAlarm(std::int32_t bufferIndex);
    // One more try at a device for the waiting alarm; it plays from its first sample once one opens.
    // True while it still waits.
    bool RetryDevice();
    bool WaitingForDevice() const { return waiting_ != 0; }
    // The alarm was answered: no more tries. Stop and Unload of the waiting buffer end the wait too.
    void StopWaiting();

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
    // Reads a WAV file whole, after the message for one it cannot read: false then, or when
    // beforeSamples, asked between the layout and the samples, says not to go on.
    bool ReadWave(const std::wstring& fileName, WaveLayout& layout, Samples& samples,
                  const std::function<bool()>& beforeSamples);

    WaveOutDevice& device_;
    SoundHost& host_;
    SoundManagerNotifier* notifier_ = nullptr;
    // The alarm's buffer while it waits for a device, 0 otherwise, and the tries it has left.
    std::int32_t waiting_ = 0;
    int triesLeft_ = 0;
    std::array<SoundBuffer, kBufferCount> buffers_{};
};

}  // namespace sound
