// The sound buffer table's life cycle over a fake wave-out device that returns buffers when told.
#include "sound/BufferTable.h"

#include "core/ErrorReport.h"
#include "tests/native/sound_wav_builder.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <string>
#include <vector>

using namespace soundtest;
using sound::BufferState;

namespace {

// A refusal to open that a later try may overcome: no device yet.
constexpr std::uint32_t kNoDeviceYet = 6;

// A device that keeps a log of its calls and holds back completions until the test delivers them, as the
// message queue does. Handles are numbered from 100 and, like real ones, may be handed out again.
class FakeDevice final : public sound::WaveOutDevice {
public:
    sound::DeviceOpen Open(std::span<const std::byte> format, std::uintptr_t notifyTarget) override {
        lastFormat.assign(format.begin(), format.end());
        lastTarget = notifyTarget;
        if (refusal != 0) return {0, refusal};
        const sound::DeviceHandle handle = reuseHandle != 0 ? reuseHandle : nextHandle++;
        Log("open", handle);
        return {handle, 0};
    }
    std::uint32_t Query(std::span<const std::byte>) override { return refusal; }
    bool DeviceMayCome(std::uint32_t result) const override { return result == kNoDeviceYet; }
    void Prepare(sound::DeviceHandle device, sound::WaveHeader&, std::span<std::byte> samples) override {
        prepared[device].assign(samples.begin(), samples.end());
        Log("prepare", device);
    }
    bool Write(sound::DeviceHandle device, sound::WaveHeader& header) override {
        if (refusesWrites) return false;
        queued[device] = true;
        written[device] = &header;
        done[&header] = false;
        Log("write", device);
        return true;
    }
    void Reset(sound::DeviceHandle device) override {
        Log("reset", device);
        Return(device);
    }
    void Unprepare(sound::DeviceHandle device, sound::WaveHeader&) override { Log("unprepare", device); }
    void Close(sound::DeviceHandle device) override { Log("close", device); }
    bool Returned(const sound::WaveHeader& header) const override {
        const auto it = done.find(&header);
        return it != done.end() && it->second;
    }

    // The device has played a written header to its end.
    void Finish(sound::DeviceHandle device) { Return(device); }
    // The message loop runs: every pending completion reaches the table.
    void Deliver(sound::BufferTable& table) {
        while (!completions.empty()) {
            const sound::DeviceHandle device = completions.front();
            completions.pop_front();
            table.OnDeviceDone(device);
        }
    }

    std::vector<std::string> log;
    std::deque<sound::DeviceHandle> completions;
    std::map<sound::DeviceHandle, Bytes> prepared;
    Bytes lastFormat;
    std::uintptr_t lastTarget = 0;
    std::uint32_t refusal = 0;
    bool refusesWrites = false;
    sound::DeviceHandle nextHandle = 100;
    sound::DeviceHandle reuseHandle = 0;

private:
    void Log(const char* what, sound::DeviceHandle device) { log.push_back(what + (" " + std::to_string(device))); }
    void Return(sound::DeviceHandle device) {
        if (queued[device]) {
            completions.push_back(device);
            done[written[device]] = true;
        }
        queued[device] = false;
    }
    std::map<sound::DeviceHandle, bool> queued;
    std::map<sound::DeviceHandle, const sound::WaveHeader*> written;
    std::map<const sound::WaveHeader*, bool> done;
};

class FakeHost final : public sound::SoundHost {
public:
    std::unique_ptr<sound::ByteSource> OpenFile(const std::wstring& fileName) override {
        ++opens;
        const auto found = files.find(fileName);
        if (found == files.end()) return nullptr;
        return std::make_unique<sound::MemoryByteSource>(found->second);
    }
    void ShowMessage(const std::wstring& text) override { messages.push_back(text); }
    std::uintptr_t NotifyTarget() override { return target; }
    void PlayFallbackSound() override { ++fallbacks; }

