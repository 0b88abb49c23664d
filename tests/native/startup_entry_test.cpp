// Start-with-Windows decisions against a fake registry: entry name and data, quoting, the drive root,
// and the fall-back to the current user's Run key when the machine-wide one is refused.
#include "core/ModulePath.h"
#include "platform/StartupEntry.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <utility>

namespace {

using platform::RunHive;

// The Run keys as maps; any key can refuse writes, as HKEY_LOCAL_MACHINE does for a standard user.
class FakeRunKeys : public platform::RunKeys {
public:
    bool Write(RunHive hive, const std::wstring& name, const std::wstring& data) override {
        if (refused[Index(hive)]) return false;
        values[Index(hive)][name] = data;
        return true;
    }
    void Remove(RunHive hive, const std::wstring& name) override {
        values[Index(hive)].erase(name);
    }
    std::optional<std::wstring> Read(RunHive hive, const std::wstring& name) override {
        const auto found = values[Index(hive)].find(name);
        if (found == values[Index(hive)].end()) return std::nullopt;
        return found->second;
    }
    std::vector<std::uint8_t> Approval(RunHive hive, const std::wstring& name) override {
        return approvals[Index(hive)][name];
    }
    bool SetApproval(RunHive hive, const std::wstring& name, std::span<const std::uint8_t> value) override {
        approvals[Index(hive)][name].assign(value.begin(), value.end());
        return true;
    }

    std::map<std::wstring, std::wstring>& Key(RunHive hive) { return values[Index(hive)]; }
    std::map<std::wstring, std::vector<std::uint8_t>>& Approvals(RunHive hive) { return approvals[Index(hive)]; }
    void Refuse(RunHive hive) { refused[Index(hive)] = true; }

private:
    static int Index(RunHive hive) { return static_cast<int>(hive); }
    std::map<std::wstring, std::wstring> values[3];
    std::map<std::wstring, std::vector<std::uint8_t>> approvals[3];
    bool refused[3] = {false, false, false};
};

constexpr wchar_t kModule[] = L"C:\\Apps\\Corvalin Timer Software\\Corvalin Timer Software.exe";

TEST(StartupEntry, NamedAfterTheRunningExecutableWithItsQuotedFullPath) {
    const auto entry = platform::RunEntryFor(kModule);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->name, L"Corvalin Timer Software.exe");
    EXPECT_EQ(entry->data, L"\"C:\\Apps\\Corvalin Timer Software\\Corvalin Timer Software.exe\"");
}

TEST(StartupEntry, DriveRootGetsASingleBackslash) {
    EXPECT_EQ(core::ExecutableFolder(L"C:\\timer.exe"), L"C:\\");
    EXPECT_EQ(platform::RunEntryData(L"C:\\", L"timer.exe"), L"\"C:\\timer.exe\"");
    const auto entry = platform::RunEntryFor(L"D:\\timer.exe");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->data, L"\"D:\\timer.exe\"");
}

TEST(StartupEntry, FolderWithoutTrailingBackslashGetsOne) {
    EXPECT_EQ(platform::RunEntryData(L"C:\\Program Files\\Vendrel", L"a.exe"), L"\"C:\\Program Files\\Vendrel\\a.exe\"");
    EXPECT_EQ(core::ExecutableFolder(L"C:\\Program Files\\Vendrel\\a.exe"), L"C:\\Program Files\\Vendrel");
}

TEST(StartupEntry, ShareAndDeepFoldersKeepEveryCharacter) {
    const auto entry = platform::RunEntryFor(L"\\\\server\\share\\x\\Timer.EXE");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->name, L"Timer.EXE");
    EXPECT_EQ(entry->data, L"\"\\\\server\\share\\x\\Timer.EXE\"");
}

TEST(StartupEntry, NonAnsiNamesPassThroughUnchanged) {
    const std::wstring module = L"C:\\\u0422\u0430\u0439\u043c\u0435\u0440\\\u0447\u0430\u0441\u044b.exe";
    const auto entry = platform::RunEntryFor(module);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->name, L"\u0447\u0430\u0441\u044b.exe");
    EXPECT_EQ(entry->data, L"\"" + module + L"\"");
}

