// The main window's optional skin.
#pragma once

#include <windows.h>

namespace app {

// The main window's skin: when the skin file is listed beside the program, the window takes the face
// colour as ApplyFaceColor gives it. This build hosts no skin engine, so the file is not loaded.
// Returns whether the skin file was found.
bool ApplySkin(HWND window);

}  // namespace app
