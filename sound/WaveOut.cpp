// The winmm wave-out calls of a sound buffer and positional reads of its WAV file.
#include "sound/WaveOut.h"

#include "ui/ProcAddress.h"

#include <mmsystem.h>

#include <algorithm>
#include <new>

namespace sound {

namespace {

static_assert(sizeof(WAVEHDR) <= sizeof(WaveHeader::raw) && alignof(WAVEHDR) <= alignof(WaveHeader),
              "a buffer's header room must hold a WAVEHDR");

// The WAVEHDR that lives in a buffer's header room. The room is all zeros until Prepare fills it, which is
// a valid empty header: no loops, no flags.
WAVEHDR* HeaderOf(WaveHeader& header) { return std::launder(reinterpret_cast<WAVEHDR*>(header.raw.data())); }

// winmm's wave-out calls, from winmm loaded at the first sound: the program starts without it. A
// system without winmm has no driver; the calls on a device are never reached without an open one.
struct WaveOutCalls {
    decltype(&waveOutOpen) open = nullptr;
    decltype(&waveOutPrepareHeader) prepare = nullptr;
    decltype(&waveOutWrite) write = nullptr;
    decltype(&waveOutReset) reset = nullptr;
    decltype(&waveOutUnprepareHeader) unprepare = nullptr;
    decltype(&waveOutClose) close = nullptr;
};

const WaveOutCalls& Winmm() {
    static const WaveOutCalls calls = [] {
        const HMODULE winmm = ui::LoadSystemModule(L"winmm.dll");
        return WaveOutCalls{ui::ProcAddress<decltype(&waveOutOpen)>(winmm, "waveOutOpen"),
                            ui::ProcAddress<decltype(&waveOutPrepareHeader)>(winmm, "waveOutPrepareHeader"),
                            ui::ProcAddress<decltype(&waveOutWrite)>(winmm, "waveOutWrite"),
                            ui::ProcAddress<decltype(&waveOutReset)>(winmm, "waveOutReset"),
                            ui::ProcAddress<decltype(&waveOutUnprepareHeader)>(winmm, "waveOutUnprepareHeader"),
                            ui::ProcAddress<decltype(&waveOutClose)>(winmm, "waveOutClose")};
    }();
    return calls;
}

MMRESULT OpenWaveOut(HWAVEOUT* device, const WAVEFORMATEX* format, DWORD_PTR callback, DWORD flags) {
    const auto open = Winmm().open;
    return open ? open(device, WAVE_MAPPER, format, callback, 0, flags) : MMRESULT{MMSYSERR_NODRIVER};
}

}  // namespace

SoundSystem SoundSystem::Platform() {
    return {[](HWAVEOUT* device, const WAVEFORMATEX* format, DWORD_PTR window) {
                return OpenWaveOut(device, format, window, CALLBACK_WINDOW);
            },
            [] { MessageBeep(MB_ICONEXCLAMATION); },
            [](const WAVEFORMATEX* format) { return OpenWaveOut(nullptr, format, 0, WAVE_FORMAT_QUERY); }};
}

DeviceOpen WaveOut::Open(std::span<const std::byte> format, std::uintptr_t notifyTarget) {
    HWAVEOUT device = nullptr;
    const MMRESULT result =
        system_.openDevice(&device, reinterpret_cast<const WAVEFORMATEX*>(format.data()), notifyTarget);
    if (result != MMSYSERR_NOERROR) return {0, result};
    return {ToDevice(device), result};
}

std::uint32_t WaveOut::Query(std::span<const std::byte> format) {
    return system_.queryFormat(reinterpret_cast<const WAVEFORMATEX*>(format.data()));
}

bool WaveOut::DeviceMayCome(std::uint32_t result) const {
    // No driver or no device yet (HDMI audio just after a wake), the device held by another program, or
    // memory short for the moment. A format the device refuses (WAVERR_BADFORMAT), and anything else,
    // would be refused again.
    return result == MMSYSERR_NODRIVER || result == MMSYSERR_BADDEVICEID || result == MMSYSERR_ALLOCATED ||
           result == MMSYSERR_NOMEM;
}

void WaveOut::Prepare(DeviceHandle device, WaveHeader& header, std::span<std::byte> samples) {
    WAVEHDR* waveHeader = new (header.raw.data()) WAVEHDR{};
    waveHeader->lpData = reinterpret_cast<LPSTR>(samples.data());
    waveHeader->dwBufferLength = static_cast<DWORD>(samples.size());
    if (const auto prepare = Winmm().prepare) prepare(ToHandle(device), waveHeader, sizeof(WAVEHDR));
}

bool WaveOut::Write(DeviceHandle device, WaveHeader& header) {
    const auto write = Winmm().write;
    return write && write(ToHandle(device), HeaderOf(header), sizeof(WAVEHDR)) == MMSYSERR_NOERROR;
}

void WaveOut::Loop(WaveHeader& header) {
    // One header that both begins and ends the loop: the device plays it dwLoops times over without a
    // gap, and hands it back only then or at a reset. Four billion plays outlast any alarm.
    WAVEHDR* waveHeader = HeaderOf(header);
    waveHeader->dwFlags |= WHDR_BEGINLOOP | WHDR_ENDLOOP;
    waveHeader->dwLoops = 0xFFFFFFFF;
}

void WaveOut::Reset(DeviceHandle device) {
    if (const auto reset = Winmm().reset) reset(ToHandle(device));
}

void WaveOut::Unprepare(DeviceHandle device, WaveHeader& header) {
    if (const auto unprepare = Winmm().unprepare) unprepare(ToHandle(device), HeaderOf(header), sizeof(WAVEHDR));
}

void WaveOut::Close(DeviceHandle device) {
    if (const auto close = Winmm().close) close(ToHandle(device));
}

bool WaveOut::Returned(const WaveHeader& header) const {
    const WAVEHDR* waveHeader = std::launder(reinterpret_cast<const WAVEHDR*>(header.raw.data()));
    return (waveHeader->dwFlags & WHDR_DONE) != 0;
}

std::unique_ptr<FileSource> FileSource::Open(const std::wstring& fileName) {
    core::UniqueFile file(CreateFileW(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return nullptr;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) return nullptr;
    return std::unique_ptr<FileSource>(new FileSource(std::move(file), static_cast<std::uint64_t>(size.QuadPart)));
}

std::size_t FileSource::ReadAt(std::uint64_t offset, std::span<std::byte> out) {
    std::size_t done = 0;
    while (done < out.size()) {
        // The offset goes in the OVERLAPPED record, so each read says where it starts and no seek is needed.
        OVERLAPPED at{};
        const std::uint64_t position = offset + done;
        at.Offset = static_cast<DWORD>(position);
        at.OffsetHigh = static_cast<DWORD>(position >> 32);
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(out.size() - done, 0x40000000));
        DWORD got = 0;
        if (!ReadFile(file_.get(), out.data() + done, want, &got, &at) || got == 0) break;
        done += got;
    }
    return done;
}

}  // namespace sound
