// The DLL search narrowed to the system folder still finds what the program loads late.
#include "core/Handles.h"
#include "ui/DllSearch.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

TEST(DllSearch, SystemDllsTheProgramLoadsLateStillLoadByName) {
    ui::RestrictDllSearchToSystem();
    // The Open dialog's DLL, whose own imports (shell32, comctl32, ...) are searched anew, and the
    // sound's.
    for (const wchar_t* name : {L"comdlg32.dll", L"winmm.dll"}) {
        const core::UniqueModule module(LoadLibraryW(name));
        EXPECT_TRUE(module) << "error " << GetLastError();
    }
}

}  // namespace
