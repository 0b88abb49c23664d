// FileExists and FileListed against real files and folders of a scratch folder of the test's own.
#include "core/Files.h"
#include "core/Program.h"
#include "ui/Backdrop.h"
#include "ui/DllSearch.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

// A fresh folder below the temporary folder, removed with everything in it afterwards.
class ScratchFolder {
public:
    ScratchFolder() {
        wchar_t temp[MAX_PATH + 1]{};
        GetTempPathW(MAX_PATH + 1, temp);
        path_ = std::wstring(temp) + L"corvalin-helpers-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    ~ScratchFolder() { RemoveAll(path_); }

    const std::wstring& Path() const { return path_; }
    std::wstring File(const std::wstring& name, DWORD attributes = FILE_ATTRIBUTE_NORMAL) const {
        const std::wstring full = path_ + L"\\" + name;
        HANDLE file = CreateFileW(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr);
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
        return full;
    }
    std::wstring Folder(const std::wstring& name) const {
        const std::wstring full = path_ + L"\\" + name;
        CreateDirectoryW(full.c_str(), nullptr);
        return full;
    }

private:
    static void RemoveAll(const std::wstring& folder) {
        WIN32_FIND_DATAW found{};
        HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = found.cFileName;
                if (name == L"." || name == L"..") continue;
                const std::wstring full = folder + L"\\" + name;
                SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    RemoveAll(full);
                } else {
                    DeleteFileW(full.c_str());
                }
            } while (FindNextFileW(find, &found));
            FindClose(find);
        }
        RemoveDirectoryW(folder.c_str());
    }

    std::wstring path_;
};

// A drive letter that names no drive at all.
std::wstring MissingDrive() {
    const DWORD drives = GetLogicalDrives();
    for (int letter = 25; letter >= 3; --letter) {
        if (!(drives & (1u << letter))) return std::wstring(1, static_cast<wchar_t>(L'A' + letter)) + L":";
    }
    return L"";
}

TEST(FileExists, FileIsFound) {
    ScratchFolder scratch;
    EXPECT_TRUE(core::FileExists(scratch.File(L"alarm.wav")));
}

TEST(FileExists, FolderCountsAsExisting) {
    ScratchFolder scratch;
    EXPECT_TRUE(core::FileExists(scratch.Path()));
    EXPECT_TRUE(core::FileExists(scratch.Folder(L"x")));
}

TEST(FileExists, EmptyPathIsFalse) { EXPECT_FALSE(core::FileExists(L"")); }

TEST(FileExists, MissingFileAndFileInMissingFolderAreFalse) {
    ScratchFolder scratch;
    EXPECT_FALSE(core::FileExists(scratch.Path() + L"\\HAND-M.CUR"));
    EXPECT_FALSE(core::FileExists(scratch.Path() + L"\\no such folder\\alarm.wav"));
}

TEST(FileExists, WildcardIsFalseEvenWhenItMatchesAFile) {
    ScratchFolder scratch;
    scratch.File(L"alarm.wav");
    EXPECT_FALSE(core::FileExists(scratch.Path() + L"\\*.wav"));
    EXPECT_FALSE(core::FileExists(scratch.Path() + L"\\alarm.wa?"));
}

TEST(FileExists, FileOnAMissingDriveIsFalse) {
    const std::wstring drive = MissingDrive();
    ASSERT_FALSE(drive.empty());
    EXPECT_FALSE(core::FileExists(drive + L"\\alarm.wav"));
    EXPECT_FALSE(core::FileExists(drive + L"\\"));
}

TEST(FileExists, NameOutsideTheAnsiCodePageIsFound) {
    ScratchFolder scratch;
    const std::wstring name = L"\u0431\u0443\u0434\u0438\u043b\u044c\u043d\u0438\u043a \u95f9\u949f.wav";
    const std::wstring path = scratch.File(name);
    ASSERT_NE(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(core::FileExists(path));
}

TEST(FileExists, HiddenFileIsFound) {
    ScratchFolder scratch;
    EXPECT_TRUE(core::FileExists(scratch.File(L"HAND-M.CUR", FILE_ATTRIBUTE_HIDDEN)));
}

TEST(FileListed, OrdinaryAndReadOnlyFilesAreListed) {
    ScratchFolder scratch;
    EXPECT_TRUE(core::FileListed(scratch.File(L"o.cjs")));
    EXPECT_TRUE(core::FileListed(scratch.File(L"alarm.wav", FILE_ATTRIBUTE_READONLY)));
}

TEST(FileListed, FolderOfThatNameIsNotListed) {
    ScratchFolder scratch;
    EXPECT_FALSE(core::FileListed(scratch.Folder(L"o.cjs")));
}

TEST(FileListed, HiddenAndSystemFilesAreNotListed) {
    ScratchFolder scratch;
    EXPECT_FALSE(core::FileListed(scratch.File(L"hidden.cjs", FILE_ATTRIBUTE_HIDDEN)));
    EXPECT_FALSE(core::FileListed(scratch.File(L"system.cjs", FILE_ATTRIBUTE_SYSTEM)));
}

TEST(FileListed, WildcardNeverStandsForAnotherFile) {
    ScratchFolder scratch;
    scratch.File(L"other.cjs");
    EXPECT_FALSE(core::FileListed(scratch.Path() + L"\\*.cjs"));
    EXPECT_FALSE(core::FileListed(scratch.Path() + L"\\o?her.cjs"));
}

TEST(FileListed, MissingFileEmptyPathAndMissingDriveAreNotListed) {
    ScratchFolder scratch;
    EXPECT_FALSE(core::FileListed(scratch.Path() + L"\\x\\o.cjs"));
    EXPECT_FALSE(core::FileListed(L""));
    EXPECT_FALSE(core::FileListed(MissingDrive() + L"\\o.cjs"));
}

TEST(FileListed, NameOutsideTheAnsiCodePageIsListed) {
    ScratchFolder scratch;
    EXPECT_TRUE(core::FileListed(scratch.File(L"\u0437\u0432\u043e\u043d\u043e\u043a.wav")));
}

TEST(DllSearch, SystemDllsLoadedLateStillLoadByNameFromTheSystemFolderAlone) {
    // A DLL planted beside the program (a portable copy unpacked in Downloads) is not found by name:
    // searched there, its junk would be found and refused as no program.
    const std::wstring planted = core::ProgramFolder() + L"\\corvalin-planted.dll";
    const HANDLE file = CreateFileW(planted.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, "junk", 4, &written, nullptr);
    CloseHandle(file);
    ui::RestrictDllSearchToSystem();
    SetLastError(0);
    EXPECT_EQ(LoadLibraryW(L"corvalin-planted.dll"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    DeleteFileW(planted.c_str());
    // The Open dialog's, whose own imports are searched anew, and the sound's.
    for (const wchar_t* name : {L"comdlg32.dll", L"winmm.dll"}) EXPECT_NE(LoadLibraryW(name), nullptr) << name;
}

}  // namespace