    std::map<std::wstring, Bytes> files;
    std::vector<std::wstring> messages;
    std::uintptr_t target = 0x5A5A;
    int opens = 0;
    int fallbacks = 0;
};

class Recorder : public sound::SoundManagerNotifier {
public:
    void SoundLoaded(std::int32_t i) override { events.push_back("loaded " + std::to_string(i)); }
    void SoundPlayStart(std::int32_t i) override { events.push_back("start " + std::to_string(i)); }
    void SoundPlayEnd(std::int32_t i) override { events.push_back("end " + std::to_string(i)); }
    void SoundUnloaded(std::int32_t i) override { events.push_back("unloaded " + std::to_string(i)); }
    std::vector<std::string> events;
};

class SoundBufferTable : public testing::Test {
protected:
    SoundBufferTable() {
        host.files[L"good.wav"] = CanonicalWav(Format16(1, 2, 44100, 16), kSamples);
        host.files[L"other.wav"] = CanonicalWav(Format16(1, 1, 8000, 8), Pattern(10, 7));
        host.files[L"bad.wav"] = Riff("WAVE", {Chunk("data", kSamples)});
        host.files[L"empty.wav"] = CanonicalWav(Format16(1, 2, 44100, 16), {});
        table.SetNotifier(&recorder);
    }
    std::string Last() const { return device.log.empty() ? "" : device.log.back(); }

    const Bytes kSamples = Pattern(400);
    FakeDevice device;
    FakeHost host;
    Recorder recorder;
    sound::BufferTable table{device, host};
};

std::wstring DescriptionOf(auto&& call) {
    try {
        call();
    } catch (const core::HandlerError& error) {
        return error.Description();
    }
    return L"(nothing raised)";
}

}  // namespace

TEST_F(SoundBufferTable, Load_OutsideOneTo32_ReturnsFalseAndTouchesNothing) {
    for (std::int32_t index : {0, 33, -1, -2}) EXPECT_FALSE(table.Load(index, L"good.wav", 0)) << index;
    EXPECT_EQ(host.opens, 0);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(table.FindFreeBuffer(), 1);
}

TEST_F(SoundBufferTable, Load_GoodFile_OpensDeviceForItsFormatAndPreparesTheSamples) {
    ASSERT_TRUE(table.Load(3, L"good.wav", sound::UnloadWhenDone));
    EXPECT_EQ(table.State(3), BufferState::Loaded);
    EXPECT_EQ(table.Flags(3), sound::UnloadWhenDone);
    EXPECT_EQ(table.Device(3), 100u);
    EXPECT_EQ(device.lastTarget, host.target);
    EXPECT_EQ(device.lastFormat.size(), 18u);
    EXPECT_EQ(device.prepared[100], kSamples);
    EXPECT_EQ(device.log, (std::vector<std::string>{"open 100", "prepare 100"}));
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"loaded 3"}));
}

TEST_F(SoundBufferTable, Load_BadFile_ShowsItsMessageAndLeavesTheBufferFree) {
    ASSERT_TRUE(table.Load(1, L"good.wav", 0));
    EXPECT_FALSE(table.Load(1, L"bad.wav", 0));
    EXPECT_EQ(host.messages, (std::vector<std::wstring>{L"Could not find fmt chunk"}));
    EXPECT_EQ(table.State(1), BufferState::Free);
    EXPECT_EQ(table.Device(1), 0u);
    EXPECT_EQ(Last(), "close 100");
}

TEST_F(SoundBufferTable, Load_MissingFile_CannotOpenFile) {
    EXPECT_FALSE(table.Load(1, L"nowhere.wav", 0));
    EXPECT_EQ(host.messages, (std::vector<std::wstring>{L"Cannot open file"}));
    EXPECT_EQ(table.State(1), BufferState::Free);
}

TEST_F(SoundBufferTable, Load_WithoutNotificationTarget_FailsSilently) {
    host.target = 0;
    EXPECT_FALSE(table.Load(1, L"good.wav", 0));
    EXPECT_TRUE(host.messages.empty());
    EXPECT_TRUE(device.log.empty());
    EXPECT_EQ(table.State(1), BufferState::Free);
}

TEST_F(SoundBufferTable, Load_EmptyData_RaisesAndLeavesTheBufferFree) {
    ASSERT_TRUE(table.Load(2, L"good.wav", 0));
    EXPECT_EQ(DescriptionOf([&] { table.Load(2, L"empty.wav", 0); }), L"Subscript out of range");
    EXPECT_EQ(table.State(2), BufferState::Free);
    EXPECT_EQ(table.Device(2), 0u);
}

TEST_F(SoundBufferTable, Load_NoDeviceForTheFormat_IsLoadedButPlayReturnsFalse) {
    device.refusal = kNoDeviceYet;
    ASSERT_TRUE(table.Load(1, L"good.wav", sound::PlayOnLoad));
    EXPECT_EQ(table.State(1), BufferState::Loaded);
    EXPECT_FALSE(table.Play(1));
    EXPECT_TRUE(device.log.empty());
    EXPECT_TRUE(host.messages.empty());
    table.Unload(1);
    EXPECT_EQ(table.State(1), BufferState::Free);
}

