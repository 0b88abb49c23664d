// The SoundManager under Wine: real wave-out devices, the notification window and the loader's message boxes.
#include "sound/SoundManager.h"

#include "core/ErrorReport.h"
#include "core/Program.h"
#include "tests/native/sound_wav_builder.h"
#include "tests/windows/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace soundtest;
using sound::BufferState;

namespace {

// 16-bit stereo at 44.1 kHz: 4 bytes a frame.

// A 16-bit stereo sound of the given length with no two neighbouring frames alike.
Bytes PcmSamples(std::uint32_t milliseconds, std::uint32_t seed) {
    Bytes samples = Pattern(kBytesPerSecond / 1000 * milliseconds, seed);
    // No silent frame at the start, so the sound can be found in the capture after leading silence.
    for (std::size_t i = 0; i < 4; ++i) samples[i] |= std::byte{0x41};
    return samples;
}

Bytes ReadAll(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    Bytes bytes;
    char c;
    while (in.get(c)) bytes.push_back(static_cast<std::byte>(c));
    return bytes;
}

bool WaitForState(std::int32_t bufferIndex, BufferState state, int timeoutMs) {
    return testsupport::PumpUntil([&] { return sound::State(bufferIndex) == state; }, timeoutMs);
}

class SoundManager : public testing::Test {
protected:
    void SetUp() override {
        if (waveOutGetNumDevs() == 0) GTEST_SKIP() << "no wave-out device";
        // Other tests of this process may have left sounds loaded; each test starts from a fresh module.
        sound::Shutdown();
        testsupport::PumpPending();
    }
    void TearDown() override {
        sound::UseSystem(sound::SoundSystem::Platform());
        sound::Shutdown();
        testsupport::PumpPending();
        for (const std::wstring& file : files_) DeleteFileW(file.c_str());
    }

    // Writes a file in the temporary folder; it is deleted when the test ends.
    std::wstring WriteFile(const std::wstring& name, const Bytes& bytes) {
        return files_.emplace_back(testsupport::WriteTempFile(name, bytes));
    }

    std::wstring WritePcmWav(const std::wstring& name, const Bytes& samples) {
        return WriteFile(name, CanonicalWav(Format16(1, 2, 44100, 16), samples));
    }

private:
    std::vector<std::wstring> files_;
};

}  // namespace

TEST_F(SoundManager, LoadAndPlay_DeviceReceivesExactlyTheFilesSamples) {
    const std::wstring capture = testsupport::SoundCapturePath();
    if (capture.empty()) GTEST_SKIP() << "CORVALIN_SOUND_CAPTURE is not set";
    const Bytes samples = PcmSamples(300, 11);
    const std::wstring file = WritePcmWav(L"sound_capture_test.wav", samples);

    const std::int32_t index = sound::FindFreeBuffer();
    ASSERT_EQ(index, 1);
    ASSERT_TRUE(sound::Load(index, file, sound::UnloadWhenDone));
    ASSERT_NE(sound::Device(index), nullptr);
    ASSERT_TRUE(sound::Play(index));
    EXPECT_EQ(sound::State(index), BufferState::Playing);
    // The buffer is freed only when MM_WOM_DONE has been handled, which needs the message pump.
    ASSERT_TRUE(WaitForState(index, BufferState::Free, 10000));
    EXPECT_EQ(sound::Device(index), nullptr);

    // The device was closed by the unload, so the file device has written all it was given.
    const Bytes captured = ReadAll(capture);
    const auto found = std::search(captured.begin(), captured.end(), samples.begin(), samples.end());
    ASSERT_NE(found, captured.end()) << "captured " << captured.size() << " bytes, the sound has " << samples.size();
    // Whatever else the device wrote is silence.
    EXPECT_TRUE(std::all_of(captured.begin(), found, [](std::byte b) { return b == std::byte{0}; }));
    EXPECT_TRUE(std::all_of(found + static_cast<std::ptrdiff_t>(samples.size()), captured.end(),
                            [](std::byte b) { return b == std::byte{0}; }));
}

TEST_F(SoundManager, FirstLoad_CreatesTheHiddenSubclassedNotificationWindow) {
    const std::wstring file = WritePcmWav(L"sound_window_test.wav", PcmSamples(50, 2));
    ASSERT_TRUE(sound::Load(1, file, 0));
    HWND window = sound::NotifyWindow();
    ASSERT_NE(window, nullptr);
    wchar_t cls[32] = {};
    GetClassNameW(window, cls, 32);
    EXPECT_STREQ(cls, L"Static");
    EXPECT_EQ(testsupport::TextOf(window), L"Soundmanager Window");
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)) & (WS_POPUP | SS_TYPEMASK | WS_VISIBLE),
              static_cast<DWORD>(WS_POPUP | SS_SIMPLE));
    RECT rect{};
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.right - rect.left, 100);
    EXPECT_EQ(rect.bottom - rect.top, 20);
    EXPECT_EQ(GetWindowLongPtrW(window, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&sound::NotifyWindowProc));
    EXPECT_FALSE(sound::CreateNotifyWindow());

    // A second load uses the same window.
    ASSERT_TRUE(sound::Load(2, file, 0));
    EXPECT_EQ(sound::NotifyWindow(), window);
}

