// Settings store against the real registry of the test's own Wine prefix: defaults, round trips,
// values stored by another writer, and a store that refuses writes.
#include "core/ErrorReport.h"
#include "core/Handles.h"
#include "core/Settings.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

constexpr wchar_t kApplicationKeyPath[] = L"Software\\VB and VBA Program Settings\\Vendrel";

class SettingsStore : public testing::Test {
protected:
    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, kApplicationKeyPath); }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kApplicationKeyPath); }

    // Stores raw bytes as the platform's own settings facility, or any other writer, would.
    static void StoreRaw(const std::wstring& name, DWORD type, const void* data, DWORD bytes) {
        HKEY created = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, core::kSettingsKeyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                  &created, nullptr),
                  ERROR_SUCCESS);
        const core::UniqueKey key(created);
        ASSERT_EQ(RegSetValueExW(key.get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), bytes),
                  ERROR_SUCCESS);
    }
    static void StoreText(const std::wstring& name, const std::wstring& text) {
        StoreRaw(name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }

    struct RawValue {
        DWORD type = 0;
        std::wstring text;
    };
    static RawValue ReadRaw(const std::wstring& name) {
        RawValue value;
        wchar_t buffer[256]{};
        DWORD bytes = sizeof buffer;
        if (RegGetValueW(HKEY_CURRENT_USER, core::kSettingsKeyPath, name.c_str(), RRF_RT_ANY, &value.type, buffer,
                         &bytes) == ERROR_SUCCESS) {
            value.text.assign(buffer, bytes / sizeof(wchar_t));
        }
        return value;
    }
};

TEST_F(SettingsStore, FirstRunWithoutAnyKeyGivesTheDefaults) {
    EXPECT_EQ(core::ReadSetting(L"Hours", L"00"), L"00");
    EXPECT_EQ(core::ReadSetting(L"Windows Startup", L"Off"), L"Off");
    EXPECT_EQ(core::ReadSetting(L"Text2"), L"");
}

TEST_F(SettingsStore, MissingValueInAnExistingSectionGivesTheDefault) {
    StoreText(L"Minutes", L"30");
    EXPECT_EQ(core::ReadSetting(L"Hours", L"00"), L"00");
    EXPECT_EQ(core::ReadSetting(L"Minutes", L"00"), L"30");
}

TEST_F(SettingsStore, ReadingADefaultStoresNothing) {
    core::ReadSetting(L"Hours", L"00");
    HKEY opened = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kApplicationKeyPath, 0, KEY_READ, &opened), ERROR_FILE_NOT_FOUND);
    if (opened) RegCloseKey(opened);
}

TEST_F(SettingsStore, WriteCreatesTheKeysAndStoresTextAsRegSz) {
    core::WriteSetting(L"Hours", L"01");
    const RawValue raw = ReadRaw(L"Hours");
    EXPECT_EQ(raw.type, static_cast<DWORD>(REG_SZ));
    // Two characters and the terminating zero: what the settings facility always stored.
    EXPECT_EQ(raw.text, std::wstring(L"01", 3));
}

TEST_F(SettingsStore, WriteThenReadGivesTheSameTextBack) {
    core::WriteSetting(L"Seconds", L"59");
    core::WriteSetting(L"Text2", L"C:\\Sounds\\b\u00e9ll \u0437\u0432\u043e\u043d\u043e\u043a.wav");
    EXPECT_EQ(core::ReadSetting(L"Seconds", L"00"), L"59");
    EXPECT_EQ(core::ReadSetting(L"Text2"), L"C:\\Sounds\\b\u00e9ll \u0437\u0432\u043e\u043d\u043e\u043a.wav");
}

TEST_F(SettingsStore, LaterWriteReplacesTheEarlierValue) {
    core::WriteSetting(L"Windows Startup", L"On");
    core::WriteSetting(L"Windows Startup", L"Off");
    EXPECT_EQ(core::ReadSetting(L"Windows Startup", L"On"), L"Off");
}

