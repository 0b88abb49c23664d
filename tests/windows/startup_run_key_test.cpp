// Start with Windows against the real registry of the test's own Wine prefix: the Run entry added and
// removed, and the fall-back to the user's Run key when the machine-wide one cannot be opened.
#include "core/Handles.h"
#include "core/ModulePath.h"
#include "core/Program.h"
#include "platform/RegStuff.h"
#include "platform/StartupEntry.h"
#include "platform/mStartUp.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>

namespace {

constexpr wchar_t kScratchRoot[] = L"Software\\Corvalin Tests";

std::optional<std::wstring> RunValue(HKEY root, const std::wstring& name) {
    wchar_t data[1024]{};
    DWORD bytes = sizeof data;
    if (RegGetValueW(root, platform::kRunKeyPath, name.c_str(), RRF_RT_REG_SZ, nullptr, data, &bytes) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::wstring(data);
}

void PutRunValue(HKEY root, const std::wstring& name, const std::wstring& data) {
    HKEY created = nullptr;
    ASSERT_EQ(RegCreateKeyExW(root, platform::kRunKeyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &created, nullptr),
              ERROR_SUCCESS);
    const core::UniqueKey key(created);
    ASSERT_EQ(RegSetValueExW(key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                             static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
}

// One of the predefined keys replaced, for this process only, by a fresh key of the test's own: in
// place of HKEY_LOCAL_MACHINE it has no Run key, which the program never creates there, so the
// machine-wide key cannot be opened, as for a standard user, without relying on access rights.
class ReplacedHive {
public:
    ReplacedHive(HKEY predefined, const std::wstring& name) : predefined_(predefined) {
        path_ = std::wstring(kScratchRoot) + L"\\" + name;
        RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
        RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
        if (key_) RegOverridePredefKey(predefined_, key_);
    }
    ReplacedHive(const ReplacedHive&) = delete;
    ReplacedHive& operator=(const ReplacedHive&) = delete;
    ~ReplacedHive() {
        RegOverridePredefKey(predefined_, nullptr);
        if (key_) RegCloseKey(key_);
        RegDeleteTreeW(HKEY_CURRENT_USER, kScratchRoot);
    }
    bool Ready() const { return key_ != nullptr; }
    HKEY Key() const { return key_; }

private:
    HKEY predefined_;
    HKEY key_ = nullptr;
    std::wstring path_;
};

class StartupRunKey : public testing::Test {
protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }
    void Clean() {
        platform::DeleteRegValue(HKEY_LOCAL_MACHINE, platform::kRunKeyPath, name_);
        platform::DeleteRegValue(HKEY_CURRENT_USER, platform::kRunKeyPath, name_);
        RegDeleteKeyValueW(HKEY_CURRENT_USER, approvals_.c_str(), name_.c_str());
        platform::DeleteRegValue(HKEY_LOCAL_MACHINE, platform::kRunKeyPath, L"Corvalin Other.exe");
    }

    const std::wstring module_ = core::RunningModulePath();
    const std::wstring name_ = core::ExecutableName(module_);
    platform::RegistryRunKeys keys_;
    const std::wstring approvals_ = std::wstring(platform::kApprovalKeyPath) + L"Run";
};

TEST_F(StartupRunKey, EnableRegistersTheRunningExecutableQuoted) {
    ASSERT_FALSE(name_.empty());
    platform::EnableStartup(keys_);
    const auto data = RunValue(HKEY_LOCAL_MACHINE, name_);
    ASSERT_TRUE(data);
    EXPECT_EQ(*data, L"\"" + module_ + L"\"");
    EXPECT_FALSE(RunValue(HKEY_CURRENT_USER, name_));
}

TEST_F(StartupRunKey, DisableRemovesTheEntryFromBothKeys) {
    PutRunValue(HKEY_LOCAL_MACHINE, name_, L"x");
    PutRunValue(HKEY_CURRENT_USER, name_, L"x");
    platform::DisableStartup(keys_);
    EXPECT_FALSE(RunValue(HKEY_LOCAL_MACHINE, name_));
    EXPECT_FALSE(RunValue(HKEY_CURRENT_USER, name_));
}

TEST_F(StartupRunKey, DisableWithoutAnEntryTouchesNoOtherValue) {
    PutRunValue(HKEY_LOCAL_MACHINE, L"Corvalin Other.exe", L"\"C:\\Other\\Corvalin Other.exe\"");
    platform::DisableStartup(keys_);
    EXPECT_EQ(RunValue(HKEY_LOCAL_MACHINE, L"Corvalin Other.exe"), L"\"C:\\Other\\Corvalin Other.exe\"");
}

TEST_F(StartupRunKey, TickAndClearAddAndRemoveEachTime) {
    for (int round = 0; round < 2; ++round) {
        platform::EnableStartup(keys_);
        EXPECT_TRUE(RunValue(HKEY_LOCAL_MACHINE, name_)) << round;
        platform::DisableStartup(keys_);
        EXPECT_FALSE(RunValue(HKEY_LOCAL_MACHINE, name_)) << round;
    }
}

TEST_F(StartupRunKey, UnopenableMachineWideKeyPutsTheEntryInTheUsersKey) {
    {
        ReplacedHive machine(HKEY_LOCAL_MACHINE, L"Machine without Run key");
        ASSERT_TRUE(machine.Ready());
        platform::EnableStartup(keys_);
        // The machine-wide key is never created.
        HKEY run = nullptr;
        EXPECT_NE(RegOpenKeyExW(machine.Key(), platform::kRunKeyPath, 0, KEY_READ, &run), ERROR_SUCCESS);
        if (run) RegCloseKey(run);
    }
    EXPECT_EQ(RunValue(HKEY_CURRENT_USER, name_), L"\"" + module_ + L"\"");
    EXPECT_FALSE(RunValue(HKEY_LOCAL_MACHINE, name_));
}

TEST_F(StartupRunKey, DisableRemovesAnEntryTheFallBackWrote) {
    {
        ReplacedHive machine(HKEY_LOCAL_MACHINE, L"Machine without Run key");
        ASSERT_TRUE(machine.Ready());
        platform::EnableStartup(keys_);
        ASSERT_TRUE(RunValue(HKEY_CURRENT_USER, name_));
        platform::DisableStartup(keys_);
    }
    EXPECT_FALSE(RunValue(HKEY_CURRENT_USER, name_));
}

TEST_F(StartupRunKey, FreshProfileWithoutARunKeyGetsOneForTheFallBack) {
    ReplacedHive machine(HKEY_LOCAL_MACHINE, L"Machine without Run key");
    ReplacedHive user(HKEY_CURRENT_USER, L"Fresh profile");
    ASSERT_TRUE(machine.Ready() && user.Ready());
    platform::EnableStartup(keys_);
    EXPECT_EQ(RunValue(user.Key(), name_), L"\"" + module_ + L"\"");
}

TEST_F(StartupRunKey, AnEntryTurnedOffInTaskManagerIsNotFoundUntilEnableTurnsItOn) {
    const BYTE off[12] = {3, 0, 0, 0, 0xd4, 0x0d, 0x43, 0x8d, 0xc8, 0x3b, 0xd9, 0x01};
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, approvals_.c_str(), name_.c_str(), REG_BINARY, off, 12), ERROR_SUCCESS);
    PutRunValue(HKEY_CURRENT_USER, name_, L"\"" + module_ + L"\"");
    EXPECT_FALSE(platform::StartupEntryIn(keys_));
    ReplacedHive machine(HKEY_LOCAL_MACHINE, L"Machine without Run key");
    platform::EnableStartup(keys_);
    EXPECT_EQ(platform::ReadRegBytes(HKEY_CURRENT_USER, approvals_, name_),
              std::vector<std::uint8_t>(platform::kTurnedOn.begin(), platform::kTurnedOn.end()));
    EXPECT_EQ(platform::StartupEntryIn(keys_), platform::RunHive::CurrentUser);
}

TEST(RegStuff, SetRegValueStoresTextWithItsTerminatingZero) {
    HKEY created = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Corvalin Tests\\RegStuff", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &created, nullptr),
              ERROR_SUCCESS);
    const core::UniqueKey key(created);
    const std::wstring text = L"\"C:\\\u0422\u0430\u0439\u043c\u0435\u0440\\t.exe\"";
    EXPECT_EQ(platform::SetRegValue(key.get(), L"Entry", REG_SZ, text), ERROR_SUCCESS);
    wchar_t data[64]{};
    DWORD type = 0;
    DWORD bytes = sizeof data;
    ASSERT_EQ(RegQueryValueExW(key.get(), L"Entry", nullptr, &type, reinterpret_cast<BYTE*>(data), &bytes),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(bytes, (text.size() + 1) * sizeof(wchar_t));
    EXPECT_EQ(std::wstring(data), text);
    RegDeleteTreeW(HKEY_CURRENT_USER, kScratchRoot);
}

TEST(RegStuff, MissingKeyIsNeitherCreatedNorWritten) {
    const std::wstring path = std::wstring(kScratchRoot) + L"\\Missing";
    EXPECT_NE(platform::WriteRegValue(HKEY_CURRENT_USER, path, L"Entry", L"x", REG_SZ), ERROR_SUCCESS);
    EXPECT_NE(platform::DeleteRegValue(HKEY_CURRENT_USER, path, L"Entry"), ERROR_SUCCESS);
    HKEY opened = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &opened), ERROR_FILE_NOT_FOUND);
    if (opened) RegCloseKey(opened);
}

}  // namespace
