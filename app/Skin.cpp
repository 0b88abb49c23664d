// The main window's skin look-up.
#include "app/Skin.h"

#include "core/Files.h"
#include "core/Program.h"
#include "ui/Backdrop.h"

namespace app {

bool ApplySkin(HWND window) {
    if (!core::FileListed(core::ProgramFolder() + core::kSkinFile)) return false;
    ui::ApplyFaceColor(window);
    return true;
}

}  // namespace app
