// Where the program's DLLs come from: the system folder only.
#pragma once

namespace ui {

// Takes the program's folder and the current folder out of the search for every DLL loaded by bare
// name from now on, the ones system DLLs load for themselves included (winmm's audio drivers, the
// Open dialog's shell components): a DLL of the same name planted beside the program (a portable copy
// unpacked in Downloads) or in the current folder is never loaded. Where the system has no search
// flags (Windows 7 without KB2533623) only the current folder goes. Call first thing in wWinMain.
void RestrictDllSearchToSystem();

}  // namespace ui