TEST_F(SoundManager, Shutdown_WhileTwoBuffersPlay_ReleasesEverythingAndDestroysTheWindow) {
    const std::wstring first = WritePcmWav(L"sound_shutdown_1.wav", PcmSamples(3000, 3));
    const std::wstring second = WritePcmWav(L"sound_shutdown_2.wav", PcmSamples(3000, 4));
    ASSERT_TRUE(sound::Load(1, first, sound::PlayOnLoad));
    ASSERT_TRUE(sound::Load(2, second, sound::PlayOnLoad | sound::UnloadWhenDone));
    ASSERT_EQ(sound::State(1), BufferState::Playing);
    ASSERT_EQ(sound::State(2), BufferState::Playing);
    HWAVEOUT devices[] = {sound::Device(1), sound::Device(2)};
    HWND window = sound::NotifyWindow();
    ASSERT_TRUE(IsWindow(window));

    sound::Shutdown();

    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(sound::NotifyWindow(), nullptr);
    for (std::int32_t i : {1, 2}) {
        EXPECT_EQ(sound::State(i), BufferState::Free);
        EXPECT_EQ(sound::Device(i), nullptr);
        EXPECT_TRUE(sound::SampleBytes(i).empty());
    }
    // The devices are closed: their handles are no longer valid.
    for (HWAVEOUT device : devices) {
        DWORD volume = 0;
        EXPECT_EQ(waveOutGetVolume(device, &volume), static_cast<MMRESULT>(MMSYSERR_INVALHANDLE));
        EXPECT_EQ(sound::FindBufferByDevice(device), 0);
    }
    // The completions of the resets were posted, inside the resets, to a window that is gone.
    testsupport::PumpPending();
    EXPECT_EQ(sound::State(1), BufferState::Free);
    EXPECT_EQ(sound::FindFreeBuffer(), 1);
}

TEST_F(SoundManager, PlayOnAPlayingBuffer_StopsIt_AndItPlaysAgainOnceReturned) {
    const std::wstring file = WritePcmWav(L"sound_replay_test.wav", PcmSamples(2000, 5));
    ASSERT_TRUE(sound::Load(1, file, sound::PlayOnLoad));
    EXPECT_FALSE(sound::Play(1));
    // The reset does not change the state; the returned buffer does, once its message is handled.
    EXPECT_EQ(sound::State(1), BufferState::Playing);
    ASSERT_TRUE(WaitForState(1, BufferState::Loaded, 5000));
    EXPECT_TRUE(sound::Play(1));
    EXPECT_EQ(sound::State(1), BufferState::Playing);
    sound::Stop(sound::kAllBuffers);
    ASSERT_TRUE(WaitForState(1, BufferState::Loaded, 5000));
}

