// A portable copy's settings and records in the file beside it, against the real file system of the
// test's own Wine prefix: nothing in the registry, and a file no interrupted write can spoil.
#include "core/Handles.h"
#include "core/Settings.h"
#include "platform/TimerStore.h"

#include "tests/windows/TestSupport.h"

#include <gtest/gtest.h>

namespace {

// A folder of the temporary folder holding the portable marker, as the program's folder would.
std::wstring PortableFolder(const std::wstring& name) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / name;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    core::UniqueFile(CreateFileW((folder / L"portable").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    return folder.wstring();
}

TEST(PortableSettings, KeepsSettingsAndRecordsBesideTheProgramInAFileReplacedWhole) {
    RegDeleteTreeW(HKEY_CURRENT_USER, core::kSettingsKeyPath);
    const std::wstring folder = PortableFolder(L"Corvalin portable");
    const core::SettingsPlace place = core::SettingsPlace::ForProgramFolder(folder);
    ASSERT_EQ(place.File(), folder + L"\\Corvalin Timer Software.ini");
    EXPECT_EQ(place.Read(L"Hours", L"00"), L"00");
    const std::wstring alarm = L"C:\\Sounds\\\u0437\u0432\u043e\u043d\u043e\u043a.wav";
    place.Write(L"Hours", L"01");
    place.Write(L"Text2", alarm);
    const platform::TimerStore store = platform::TimerStore::InFile(place.File());
    const platform::TimerRecord tea{L"\u7DD1\u8336", 0, 4, 0, platform::TimerState::Running, 13'400'000'240'000, 0, 0,
                                    20, 20, true};
    ASSERT_TRUE(store.Write(L"3", tea));
    EXPECT_TRUE(place.Read(L"HOURS", L"00") == L"01" && place.Read(L"Text2") == alarm);
    const std::vector<platform::StoredTimer> loaded = store.LoadAll(13'400'000'000'000);
    EXPECT_TRUE(loaded.size() == 1 && loaded[0].id == L"3" && loaded[0].record == tea);
    const std::vector<unsigned char> bytes = testsupport::ReadWholeFile(place.File());
    EXPECT_TRUE(bytes.size() > 2 && bytes[0] == 0xFF && bytes[1] == 0xFE);
    HKEY opened = nullptr;
    EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, core::kSettingsKeyPath, 0, KEY_READ, &opened), ERROR_SUCCESS);
    core::UniqueKey(opened).reset();

    // A write killed after its temporary file and before the move: the file holds the last whole write.
    const std::wstring temporary = place.File() + L".tmp";
    core::UniqueFile(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    EXPECT_EQ(place.Read(L"Hours", L"00"), L"01");
    place.Write(L"Minutes", L"30");
    EXPECT_TRUE(place.Read(L"Minutes") == L"30" && place.Read(L"Text2") == alarm);
    EXPECT_EQ(store.LoadAll(13'400'000'000'000).size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(temporary));

    // A file kept through a hard link, as Scoop keeps it, is rewritten in place: one file under both names.
    const std::wstring kept = folder + L"\\kept.ini";
    ASSERT_TRUE(CreateHardLinkW(kept.c_str(), place.File().c_str(), nullptr));
    place.Write(L"Minutes", L"45");
    EXPECT_TRUE(place.Read(L"Minutes") == L"45" &&
                testsupport::ReadWholeFile(kept) == testsupport::ReadWholeFile(place.File()));
    EXPECT_FALSE(std::filesystem::exists(temporary));
    // A rewrite cut off after its temporary file: the whole temporary file is read, at the next start too.
    std::filesystem::copy_file(place.File(), temporary);
    std::filesystem::resize_file(kept, 40);
    const core::SettingsPlace restarted = core::SettingsPlace::ForProgramFolder(folder);
    EXPECT_TRUE(restarted.Read(L"Minutes") == L"45" && restarted.Read(L"Text2") == alarm);

    // A folder that takes no file (here its temporary file's name is a folder's) falls back.
    const std::wstring refusing = PortableFolder(L"Corvalin read-only");
    std::filesystem::create_directory(refusing + L"\\Corvalin Timer Software.ini.tmp");
    const core::SettingsPlace fellBack = core::SettingsPlace::ForProgramFolder(refusing);
    EXPECT_TRUE(fellBack.File().empty() && fellBack.RefusedFolder() == refusing);
    std::filesystem::remove(refusing + L"\\portable");
    const core::SettingsPlace installed = core::SettingsPlace::ForProgramFolder(refusing);
    EXPECT_TRUE(installed.File().empty() && installed.RefusedFolder().empty());
    std::filesystem::remove_all(folder);
    std::filesystem::remove_all(refusing);
}

}  // namespace
