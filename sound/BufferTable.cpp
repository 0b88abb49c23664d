// The SoundManager's buffer table: loading, playing, stopping and releasing the 32 numbered buffers.
#include "sound/BufferTable.h"

#include "core/ErrorReport.h"

#include <utility>

namespace sound {

BufferTable::~BufferTable() {
    // A device still open holds the addresses of its header and samples, and a playing one goes on
    // reading them: release them as Unload does. The table may go at static destruction, after its
    // listener is gone, so nothing is told.
    notifier_ = nullptr;
    Shutdown();
}

SoundBuffer& BufferTable::At(std::int32_t bufferIndex) {
    if (!InRange(bufferIndex)) throw core::HandlerError(core::kSubscriptOutOfRange);
    return buffers_[static_cast<std::size_t>(bufferIndex - 1)];
}

const SoundBuffer& BufferTable::At(std::int32_t bufferIndex) const {
    if (!InRange(bufferIndex)) throw core::HandlerError(core::kSubscriptOutOfRange);
    return buffers_[static_cast<std::size_t>(bufferIndex - 1)];
}

SoundManagerNotifier* BufferTable::NotifierFor(const SoundBuffer& buffer) const {
    return (buffer.flags & NoNotify) != 0 ? nullptr : notifier_;
}

bool BufferTable::Load(std::int32_t bufferIndex, const std::wstring& fileName, std::uint32_t flags) {
    return LoadInto(bufferIndex, fileName, flags, nullptr);
}

bool BufferTable::LoadQuietly(std::int32_t bufferIndex, const std::wstring& fileName, std::uint32_t flags,
                              std::wstring& message) {
    message.clear();
    return LoadInto(bufferIndex, fileName, flags, &message);
}

bool BufferTable::LoadInto(std::int32_t bufferIndex, const std::wstring& fileName, std::uint32_t flags,
                           std::wstring* quietMessage) {
    if (!InRange(bufferIndex)) return false;
    Unload(bufferIndex);

    // Without the notification window no buffer would ever be seen to finish. The samples are read
    // aside and become the buffer's only on success, so a failed load (or one that raises) leaves the
    // buffer Free with nothing allocated.
    std::uintptr_t notifyTarget = 0;
    WaveLayout layout;
    Samples samples;
    if (!ReadWave(fileName, layout, samples, [&] { return (notifyTarget = host_.NotifyTarget()) != 0; },
                  quietMessage)) {
        return false;
    }

    SoundBuffer& buffer = At(bufferIndex);
    buffer.samples = std::move(samples);
    buffer.waveFormat = std::move(layout.WaveFormat);
    // No device accepting the format is not reported: the buffer is Loaded and Play returns false. Why
    // none opened is kept, for the alarm to tell a device still to come from a refusal.
    const DeviceOpen opened = device_.Open(buffer.waveFormat, notifyTarget);
    buffer.device = opened.device;
    buffer.openResult = opened.result;
    if (buffer.device != 0) device_.Prepare(buffer.device, buffer.header, buffer.samples.View());
    buffer.state = BufferState::Loaded;
    buffer.flags = flags;
    if (SoundManagerNotifier* notifier = NotifierFor(buffer)) notifier->SoundLoaded(bufferIndex);
    if ((flags & PlayOnLoad) != 0) Play(bufferIndex);
    return true;
}

bool BufferTable::Play(std::int32_t bufferIndex) {
    if (!InRange(bufferIndex)) return false;
    Stop(bufferIndex);
    // A Playing buffer was only reset just now; it stays Playing until its completion arrives.
    SoundBuffer& buffer = At(bufferIndex);
    if (buffer.state != BufferState::Loaded) return false;
    if (buffer.device == 0) return false;
    if ((buffer.flags & RepeatUntilStopped) != 0) device_.Loop(buffer.header);
    if (!device_.Write(buffer.device, buffer.header)) {
        // The device holds nothing and will hand nothing back: the sound ends here, and a buffer loaded
        // to be released when done is released now.
        if ((buffer.flags & UnloadWhenDone) != 0) Unload(bufferIndex);
        return false;
    }
    buffer.state = BufferState::Playing;
    if (SoundManagerNotifier* notifier = NotifierFor(buffer)) notifier->SoundPlayStart(bufferIndex);
    return true;
}

bool BufferTable::PlayOrFallback(std::int32_t bufferIndex) {
    if (Play(bufferIndex)) return true;
    ReleaseUnplayed(bufferIndex);
    host_.PlayFallbackSound();
    return false;
}

void BufferTable::ReleaseUnplayed(std::int32_t bufferIndex) {
    // A buffer that never reached a device is never handed back: release it now, as its end would.
    if (InRange(bufferIndex) && At(bufferIndex).state == BufferState::Loaded &&
        (At(bufferIndex).flags & UnloadWhenDone) != 0) {
        Unload(bufferIndex);
    }
}

void BufferTable::Stop(std::int32_t bufferIndex) {
    if (bufferIndex == kAllBuffers) {
        for (std::int32_t i = 1; i <= kBufferCount; ++i) Stop(i);
        return;
    }
    SoundBuffer& buffer = At(bufferIndex);
    if (bufferIndex == waiting_) StopWaiting();
    // The state changes only when the device's completion for the reset is handled.
    if (buffer.state == BufferState::Playing && buffer.device != 0) device_.Reset(buffer.device);
}

void BufferTable::Unload(std::int32_t bufferIndex) {
    if (bufferIndex == kAllBuffers) {
        for (std::int32_t i = 1; i <= kBufferCount; ++i) {
            if (At(i).state != BufferState::Free) Unload(i);
        }
        return;
    }
    SoundBuffer& buffer = At(bufferIndex);
    if (buffer.state == BufferState::Free) return;
    if (bufferIndex == waiting_) waiting_ = 0;
    if (bufferIndex == alarm_) alarm_ = 0;
    Stop(bufferIndex);
    // The completion that the reset causes arrives after this; it then names a handle no buffer holds.
    if (buffer.device != 0) {
        device_.Unprepare(buffer.device, buffer.header);
        device_.Close(buffer.device);
    }
    buffer.device = 0;
    buffer.openResult = 0;
    buffer.samples = {};
    buffer.waveFormat.clear();
    buffer.header = {};
    buffer.state = BufferState::Free;
    if (SoundManagerNotifier* notifier = NotifierFor(buffer)) notifier->SoundUnloaded(bufferIndex);
}

bool BufferTable::Check(const std::wstring& fileName) {
    WaveLayout layout;
    Samples samples;
    if (!ReadWave(fileName, layout, samples, [] { return true; })) return false;
    // Asked of whichever device the alarm would open; with none there yet, nothing can be known.
    const std::uint32_t result = device_.Query(layout.WaveFormat);
    if (result == 0 || device_.DeviceMayCome(result)) return true;
    host_.ShowMessage(kCannotPlayFormat);
    return false;
}

bool BufferTable::ReadWave(const std::wstring& fileName, WaveLayout& layout, Samples& samples,
                           const std::function<bool()>& beforeSamples, std::wstring* quietMessage) {
    // The file stays open until the read returns, message boxes included, and closes on every way out.
    const std::unique_ptr<ByteSource> file = host_.OpenFile(fileName);
    std::optional<std::wstring> message;
    if (!file) {
        message = kCannotOpenFile;
    } else if (!(message = ReadWaveLayout(*file, layout))) {
        if (!beforeSamples()) return false;
        message = ReadSamples(*file, layout, samples);
    }
    if (message && quietMessage) {
        *quietMessage = *message;
    } else if (message) {
        host_.ShowMessage(*message);
    }
    return !message;
}

bool BufferTable::PlayAlarm(std::int32_t bufferIndex, bool repeat) {
    StopAlarm();
    alarm_ = InRange(bufferIndex) ? bufferIndex : 0;
    repeat_ = repeat;
    if (Play(bufferIndex)) return true;
    if (InRange(bufferIndex) && At(bufferIndex).state == BufferState::Loaded && At(bufferIndex).device == 0 &&
        device_.DeviceMayCome(At(bufferIndex).openResult)) {
        waiting_ = bufferIndex;
        triesLeft_ = kDeviceRetries;
        return true;
    }
    // Nothing to play, a format the device refuses, a header it would not take: the system's sound at
    // once.
    ReleaseUnplayed(bufferIndex);
    Fallback();
    return false;
}

bool BufferTable::RetryDevice() {
    if (waiting_ == 0) return false;
    SoundBuffer& buffer = At(waiting_);
    const std::uintptr_t notifyTarget = host_.NotifyTarget();
    if (notifyTarget != 0) {
        const DeviceOpen opened = device_.Open(buffer.waveFormat, notifyTarget);
        buffer.device = opened.device;
        buffer.openResult = opened.result;
    }
    if (buffer.device != 0) {
        // A header prepared afresh: the sound plays from its first sample, however late.
        device_.Prepare(buffer.device, buffer.header, buffer.samples.View());
        if (!Play(std::exchange(waiting_, 0))) Fallback();
        return false;
    }
    // A device that came and refuses the format will not change its mind.
    if (device_.DeviceMayCome(buffer.openResult) && --triesLeft_ > 0) return true;
    StopWaiting();
    Fallback();
    return false;
}

void BufferTable::StopWaiting() { ReleaseUnplayed(std::exchange(waiting_, 0)); }

void BufferTable::Fallback() {
    host_.PlayFallbackSound();
    repeatFallback_ = repeat_;
}

bool BufferTable::RepeatFallback() {
    if (repeatFallback_) host_.PlayFallbackSound();
    return repeatFallback_;
}

void BufferTable::StopAlarm() {
    StopWaiting();
    repeatFallback_ = false;
    // A single play ends by itself; a repeating one would go on until stopped.
    if (std::exchange(repeat_, false) && alarm_ != 0) Stop(alarm_);
    alarm_ = 0;
}

std::int32_t BufferTable::FindFreeBuffer() const {
    for (std::int32_t i = 1; i <= kBufferCount; ++i) {
        if (At(i).state == BufferState::Free) return i;
    }
    return 0;
}

std::int32_t BufferTable::FindBufferByDevice(DeviceHandle device) const {
    // Free buffers hold the null handle; a completion never names it.
    if (device == 0) return 0;
    for (std::int32_t i = 1; i <= kBufferCount; ++i) {
        if (At(i).device == device) return i;
    }
    return 0;
}

void BufferTable::OnDeviceDone(DeviceHandle device) {
    const std::int32_t bufferIndex = FindBufferByDevice(device);
    if (bufferIndex == 0) return;
    SoundBuffer& buffer = At(bufferIndex);
    // Only a Playing buffer has a header out at its device. A completion for a Loaded buffer is a late one
    // from an earlier device that had the same handle; finishing the new sound for it would free a sound
    // that was never played.
    if (buffer.state != BufferState::Playing) return;
    // Device handles are handed out again: a late completion of an unloaded device can name the device of
    // a sound that is playing now. Only the buffer's own header, handed back, ends that sound.
    if (!device_.Returned(buffer.header)) return;
    if (SoundManagerNotifier* notifier = NotifierFor(buffer)) {
        notifier->SoundPlayEnd(bufferIndex);
        // The listener may have unloaded or reloaded the buffer; then this completion is no longer its.
        if (buffer.device != device || buffer.state != BufferState::Playing) return;
    }
    buffer.state = BufferState::Loaded;
    if ((buffer.flags & UnloadWhenDone) != 0) Unload(bufferIndex);
}

}  // namespace sound