TEST(StartupEntry, PathWithoutFileOrFolderGivesNoEntry) {
    EXPECT_FALSE(platform::RunEntryFor(L""));
    EXPECT_FALSE(platform::RunEntryFor(L"C:\\Apps\\"));
    EXPECT_FALSE(platform::RunEntryFor(L"timer.exe"));
}

TEST(StartupEntry, ScoopVersionFolderGoesThroughTheCurrentLink) {
    const auto current = platform::ScoopCurrentPath(L"C:\\Users\\me\\scoop\\Apps\\timer\\7.00\\Timer.exe");
    ASSERT_EQ(current, L"C:\\Users\\me\\scoop\\Apps\\timer\\current\\Timer.exe");
    EXPECT_FALSE(platform::ScoopCurrentPath(*current));
    EXPECT_FALSE(platform::ScoopCurrentPath(L"C:\\scoop\\apps\\timer\\CURRENT\\Timer.exe"));
    EXPECT_FALSE(platform::ScoopCurrentPath(L"C:\\Tools\\timer\\7.00\\Timer.exe"));
    EXPECT_FALSE(platform::ScoopCurrentPath(L"C:\\apps\\timer\\\\Timer.exe"));
    EXPECT_FALSE(platform::ScoopCurrentPath(L"apps\\timer\\7.00\\Timer.exe"));
    EXPECT_FALSE(platform::ScoopCurrentPath(L"C:\\apps\\timer\\7.00\\"));
}

TEST(StartupEntry, AddGoesToTheMachineWideKeyWhenItIsWritable) {
    FakeRunKeys keys;
    const auto entry = *platform::RunEntryFor(kModule);
    EXPECT_EQ(platform::AddRunEntry(keys, entry), RunHive::LocalMachine);
    EXPECT_EQ(keys.Key(RunHive::LocalMachine).at(entry.name), entry.data);
    EXPECT_TRUE(keys.Key(RunHive::CurrentUser).empty());
}

TEST(StartupEntry, RefusedMachineWideKeyFallsBackToTheUsersKey) {
    FakeRunKeys keys;
    keys.Refuse(RunHive::LocalMachine);
    const auto entry = *platform::RunEntryFor(kModule);
    EXPECT_EQ(platform::AddRunEntry(keys, entry), RunHive::CurrentUser);
    EXPECT_TRUE(keys.Key(RunHive::LocalMachine).empty());
    EXPECT_EQ(keys.Key(RunHive::CurrentUser).at(entry.name), entry.data);
}

TEST(StartupEntry, BothKeysRefusedReportsNoHiveAndWritesNothing) {
    FakeRunKeys keys;
    keys.Refuse(RunHive::LocalMachine);
    keys.Refuse(RunHive::CurrentUser);
    EXPECT_FALSE(platform::AddRunEntry(keys, *platform::RunEntryFor(kModule)));
    EXPECT_TRUE(keys.Key(RunHive::LocalMachine).empty());
    EXPECT_TRUE(keys.Key(RunHive::CurrentUser).empty());
}

TEST(StartupEntry, MachineWideWriteClearsAnEarlierCopyInTheUsersKey) {
    FakeRunKeys keys;
    const auto entry = *platform::RunEntryFor(kModule);
    keys.Key(RunHive::CurrentUser)[entry.name] = entry.data;
    keys.Key(RunHive::CurrentUser)[L"Other.exe"] = L"\"C:\\Other.exe\"";
    platform::AddRunEntry(keys, entry);
    EXPECT_EQ(keys.Key(RunHive::CurrentUser).count(entry.name), 0u);
    EXPECT_EQ(keys.Key(RunHive::CurrentUser).count(L"Other.exe"), 1u);
    EXPECT_EQ(keys.Key(RunHive::LocalMachine).count(entry.name), 1u);
}

