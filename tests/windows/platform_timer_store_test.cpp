// The timers' records against the real registry of the test's own Wine prefix.
#include "core/Handles.h"
#include "platform/TimerStore.h"

#include "tests/windows/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const std::wstring kTimers = L"Software\\Corvalin Tests\\Timers";
constexpr std::int64_t kNow = 13'400'000'000'000;

TEST(TimerStore, WritesListsAndRemovesRecordsAndDeletesDamagedOnesQuietly) {
    RegDeleteTreeW(HKEY_CURRENT_USER, kTimers.c_str());
    const platform::TimerStore store(kTimers);
    EXPECT_TRUE(store.LoadAll(kNow).empty());  // no key yet
    const platform::TimerRecord tea{L"Gr\u00FCner Tee", 0, 4, 0, platform::TimerState::Running, kNow + 240'000, 0, 0,
                                    -1280, 20, true};
    const platform::TimerRecord bread{L"", 1, 0, 0, platform::TimerState::Paused, 0, 3599, 9, 100, 100, false};
    ASSERT_TRUE(store.Write(L"12", tea) && store.Write(L"3", tea) && store.Write(L"4", bread));
    ASSERT_TRUE(store.Write(L"3", bread));  // a change of state leaves nothing of the old one
    // Damaged: a record missing its values, a key that is no timer's, a timer key with only a subkey.
    for (const wchar_t* junk : {L"\\4", L"\\junk", L"\\5\\deeper"}) {
        testsupport::PutRegistryText(HKEY_CURRENT_USER, (kTimers + junk).c_str(), L"Record", L"State=2");
    }
    const std::vector<platform::StoredTimer> loaded = store.LoadAll(kNow);
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_TRUE(loaded[0].id == L"3" && loaded[0].record == bread);
    EXPECT_TRUE(loaded[1].id == L"12" && loaded[1].record == tea);
    for (const wchar_t* gone : {L"\\4", L"\\junk", L"\\5"}) {
        HKEY opened = nullptr;
        RegOpenKeyExW(HKEY_CURRENT_USER, (kTimers + gone).c_str(), 0, KEY_READ, &opened);
        EXPECT_FALSE(core::UniqueKey(opened)) << testing::PrintToString(std::wstring(gone));
    }
    store.Remove(L"3");
    // A day later the tea's end is long past, and it still loads: it rang while the program was away.
    const std::vector<platform::StoredTimer> later = store.LoadAll(kNow + 86'400'000);
    EXPECT_TRUE(later.size() == 1 && later[0].id == L"12");
    RegDeleteTreeW(HKEY_CURRENT_USER, kTimers.c_str());
}

// A record as the previous version wrote it: a value of its own for each field.
void PutFields(const std::wstring& path, const platform::TimerRecord& record) {
    HKEY created = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &created, nullptr);
    const core::UniqueKey key(created);
    for (const auto& [name, data] : platform::EncodeTimerRecord(record)) {
        const auto set = [&, &name = name](DWORD type, const void* bytes, std::size_t size) {
            RegSetValueExW(key.get(), name.c_str(), 0, type, static_cast<const BYTE*>(bytes), static_cast<DWORD>(size));
        };
        if (const auto* text = std::get_if<std::wstring>(&data)) {
            set(REG_SZ, text->c_str(), (text->size() + 1) * sizeof(wchar_t));
        } else if (const auto* dword = std::get_if<std::uint32_t>(&data)) {
            set(REG_DWORD, dword, sizeof *dword);
        } else {
            set(REG_QWORD, &std::get<std::uint64_t>(data), sizeof(std::uint64_t));
        }
    }
}

DWORD ValueCount(const std::wstring& path) {
    HKEY opened = nullptr;
    RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &opened);
    const core::UniqueKey key(opened);
    DWORD values = 0;
    RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                     nullptr, nullptr);
    return values;
}

TEST(TimerStore, WritesOneValueReadsThePreviousVersionsAndLeavesALaterVersionsRecordAlone) {
    RegDeleteTreeW(HKEY_CURRENT_USER, kTimers.c_str());
    const platform::TimerStore store(kTimers);
    const platform::TimerRecord ringing{L"Tea", 0, 4, 0, platform::TimerState::Ringing, kNow - 60'000, 0, 0,
                                        10, 10, false};
    const platform::TimerRecord bread{L"", 1, 0, 0, platform::TimerState::Paused, 0, 3599, 9, 100, 100, false};
    platform::TimerRecord before2020 = ringing;
    before2020.endsUtcMs = 13'222'310'399'999;
    PutFields(kTimers + L"\\2", bread);
    testsupport::PutRegistryText(HKEY_CURRENT_USER, (kTimers + L"\\3").c_str(), L"Record", L"Format=1\nState=7");
    ASSERT_TRUE(store.Write(L"1", ringing) && store.Write(L"4", before2020));
    const std::vector<platform::StoredTimer> loaded = store.LoadAll(kNow);
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_TRUE(loaded[0].id == L"1" && loaded[0].record == ringing);
    EXPECT_TRUE(loaded[1].id == L"2" && loaded[1].record == bread);
    std::vector<std::wstring> ids = store.Ids();
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(ids, (std::vector<std::wstring>{L"1", L"2", L"3"}));
    EXPECT_EQ(platform::FreeTimerId(ids), L"4");
    // Written again, the previous version's values give way to the one.
    ASSERT_TRUE(store.Write(L"2", bread));
    EXPECT_EQ(ValueCount(kTimers + L"\\2"), 1u);
    EXPECT_EQ(store.LoadAll(kNow).size(), 2u);
    RegDeleteTreeW(HKEY_CURRENT_USER, kTimers.c_str());
}

}  // namespace
