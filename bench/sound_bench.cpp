// Sound loading against a plain read of the same 100 MB WAV file, and the memory a loaded buffer holds.
#include "sound/SoundManager.h"

#include "core/Handles.h"
#include "tests/native/sound_wav_builder.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kDataBytes = 100u * 1024u * 1024u;
constexpr int kRounds = 5;

using Clock = std::chrono::steady_clock;

// The 100 MB file, written in pieces so the bench itself never holds it twice.
bool WriteBigWav(const std::wstring& name) {
    core::UniqueFile file(CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    soundtest::Bytes header = soundtest::RawChunk("RIFF", 4 + 24 + 8 + kDataBytes, {});
    soundtest::Put(header, "WAVE");
    soundtest::Put(header, soundtest::Chunk("fmt ", soundtest::Format16(1, 2, 44100, 16)));
    soundtest::Put(header, "data");
    soundtest::Put32(header, kDataBytes);
    const soundtest::Bytes piece = soundtest::Pattern(1024 * 1024);
    DWORD written = 0;
    if (!WriteFile(file.get(), header.data(), static_cast<DWORD>(header.size()), &written, nullptr)) return false;
    for (std::uint32_t done = 0; done < kDataBytes; done += static_cast<std::uint32_t>(piece.size())) {
        if (!WriteFile(file.get(), piece.data(), static_cast<DWORD>(piece.size()), &written, nullptr)) return false;
    }
    return true;
}

// What any program would do to have the file in memory: its size, one block, one read.
std::size_t PlainRead(const std::wstring& name) {
    core::UniqueFile file(CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size)) return 0;
    auto bytes = std::make_unique_for_overwrite<std::byte[]>(static_cast<std::size_t>(size.QuadPart));
    DWORD got = 0;
    if (!ReadFile(file.get(), bytes.get(), static_cast<DWORD>(size.QuadPart), &got, nullptr)) return 0;
    return got;
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Committed private memory of the process, summed region by region: every allocation of a loaded buffer
// shows here, whoever made it (Wine reports no private bytes in its process counters).
std::uint64_t CommittedPrivateBytes() {
    std::uint64_t total = 0;
    MEMORY_BASIC_INFORMATION region{};
    for (auto* at = static_cast<const char*>(nullptr); VirtualQuery(at, &region, sizeof(region)) == sizeof(region);) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
        const auto next = reinterpret_cast<std::uintptr_t>(region.BaseAddress) + region.RegionSize;
        if (next <= reinterpret_cast<std::uintptr_t>(at)) break;
        at = reinterpret_cast<const char*>(next);
    }
    return total;
}

}  // namespace

int wmain() {
    const std::wstring name = L"sound_bench_100mb.wav";
    if (!WriteBigWav(name)) {
        std::printf("could not write %ls\n", name.c_str());
        return 1;
    }
    // Both contenders read from the system's file cache: warm it once first.
    PlainRead(name);

    std::vector<double> plain, load;
    for (int round = 0; round < kRounds; ++round) {
        auto start = Clock::now();
        const std::size_t read = PlainRead(name);
        plain.push_back(Seconds(Clock::now() - start));

        start = Clock::now();
        const bool loaded = sound::Load(1, name, 0);
        load.push_back(Seconds(Clock::now() - start));
        sound::Unload(1);
        if (read == 0 || !loaded) {
            std::printf("read %zu bytes, load %s\n", read, loaded ? "ok" : "failed");
            return 1;
        }
    }
    std::sort(plain.begin(), plain.end());
    std::sort(load.begin(), load.end());
    const double plainMedian = plain[kRounds / 2];
    const double loadMedian = load[kRounds / 2];

    const std::uint64_t before = CommittedPrivateBytes();
    sound::Load(1, name, 0);
    const std::uint64_t after = CommittedPrivateBytes();
    const std::size_t held = sound::SampleBytes(1).size();
    sound::Shutdown();
    DeleteFileW(name.c_str());

    std::printf("sound_bench: %u MB of PCM data, median of %d rounds\n", kDataBytes / (1024 * 1024), kRounds);
    std::printf("  plain read into memory  %8.1f ms\n", plainMedian * 1000);
    std::printf("  SoundManager Load       %8.1f ms\n", loadMedian * 1000);
    std::printf("  ratio load / read       %8.3f   (target <= 1.2)\n", loadMedian / plainMedian);
    std::printf("  buffer samples          %8zu bytes\n", held);
    std::printf("  memory taken by Load    %8llu bytes\n", static_cast<unsigned long long>(after - before));
    std::printf("  ratio memory / data     %8.3f   (target <= 1.05)\n",
                static_cast<double>(after - before) / static_cast<double>(kDataBytes));
    return 0;
}