TEST_F(SoundManager, UnloadOfAPlayingBuffer_TheLateCompletionTouchesNoOtherBuffer) {
    const std::wstring file = WritePcmWav(L"sound_late_test.wav", PcmSamples(2000, 6));
    ASSERT_TRUE(sound::Load(1, file, sound::PlayOnLoad));
    ASSERT_TRUE(sound::Load(2, file, 0));
    sound::Unload(1);
    EXPECT_EQ(sound::State(1), BufferState::Free);
    // A new device may get the old handle back; the late completion still must not end its sound.
    ASSERT_TRUE(sound::Load(1, file, sound::UnloadWhenDone));
    // Neither buffer plays: the one MM_WOM_DONE to come is the unloaded device's.
    EXPECT_TRUE(testsupport::PumpUntilHandled(MM_WOM_DONE, 1, 10'000));
    EXPECT_EQ(sound::State(1), BufferState::Loaded);
    EXPECT_EQ(sound::State(2), BufferState::Loaded);
}

TEST_F(SoundManager, AlarmWhoseDeviceIsNotThereYet_IsTriedAgainOnTheNotificationWindowsTimerUntilStopped) {
    int opens = 0;
    int fallbacks = 0;
    MMRESULT refusal = MMSYSERR_NODRIVER;
    sound::SoundSystem system = sound::SoundSystem::Platform();
    system.openDevice = [&, open = system.openDevice](HWAVEOUT* device, const WAVEFORMATEX* format, DWORD_PTR window) {
        return ++opens <= 2 ? refusal : open(device, format, window);
    };
    system.fallbackSound = [&] { ++fallbacks; };
    sound::UseSystem(system);
    const std::wstring file = WritePcmWav(L"sound_retry_test.wav", PcmSamples(300, 14));
    ASSERT_TRUE(sound::Load(1, file, sound::UnloadWhenDone));
    ASSERT_TRUE(sound::PlayAlarm(1));
    ASSERT_TRUE(WaitForState(1, BufferState::Playing, 5000));
    EXPECT_EQ(opens, 3);
    ASSERT_TRUE(sound::Load(2, file, sound::UnloadWhenDone));
    ASSERT_TRUE(sound::PlayAlarm(2));
    sound::Stop(2);
    EXPECT_FALSE(KillTimer(sound::NotifyWindow(), sound::kDeviceRetryTimer)) << "the timer runs on";
    // A refused format is not tried again: the alert at once, repeating on its timer until answered.
    opens = 0;
    refusal = WAVERR_BADFORMAT;
    ASSERT_TRUE(sound::Load(3, file, sound::UnloadWhenDone));
    EXPECT_FALSE(sound::PlayAlarm(3, true));
    SendMessageW(sound::NotifyWindow(), WM_TIMER, sound::kFallbackRepeatTimer, 0);
    sound::StopAlarm();
    SendMessageW(sound::NotifyWindow(), WM_TIMER, sound::kFallbackRepeatTimer, 0);
    EXPECT_EQ(fallbacks, 2);
    EXPECT_FALSE(KillTimer(sound::NotifyWindow(), sound::kFallbackRepeatTimer)) << "the timer runs on";
}

TEST_F(SoundManager, BadFile_ShowsAPlainMessageBoxAndLeavesTheBufferFree) {
    const std::wstring good = WritePcmWav(L"sound_good.wav", PcmSamples(50, 8));
    Bytes cut = CanonicalWav(Format16(1, 2, 44100, 16), PcmSamples(50, 9));
    cut.resize(cut.size() - 10);
    const std::wstring truncated = WriteFile(L"sound_truncated.wav", cut);
    const std::wstring capitals = WriteFile(L"sound_capitals.wav", Riff("WAVE", {Chunk("FMT ", Format16(1, 1, 8000, 8)),
                                                                               Chunk("data", Pattern(8))}));
    testsupport::DialogWatcher watcher;
    ASSERT_TRUE(sound::Load(3, good, 0));
    EXPECT_FALSE(sound::Load(3, truncated, 0));
    EXPECT_EQ(sound::State(3), BufferState::Free);
    EXPECT_FALSE(sound::Load(3, capitals, 0));
    EXPECT_FALSE(sound::Load(3, L"sound_no_such_file.wav", 0));
    EXPECT_EQ(sound::State(3), BufferState::Free);
    const auto boxes = watcher.Boxes();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].text, L"Could not read full buffer");
    EXPECT_EQ(boxes[1].text, L"Could not find fmt chunk");
    EXPECT_EQ(boxes[2].text, L"Cannot open file");
    for (const auto& box : boxes) {
        EXPECT_EQ(box.caption, core::program::AppTitle);
        EXPECT_FALSE(box.hasIcon);
    }
}

TEST_F(SoundManager, BufferNumberOutsideOneTo32_LoadFailsWithoutMessageAndStopRaises) {
    const std::wstring file = WritePcmWav(L"sound_range_test.wav", PcmSamples(50, 10));
    testsupport::DialogWatcher watcher;
    EXPECT_FALSE(sound::Load(0, file, 0));
    EXPECT_FALSE(sound::Load(33, file, 0));
    EXPECT_EQ(watcher.Count(), 0u);
    EXPECT_EQ(sound::NotifyWindow(), nullptr);
    EXPECT_THROW(sound::Stop(0), core::HandlerError);
    EXPECT_THROW(sound::Unload(33), core::HandlerError);
    EXPECT_NO_THROW(sound::Stop(-1));
}

TEST_F(SoundManager, EmptyDataChunk_RaisesToTheCallerAndLeavesTheBufferFree) {
    const std::wstring file = WriteFile(L"sound_empty_data.wav", CanonicalWav(Format16(1, 2, 44100, 16), {}));
    try {
        sound::Load(4, file, 0);
        FAIL() << "an empty data chunk must raise";
    } catch (const core::HandlerError& error) {
        EXPECT_EQ(error.Description(), L"Subscript out of range");
    }
    EXPECT_EQ(sound::State(4), BufferState::Free);
}

TEST_F(SoundManager, PathOutsideTheAnsiCodePage_Loads) {
    const std::wstring file = WritePcmWav(L"sound_\u0416\u65E5\u00FC.wav", PcmSamples(50, 12));
    ASSERT_TRUE(sound::Load(5, file, 0));
    EXPECT_EQ(sound::State(5), BufferState::Loaded);
    EXPECT_EQ(sound::SampleBytes(5).size(), kBytesPerSecond / 1000 * 50);
}

TEST_F(SoundManager, AllThirtyTwoLoaded_FindFreeBufferReturnsZero) {
    const std::wstring file = WritePcmWav(L"sound_full_test.wav", PcmSamples(20, 13));
    for (std::int32_t i = 1; i <= 32; ++i) ASSERT_TRUE(sound::Load(sound::FindFreeBuffer(), file, 0)) << i;
    EXPECT_EQ(sound::FindFreeBuffer(), 0);
    for (std::int32_t i = 1; i <= 32; ++i) EXPECT_EQ(sound::FindBufferByDevice(sound::Device(i)), i);
}