TEST_F(SoundBufferTable, Load_PlayOnLoad_IsPlayingAtOnce) {
    ASSERT_TRUE(table.Load(1, L"good.wav", sound::PlayOnLoad));
    EXPECT_EQ(table.State(1), BufferState::Playing);
    EXPECT_EQ(Last(), "write 100");
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"loaded 1", "start 1"}));
}

TEST_F(SoundBufferTable, NoNotify_SilencesEveryEventOfThatBuffer) {
    ASSERT_TRUE(table.Load(1, L"good.wav", sound::PlayOnLoad | sound::UnloadWhenDone | sound::NoNotify));
    device.Finish(100);
    device.Deliver(table);
    EXPECT_EQ(table.State(1), BufferState::Free);
    EXPECT_TRUE(recorder.events.empty());
}

TEST_F(SoundBufferTable, Load_IntoAPlayingBuffer_StopsAndReleasesTheOldSoundFirst) {
    ASSERT_TRUE(table.Load(1, L"good.wav", sound::PlayOnLoad));
    ASSERT_TRUE(table.Load(1, L"other.wav", 0));
    EXPECT_EQ(device.log, (std::vector<std::string>{"open 100", "prepare 100", "write 100", "reset 100", "unprepare 100",
                                                    "close 100", "open 101", "prepare 101"}));
    EXPECT_EQ(table.State(1), BufferState::Loaded);
    EXPECT_EQ(device.prepared[101], Pattern(10, 7));
    // The old device's completion comes late and belongs to no buffer.
    device.Deliver(table);
    EXPECT_EQ(table.State(1), BufferState::Loaded);
}

TEST_F(SoundBufferTable, SoundThatEnds_StaysPlayingUntilTheCompletionIsHandled) {
    ASSERT_TRUE(table.Load(1, L"good.wav", 0));
    ASSERT_TRUE(table.Play(1));
    device.Finish(100);
    EXPECT_EQ(table.State(1), BufferState::Playing);
    device.Deliver(table);
    EXPECT_EQ(table.State(1), BufferState::Loaded);
    EXPECT_EQ(table.SampleBytes(1).size(), kSamples.size());
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"loaded 1", "start 1", "end 1"}));
}

TEST_F(SoundBufferTable, SoundThatEnds_WithUnloadWhenDone_IsFreed) {
    ASSERT_TRUE(table.Load(4, L"good.wav", sound::UnloadWhenDone));
    ASSERT_TRUE(table.Play(4));
    device.Finish(100);
    device.Deliver(table);
    EXPECT_EQ(table.State(4), BufferState::Free);
    EXPECT_TRUE(table.SampleBytes(4).empty());
    EXPECT_EQ(Last(), "close 100");
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"loaded 4", "start 4", "end 4", "unloaded 4"}));
    EXPECT_EQ(table.Flags(4), sound::UnloadWhenDone);
}

TEST_F(SoundBufferTable, Play_OnAPlayingBuffer_StopsItAndReturnsFalse) {
    ASSERT_TRUE(table.Load(1, L"good.wav", sound::PlayOnLoad));
    EXPECT_FALSE(table.Play(1));
    EXPECT_EQ(Last(), "reset 100");
    EXPECT_EQ(table.State(1), BufferState::Playing);
    device.Deliver(table);
    EXPECT_EQ(table.State(1), BufferState::Loaded);
    EXPECT_TRUE(table.Play(1));
    EXPECT_EQ(Last(), "write 100");
}

TEST_F(SoundBufferTable, Play_OutsideOneTo32_ReturnsFalseWithoutRaising) {
    for (std::int32_t index : {0, 33, -1}) EXPECT_FALSE(table.Play(index));
    EXPECT_FALSE(table.Play(5));  // Free
}

TEST_F(SoundBufferTable, StopAll_ResetsOnlyPlayingBuffers) {
    ASSERT_TRUE(table.Load(1, L"good.wav", sound::PlayOnLoad));
    ASSERT_TRUE(table.Load(2, L"good.wav", 0));
    ASSERT_TRUE(table.Load(3, L"good.wav", sound::PlayOnLoad));
    device.log.clear();
    table.Stop(sound::kAllBuffers);
    EXPECT_EQ(device.log, (std::vector<std::string>{"reset 100", "reset 102"}));
    EXPECT_EQ(table.State(1), BufferState::Playing);
    device.Deliver(table);
    EXPECT_EQ(table.State(1), BufferState::Loaded);
    EXPECT_EQ(table.State(2), BufferState::Loaded);
    EXPECT_EQ(table.State(3), BufferState::Loaded);
}

