// The Win32 side of the sound buffers: the winmm wave-out device and WAV files read through a wide path.
#pragma once

#include "core/Handles.h"
#include "sound/BufferTable.h"
#include "sound/RiffReader.h"

#include <windows.h>
#include <mmsystem.h>

#include <functional>
#include <memory>
#include <string>

namespace sound {

// The system calls the sound of the alarm rests on, one table for the module; a test puts its own in
// between to refuse the device or to hear the fallback.
struct SoundSystem {
    // waveOutOpen through the wave mapper, completions posted to the window (CALLBACK_WINDOW).
    std::function<MMRESULT(HWAVEOUT* device, const WAVEFORMATEX* format, DWORD_PTR window)> openDevice;
    // MessageBeep(MB_ICONEXCLAMATION): the system's alert sound, or the speaker's beep without a device.
    std::function<void()> fallbackSound;
    // waveOutOpen through the wave mapper with WAVE_FORMAT_QUERY: whether a device plays the format.
    std::function<MMRESULT(const WAVEFORMATEX* format)> queryFormat;

    static SoundSystem Platform();
};

// Wave-out through the wave mapper, completions posted to a window (CALLBACK_WINDOW).
class WaveOut final : public WaveOutDevice {
public:
    explicit WaveOut(const SoundSystem& system) : system_(system) {}

    DeviceOpen Open(std::span<const std::byte> format, std::uintptr_t notifyTarget) override;
    std::uint32_t Query(std::span<const std::byte> format) override;
    bool DeviceMayCome(std::uint32_t result) const override;
    void Prepare(DeviceHandle device, WaveHeader& header, std::span<std::byte> samples) override;
    bool Write(DeviceHandle device, WaveHeader& header) override;
    void Loop(WaveHeader& header) override;
    void Reset(DeviceHandle device) override;
    void Unprepare(DeviceHandle device, WaveHeader& header) override;
    void Close(DeviceHandle device) override;
    bool Returned(const WaveHeader& header) const override;

    static DeviceHandle ToDevice(HWAVEOUT device) { return reinterpret_cast<DeviceHandle>(device); }
    static HWAVEOUT ToHandle(DeviceHandle device) { return reinterpret_cast<HWAVEOUT>(device); }

private:
    const SoundSystem& system_;
};

// A file opened for reading with CreateFileW, so any path that exists opens, whatever the code page.
class FileSource final : public ByteSource {
public:
    // Nothing when the file cannot be opened.
    static std::unique_ptr<FileSource> Open(const std::wstring& fileName);

    std::uint64_t Size() const override { return size_; }
    std::size_t ReadAt(std::uint64_t offset, std::span<std::byte> out) override;

private:
    FileSource(core::UniqueFile file, std::uint64_t size) : file_(std::move(file)), size_(size) {}

    core::UniqueFile file_;
    std::uint64_t size_;
};

}  // namespace sound