TEST(StartupEntry, RemoveClearsEveryKeyAndLeavesOtherValues) {
    FakeRunKeys keys;
    keys.Key(RunHive::LocalMachine)[L"Corvalin Timer Software.exe"] = L"x";
    keys.Key(RunHive::LocalMachine)[L"Other.exe"] = L"y";
    keys.Key(RunHive::CurrentUser)[L"Corvalin Timer Software.exe"] = L"x";
    keys.Key(RunHive::LocalMachine64)[L"Corvalin Timer Software.exe"] = L"x";
    platform::RemoveRunEntry(keys, L"Corvalin Timer Software.exe");
    EXPECT_EQ(keys.Key(RunHive::LocalMachine).size(), 1u);
    EXPECT_EQ(keys.Key(RunHive::LocalMachine).count(L"Other.exe"), 1u);
    EXPECT_TRUE(keys.Key(RunHive::CurrentUser).empty());
    EXPECT_TRUE(keys.Key(RunHive::LocalMachine64).empty());
}

TEST(StartupEntry, RemoveAfterAFallBackAddLeavesNoEntryAnywhere) {
    FakeRunKeys keys;
    keys.Refuse(RunHive::LocalMachine);
    const auto entry = *platform::RunEntryFor(kModule);
    platform::AddRunEntry(keys, entry);
    platform::RemoveRunEntry(keys, entry.name);
    EXPECT_TRUE(keys.Key(RunHive::LocalMachine).empty());
    EXPECT_TRUE(keys.Key(RunHive::CurrentUser).empty());
}

TEST(StartupEntry, StartsProgramTakesTheCommandAsWindowsRunsIt) {
    const std::wstring_view path = L"C:\\Program Files\\Corvalin\\Timer.exe";
    EXPECT_TRUE(platform::StartsProgram(L" \"c:\\program files\\CORVALIN\\timer.EXE\" 25m", path));
    EXPECT_TRUE(platform::StartsProgram(L"C:\\Program Files\\Corvalin\\Timer.exe 25m", path));
    EXPECT_FALSE(platform::StartsProgram(L"\"D:\\Corvalin\\Timer.exe\"", path));
    EXPECT_FALSE(platform::StartsProgram(L"C:\\Program Files\\Corvalin\\Timer.exe2", path));
    EXPECT_FALSE(platform::StartsProgram(L"\"C:\\Program Files\\Corvalin\\Timer.exe", path));
}

TEST(StartupEntry, FoundInEveryRunKeyOnlyWhenItStartsThisProgram) {
    FakeRunKeys keys;
    const auto entry = *platform::RunEntryFor(kModule);
    keys.Key(RunHive::CurrentUser)[entry.name] = L"\"D:\\Old\\Corvalin Timer Software.exe\"";
    EXPECT_FALSE(platform::FindStartupEntry(keys, entry.name, kModule));
    for (const RunHive hive : platform::kEveryRunHive) {
        keys.Key(hive)[entry.name] = entry.data;
        EXPECT_EQ(platform::FindStartupEntry(keys, entry.name, kModule), hive);
        keys.Key(hive).erase(entry.name);
    }
}


TEST(StartupEntry, AnEntryTurnedOffInTaskManagerDoesNotStartUntilTheBoxTurnsItOn) {
    EXPECT_FALSE(platform::TurnedOff({}) || platform::TurnedOff({2, 0, 0, 0}) || platform::TurnedOff({6}));
    EXPECT_TRUE(platform::TurnedOff({3, 0, 0, 0, 0xd4, 0x0d, 0x43, 0x8d, 0xc8, 0x3b, 0xd9, 0x01}) && platform::TurnedOff({7}));
    FakeRunKeys keys;
    keys.Refuse(RunHive::LocalMachine);
    const auto entry = *platform::RunEntryFor(kModule);
    keys.Key(RunHive::CurrentUser)[entry.name] = entry.data;
    keys.Approvals(RunHive::CurrentUser)[entry.name] = {3, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_FALSE(platform::FindStartupEntry(keys, entry.name, kModule));
    // Ticking writes the entry again and turns it on, as Windows writes it.
    EXPECT_EQ(platform::AddRunEntry(keys, entry), RunHive::CurrentUser);
    EXPECT_EQ(keys.Approvals(RunHive::CurrentUser)[entry.name][0], 2);
}

}  // namespace
