// The "Alarm Options" window: the alarm file path in Text1 (where the whole program reads it), a file
// dialog to pick it, a test of the sound, whether the alarm repeats until answered, and OK, which checks
// that the file exists and can be played. The window is created hidden the first time anything touches
// Text1, and again after every unload.
#pragma once

#include "core/ErrorReport.h"
#include "core/Program.h"
#include "sound/AlarmSound.h"
#include "ui/Controls.h"
#include "ui/PushButton.h"
#include "ui/Window.h"
#include "ui/WindowPointer.h"

#include <functional>
#include <string>

namespace alarm {

class Form3 : public ui::Window {
public:
    // mainWindow is shown again when this window closes; alarm is the sound the test plays and OK stops.
    Form3(HWND mainWindow, sound::AlarmSound& alarm, core::Trap::Reporter reporter = core::ShowErrorReport);
    ~Form3() override;

    // Creates the window hidden and runs its load, unless it exists already.
    void EnsureLoaded();
    bool IsLoaded() const { return hwnd() != nullptr; }
    // Shows the window modelessly (loading it first).
    void Show();
    // The window that was hidden while this one is open, and comes back when it closes: the window
    // whose Alarm Options button opened it.
    void SetMainWindow(HWND main) { main_ = main; }
    HWND MainWindow() const { return main_; }

    // Text1, read and written as the rest of the program does: touching it loads the window.
    std::wstring Text1Text();
    void SetText1Text(const std::wstring& text);
    HWND Text1() const { return text1_; }
    // Whether the alarm plays again and again until Time Expired is answered: the check box, read as the
    // path is (touching it loads the window).
    bool RepeatAlarm();
    HWND chkRepeat() const { return chkRepeat_; }

    // Handlers.
    void Form_Load();
    void Text1_Change();
    void Text1_GotFocus();
    void chkRepeat_Click();
    void PushButton5_Click();
    void PushButton3_Click();
    void PushButton1_Click();
    void Form_Unload();

    ui::PushButton PushButton5;
    ui::PushButton PushButton3;
    ui::PushButton PushButton1;
    ui::WindowPointer Pointer;
    // The main window has been shown again: it is no longer behind the tray icon.
    std::function<void()> onMainShown;

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    static LRESULT CALLBACK Text1Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                      DWORD_PTR self);
    void Unload();
    // Shows the main window again at its normal size, in front with the keyboard unless another program
    // is in front.
    void ShowMain();

    HWND main_;
    sound::AlarmSound& alarm_;
    core::Trap::Reporter reporter_;
    ui::FontSet fonts_;
    HWND text1_ = nullptr;
    HWND chkRepeat_ = nullptr;
    bool unloading_ = false;
};

}  // namespace alarm