TEST_F(SoundBufferTable, StopAndUnload_OfNumbersOtherThanMinusOneAndOneTo32_Raise) {
    for (std::int32_t index : {0, 33, -2, 1000}) {
        EXPECT_EQ(DescriptionOf([&] { table.Stop(index); }), L"Subscript out of range") << index;
        EXPECT_EQ(DescriptionOf([&] { table.Unload(index); }), L"Subscript out of range") << index;
    }
    EXPECT_EQ(DescriptionOf([&] { table.Stop(-1); }), L"(nothing raised)");
    EXPECT_EQ(DescriptionOf([&] { table.Unload(-1); }), L"(nothing raised)");
    EXPECT_EQ(DescriptionOf([&] { table.Unload(32); }), L"(nothing raised)");
}

TEST_F(SoundBufferTable, Unload_OfAPlayingBuffer_FreesAtOnceAndIgnoresTheLateCompletion) {
    ASSERT_TRUE(table.Load(1, L"good.wav", sound::PlayOnLoad));
    ASSERT_TRUE(table.Load(2, L"good.wav", sound::PlayOnLoad));
    table.Unload(1);
    EXPECT_EQ(table.State(1), BufferState::Free);
    EXPECT_EQ(device.completions.size(), 1u);
    recorder.events.clear();
    device.Deliver(table);
    EXPECT_EQ(table.State(1), BufferState::Free);
    EXPECT_EQ(table.State(2), BufferState::Playing);
    EXPECT_TRUE(recorder.events.empty());
}

TEST_F(SoundBufferTable, LateCompletion_ForAHandleGivenAgain_DoesNotEndTheNewSound) {
    device.reuseHandle = 100;
    table.SetNotifier(nullptr);
    ASSERT_TRUE(table.Load(1, L"good.wav", sound::PlayOnLoad));
    table.Unload(1);
    ASSERT_TRUE(table.Load(1, L"other.wav", sound::UnloadWhenDone));
    ASSERT_EQ(table.Device(1), 100u);
    device.Deliver(table);
    EXPECT_EQ(table.State(1), BufferState::Loaded);
    EXPECT_TRUE(table.Play(1));
}

TEST_F(SoundBufferTable, LateCompletion_ForAHandleGivenAgain_DoesNotEndTheNewSoundWhilePlaying) {
    device.reuseHandle = 100;
    table.SetNotifier(nullptr);
    ASSERT_TRUE(table.Load(1, L"good.wav", sound::PlayOnLoad));
    table.Unload(1);  // its reset's completion is still queued
    ASSERT_TRUE(table.Load(1, L"other.wav", sound::PlayOnLoad | sound::UnloadWhenDone));
    ASSERT_EQ(table.State(1), BufferState::Playing);
    device.Deliver(table);
    EXPECT_EQ(table.State(1), BufferState::Playing);
    // Its own end still frees it.
    device.Finish(100);
    device.Deliver(table);
    EXPECT_EQ(table.State(1), BufferState::Free);
}

TEST_F(SoundBufferTable, Alarm_WithoutDevice_PlaysFromTheStartOnceOneOpensElseTheSystemsSoundAfterTheLastTryOrARefusal) {
    device.refusal = kNoDeviceYet;
    for (std::int32_t i : {1, 2, 3}) ASSERT_TRUE(table.Load(i, L"good.wav", sound::UnloadWhenDone));
    ASSERT_TRUE(table.PlayAlarm(2));
    table.Stop(2);  // answered while it waits: no more tries, and no sound
    EXPECT_FALSE(table.RetryDevice());
    EXPECT_EQ(table.State(2), BufferState::Free);
    // Never a device: the last try gives the system's sound and frees the buffer.
    ASSERT_TRUE(table.PlayAlarm(3));
    int tries = 1;
    while (table.RetryDevice()) ++tries;
    EXPECT_EQ(tries, sound::kDeviceRetries);
    EXPECT_EQ(table.State(3), BufferState::Free);
    for (std::int32_t nothing : {0, 5}) table.PlayAlarm(nothing);  // a missing file, a bad one
    EXPECT_EQ(host.fallbacks, 3);
    // A device at the second try: the sound from its first sample.
    ASSERT_TRUE(table.PlayAlarm(1));
    EXPECT_TRUE(table.RetryDevice());
    device.refusal = 0;
    EXPECT_FALSE(table.RetryDevice());
    EXPECT_EQ(device.log, (std::vector<std::string>{"open 100", "prepare 100", "write 100"}));
    EXPECT_EQ(device.prepared[100], kSamples);
    // A header the device refuses: the buffer released, the system's sound in its place.
    device.refusesWrites = true;
    ASSERT_TRUE(table.Load(2, L"good.wav", sound::UnloadWhenDone));
    EXPECT_FALSE(table.PlayAlarm(2));
    EXPECT_EQ(table.State(2), BufferState::Free);
    EXPECT_EQ(host.fallbacks, 4);
}