TEST_F(SettingsStore, StoredEmptyTextIsReadAsEmptyNotAsTheDefault) {
    core::WriteSetting(L"Hours", L"");
    EXPECT_EQ(core::ReadSetting(L"Hours", L"00"), L"");
}

TEST_F(SettingsStore, ValuesStoredByAnotherWriterAreReadBackWithoutCache) {
    EXPECT_EQ(core::ReadSetting(L"Hours", L"00"), L"00");
    StoreText(L"Hours", L"12");
    EXPECT_EQ(core::ReadSetting(L"Hours", L"00"), L"12");
    StoreText(L"Hours", L"99");
    EXPECT_EQ(core::ReadSetting(L"Hours", L"00"), L"99");
}

TEST_F(SettingsStore, LetterCaseOfStoredTextIsKept) {
    StoreText(L"Windows Startup", L"on");
    EXPECT_EQ(core::ReadSetting(L"Windows Startup", L"Off"), L"on");
}

TEST_F(SettingsStore, KeyNamesAreMatchedWithoutRegardToCase) {
    StoreText(L"HOURS", L"07");
    EXPECT_EQ(core::ReadSetting(L"Hours", L"00"), L"07");
}

TEST_F(SettingsStore, TextLongerThanAnyFirstGuessComesBackWhole) {
    std::wstring path(5000, L'a');
    path[4999] = L'z';
    core::WriteSetting(L"Text2", path);
    EXPECT_EQ(core::ReadSetting(L"Text2"), path);
}

TEST_F(SettingsStore, TextStoredWithoutItsTerminatingZeroIsReadWhole) {
    const std::wstring text = L"01";
    StoreRaw(L"Hours", REG_SZ, text.c_str(), static_cast<DWORD>(text.size() * sizeof(wchar_t)));
    EXPECT_EQ(core::ReadSetting(L"Hours", L"00"), L"01");
}

TEST_F(SettingsStore, NonTextValueGivesTheDefault) {
    const DWORD number = 5;
    StoreRaw(L"Hours", REG_DWORD, &number, sizeof number);
    EXPECT_EQ(core::ReadSetting(L"Hours", L"00"), L"00");
}

TEST_F(SettingsStore, WritesGoToTheOneApplicationAndSectionOnly) {
    core::WriteSetting(L"Minutes", L"30");
    HKEY opened = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kApplicationKeyPath, 0, KEY_READ, &opened), ERROR_SUCCESS);
    const core::UniqueKey application(opened);
    DWORD subKeys = 0;
    DWORD values = 0;
    ASSERT_EQ(RegQueryInfoKeyW(application.get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values,
                               nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(subKeys, 1u);
    EXPECT_EQ(values, 0u);
    EXPECT_EQ(ReadRaw(L"Minutes").text, std::wstring(L"30", 3));
}

// The current user's hive replaced, for this process only, by a volatile key: no lasting key may be
// created below a volatile one, so every write of the store is refused without touching any ACL.
class RefusingStore {
public:
    RefusingStore() {
        RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Corvalin Tests\\Volatile hive", 0, nullptr,
                        REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &volatile_, nullptr);
        if (volatile_) RegOverridePredefKey(HKEY_CURRENT_USER, volatile_);
    }
    RefusingStore(const RefusingStore&) = delete;
    RefusingStore& operator=(const RefusingStore&) = delete;
    ~RefusingStore() {
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        if (volatile_) RegCloseKey(volatile_);
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Corvalin Tests");
    }
    bool Ready() const { return volatile_ != nullptr; }

private:
    HKEY volatile_ = nullptr;
};

TEST_F(SettingsStore, RefusedWriteRaisesTheHandlerErrorTheTrapReports) {
    RefusingStore refusing;
    ASSERT_TRUE(refusing.Ready());
    try {
        core::WriteSetting(L"Hours", L"01");
        ADD_FAILURE() << "a refused write went unreported";
    } catch (const core::HandlerError& error) {
        EXPECT_EQ(error.Description(), L"Invalid procedure call or argument");
    }
    EXPECT_EQ(core::ReadSetting(L"Hours", L"00"), L"00");
}

}  // namespace
