// The timers' records against the real registry of the test's own Wine prefix.
#include "core/Handles.h"
#include "platform/TimerStore.h"

#include "tests/windows/TestSupport.h"

#include <gtest/gtest.h>

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
    // Damaged: a value of the wrong type, a key that is no timer's, a timer key with only a subkey.
    for (const wchar_t* junk : {L"\\4", L"\\junk", L"\\5\\deeper"}) {
        testsupport::PutRegistryText(HKEY_CURRENT_USER, (kTimers + junk).c_str(), L"State", L"2");
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

}  // namespace