TEST_F(SoundBufferTable, FindBufferByDevice_NeverMatchesTheNullHandleOfFreeBuffers) {
    EXPECT_EQ(table.FindBufferByDevice(0), 0);
    table.OnDeviceDone(0);
    EXPECT_EQ(table.State(1), BufferState::Free);
    EXPECT_TRUE(recorder.events.empty());
    ASSERT_TRUE(table.Load(5, L"good.wav", 0));
    EXPECT_EQ(table.FindBufferByDevice(100), 5);
    EXPECT_EQ(table.FindBufferByDevice(101), 0);
}

TEST_F(SoundBufferTable, AllThirtyTwoInUse_FindFreeBufferReturnsZero) {
    for (std::int32_t expected = 1; expected <= 32; ++expected) {
        const std::int32_t index = table.FindFreeBuffer();
        ASSERT_EQ(index, expected);
        ASSERT_TRUE(table.Load(index, L"good.wav", expected % 2 ? sound::PlayOnLoad : 0));
    }
    EXPECT_EQ(table.FindFreeBuffer(), 0);
    EXPECT_FALSE(table.Load(table.FindFreeBuffer(), L"good.wav", 0));
    EXPECT_EQ(table.FindBufferByDevice(131), 32);
    table.Unload(17);
    EXPECT_EQ(table.FindFreeBuffer(), 17);
    table.Unload(sound::kAllBuffers);
    EXPECT_EQ(table.FindFreeBuffer(), 1);
    for (std::int32_t i = 1; i <= 32; ++i) ASSERT_EQ(table.State(i), BufferState::Free);
}

TEST_F(SoundBufferTable, Shutdown_WhileTwoPlay_ResetsAndReleasesEach) {
    ASSERT_TRUE(table.Load(1, L"good.wav", sound::PlayOnLoad));
    ASSERT_TRUE(table.Load(2, L"other.wav", sound::PlayOnLoad));
    device.log.clear();
    recorder.events.clear();
    table.Shutdown();
    EXPECT_EQ(device.log, (std::vector<std::string>{"reset 100", "unprepare 100", "close 100", "reset 101",
                                                    "unprepare 101", "close 101"}));
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"unloaded 1", "unloaded 2"}));
    device.Deliver(table);
    EXPECT_EQ(table.State(1), BufferState::Free);
    EXPECT_EQ(table.State(2), BufferState::Free);
}

TEST_F(SoundBufferTable, Destroyed_WhileOnePlaysAndOneIsLoaded_StopsAndClosesBothAndTellsNobody) {
    {
        Recorder silent;
        sound::BufferTable own{device, host};
        own.SetNotifier(&silent);
        ASSERT_TRUE(own.Load(1, L"good.wav", sound::PlayOnLoad));
        ASSERT_TRUE(own.Load(2, L"other.wav", 0));
        own.SetNotifier(nullptr);  // gone before the table, as at static destruction
        device.log.clear();
    }
    EXPECT_EQ(device.log, (std::vector<std::string>{"reset 100", "unprepare 100", "close 100", "unprepare 101",
                                                    "close 101"}));
}

TEST_F(SoundBufferTable, ListenerThatUnloadsOnPlayEnd_IsNotOverruled) {
    class Unloader : public sound::SoundManagerNotifier {
    public:
        explicit Unloader(sound::BufferTable& t) : table(t) {}
        void SoundPlayEnd(std::int32_t i) override { table.Unload(i); }
        sound::BufferTable& table;
    } unloader(table);
    table.SetNotifier(&unloader);
    ASSERT_TRUE(table.Load(1, L"good.wav", sound::PlayOnLoad));
    device.Finish(100);
    device.Deliver(table);
    EXPECT_EQ(table.State(1), BufferState::Free);
}

TEST_F(SoundBufferTable, WithoutListener_BehavesTheSame) {
    table.SetNotifier(nullptr);
    ASSERT_TRUE(table.Load(1, L"good.wav", sound::PlayOnLoad | sound::UnloadWhenDone));
    device.Finish(100);
    device.Deliver(table);
    EXPECT_EQ(table.State(1), BufferState::Free);
}
