// Program entry: the main window is the start-up object; the message loop gives Tab and Enter their
// dialog meaning in every window of ours.
#include "app/Form1.h"
#include "ui/Dpi.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    // Before any window exists: the windows then take their sizes from their own monitor's DPI and are
    // drawn sharp, instead of stretched by the system. The executable carries no manifest to say so.
    ui::OptIntoPerMonitorDpiAwareness();
    app::Form1 form;
    // Closing the main window ends the program at once, whatever else is open or running.
    form.onEnd = [] { ExitProcess(0); };
    if (!form.Create()) return 1;
    form.Show(showCommand);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        const HWND root = GetAncestor(msg.hwnd, GA_ROOT);
        if (root && IsDialogMessageW(root, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
