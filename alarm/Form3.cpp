// Alarm Options window: load, the path box, the file dialog, the sound test, the repeat box and OK.
#include "alarm/Form3.h"

#include "core/Files.h"
#include "core/ModulePath.h"
#include "core/Settings.h"
#include "resources/Layouts.h"
#include "sound/SoundManager.h"
#include "ui/Attention.h"
#include "ui/Backdrop.h"
#include "ui/Dpi.h"
#include "ui/ProcAddress.h"
#include "ui/Subclass.h"

#include <commdlg.h>

#include <vector>

namespace alarm {
namespace {

DWORD const kForm3Style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
UINT_PTR const kText1Subclass = 1;

// The filter as the program writes it, "description|pattern|", in the dialog's own form: each part
// ends with a zero, and the list with a second one.
std::wstring DialogFilter(const std::wstring& filter) {
    std::wstring converted = filter;
    for (wchar_t& c : converted) {
        if (c == L'|') c = L'\0';
    }
    converted.push_back(L'\0');
    return converted;
}

// Where the file dialog opens: the folder of the path in the box when that folder exists, else the
// program's folder.
std::wstring DialogFolder(const std::wstring& path) {
    const std::wstring folder = core::ExecutableFolder(path);
    const DWORD attributes = folder.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return folder;
    return core::ProgramFolder();
}

}  // namespace

Form3::Form3(HWND mainWindow, sound::AlarmSound& alarm, core::Trap::Reporter reporter)
    : main_(mainWindow), alarm_(alarm), reporter_(std::move(reporter)) {}

Form3::~Form3() {
    // The end of the program discards this window without its close handling.
    unloading_ = true;
    Destroy();
}

void Form3::EnsureLoaded() {
    if (hwnd()) return;
    if (!CreateCentred(L"CorvalinForm3", 0, kForm3Style, L"Alarm Options", layout::kForm3.clientWidth,
                       layout::kForm3.clientHeight, nullptr)) {
        return;
    }
    fonts_ = ui::FontSet(ui::DpiOf(hwnd()));
    ui::CreateControls(hwnd(), layout::kForm3Controls, fonts_,
                       {{layout::form3::PushButton5, &PushButton5},
                        {layout::form3::PushButton3, &PushButton3},
                        {layout::form3::PushButton1, &PushButton1}});
    for (ui::PushButton* button : {&PushButton5, &PushButton3, &PushButton1}) {
        button->onMouseMove = [this] { Pointer.OnButtonMouseMove(); };
    }
    text1_ = GetDlgItem(hwnd(), layout::form3::Text1);
    chkRepeat_ = GetDlgItem(hwnd(), layout::form3::chkRepeat);
    ui::SetSubclass(text1_, &Form3::Text1Proc, kText1Subclass, reinterpret_cast<DWORD_PTR>(this));
    PushButton5.onClick = [this] { PushButton5_Click(); };
    PushButton3.onClick = [this] { PushButton3_Click(); };
    PushButton1.onClick = [this] { PushButton1_Click(); };
    Form_Load();
}

void Form3::Show() {
    EnsureLoaded();
    ShowWindow(hwnd(), SW_SHOWNORMAL);
    SetForegroundWindow(hwnd());
}

std::wstring Form3::Text1Text() {
    EnsureLoaded();
    return ui::WindowText(text1_);
}

void Form3::SetText1Text(const std::wstring& text) {
    EnsureLoaded();
    // Only a real change of the text is a change (and is stored).
    if (ui::WindowText(text1_) != text) SetWindowTextW(text1_, text.c_str());
}

void Form3::Form_Load() {
    core::Trap trap(L"Form3.Form_Load", reporter_);
    trap.Step(100, [&] { ui::ApplyFaceColor(hwnd()); });
    // Line 102, the icon: the window's class carries it.
    trap.Line(102);
    if (trap.Test(104, [] { return core::FileExists(core::ProgramFolder() + core::kHandPointerFile); })) {
        trap.Step(106, [&] { Pointer.LoadCustom(core::ProgramFolder() + core::kHandPointerFile); });
    }
    trap.Step(108, [&] { SetText1Text(core::ReadSetting(L"Text2")); });
    // Anything but an exact "On" is off, the single play. Setting the box raises no click: nothing is
    // written back at load.
    trap.Step(110, [&] {
        const bool on = core::ReadSetting(L"Repeat Alarm", L"Off") == L"On";
        SendMessageW(chkRepeat_, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    });
}

bool Form3::RepeatAlarm() {
    EnsureLoaded();
    return SendMessageW(chkRepeat_, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Form3::chkRepeat_Click() { core::WriteSetting(L"Repeat Alarm", RepeatAlarm() ? L"On" : L"Off"); }

void Form3::Text1_Change() { core::WriteSetting(L"Text2", ui::WindowText(text1_)); }

void Form3::Text1_GotFocus() { SendMessageW(text1_, EM_SETSEL, 0, GetWindowTextLengthW(text1_)); }

void Form3::PushButton5_Click() {
    core::Trap trap(L"Form3.PushButton5_Click", reporter_);
    std::vector<wchar_t> fileName(32768, L'\0');
    std::wstring title;
    std::wstring filter;
    const std::wstring folder = DialogFolder(ui::WindowText(text1_));
    trap.Line(100);
    trap.Line(102);
    trap.Line(104);
    trap.Step(106, [&] { fileName[0] = L'\0'; });
    trap.Step(108, [&] { title = L"Add File(s) - Hold Ctrl to select multiple files"; });
    trap.Step(110, [&] { filter = DialogFilter(L"Wav Files (*.wav)|*.wav|"); });
    trap.Step(112, [&] {
        OPENFILENAMEW ofn{};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = hwnd();
        ofn.lpstrFilter = filter.c_str();
        ofn.lpstrFile = fileName.data();
        ofn.nMaxFile = static_cast<DWORD>(fileName.size());
        ofn.lpstrTitle = title.c_str();
        // With an empty file name the dialog opens here. Windows 7 and later prefer the folder last
        // picked in this program when this value equals the one of the program's first dialog ever,
        // which for an alarm file that stays in one folder is that same folder.
        ofn.lpstrInitialDir = folder.c_str();
        ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY;
        // The dialog's DLL is loaded for the dialog, not at the program's start. Cancel leaves the
        // file name empty.
        static const auto openFileName =
            ui::SystemFunction<decltype(&GetOpenFileNameW)>(L"comdlg32.dll", "GetOpenFileNameW");
        if (!openFileName || !openFileName(&ofn)) fileName[0] = L'\0';
    });
    const std::wstring picked(fileName.data());
    if (trap.Test(114, [&] { return picked.empty(); })) return;
    trap.Step(116, [&] { SetText1Text(picked); });
}

void Form3::PushButton3_Click() {
    core::Trap trap(L"Form3.PushButton3_Click", reporter_);
    std::wstring path;
    if (trap.Test(100, [&] {
            path = ui::WindowText(text1_);
            return core::FileListed(path);
        })) {
        trap.Line(102);
        trap.Step(104, [&] { alarm_.buffer = sound::FindFreeBuffer(); });
        // Deliberately mended: the test sounds as the alarm would. With no device, or a format the device
        // refuses, the system's alert sound plays instead of nothing.
        trap.Step(106, [&] {
            if (sound::Load(alarm_.buffer, path, sound::UnloadWhenDone | sound::NoNotify)) {
                sound::PlayOrFallback(alarm_.buffer);
            }
        });
        return;
    }
    // Deliberately mended: a missing file or a folder is not silently no test at all; it says so with the
    // loader's message, as OK refuses it.
    trap.Step(108, [] { core::ShowUserMessage(sound::kCannotOpenFile); });
}

void Form3::PushButton1_Click() {
    core::Trap trap(L"Form3.PushButton1_Click", reporter_);
    // Deliberately mended: the path is tested as the alarm at expiry tests it, by a listing of
    // ordinary files. A folder or a wildcard would pass a test of mere existence and then ring nothing.
    // Deliberately mended: a file the player cannot play is refused here too, with the player's own
    // message, rather than found out silently at the alarm. The path stays for the user to mend, and the
    // window stays open. A check that raises refuses the file too, after its report.
    bool refused = false;
    if (trap.Test(100, [&] {
            if (!core::FileListed(ui::WindowText(text1_))) return false;
            refused = true;
            refused = !sound::Check(ui::WindowText(text1_));
            return true;
        })) {
        if (refused) return;
        if (trap.Test(102, [&] { return alarm_.buffer > 0; })) {
            trap.Step(104, [&] { sound::Stop(alarm_.buffer); });
        }
        trap.Step(106, [&] { ShowMain(); });
        trap.Step(108, [&] { Unload(); });
        return;
    }
    trap.Step(110, [] { core::ShowUserMessage(L"File does not exist."); });
    trap.Step(112, [&] { SetText1Text(core::ProgramFolder() + core::kAlarmFile); });
}

void Form3::Form_Unload() { PushButton1_Click(); }

void Form3::Unload() {
    // OK unloads the window from inside its own handler, and the unload runs OK again: that nested
    // run starts no second unload.
    if (unloading_ || !hwnd()) return;
    unloading_ = true;
    Form_Unload();
    // However it closed, the main window comes back: it was hidden while this window was open, and
    // without this a close with a missing file would leave it hidden with no way back but the tray.
    // Shown before this window goes, it takes the activation from it, not another program.
    if (main_ && IsWindow(main_)) ShowMain();
    Destroy();
    text1_ = nullptr;
    chkRepeat_ = nullptr;
    unloading_ = false;
}

void Form3::ShowMain() {
    if (ui::ProgramHasForeground()) {
        ui::ShowNormal(main_);
        SetForegroundWindow(main_);
    } else {
        // Another program is in front: the window comes back behind it without the keyboard, or a key
        // typed there would press a button of ours that nobody sees.
        ShowWindow(main_, IsIconic(main_) ? SW_SHOWNOACTIVATE : SW_SHOWNA);
        if (IsChild(main_, GetFocus())) SetFocus(nullptr);
    }
    // The main window is no longer behind the tray icon, even if it was minimised there while this
    // window was open: its next minimise must hide it again.
    if (onMainShown) onMainShown();
}

LRESULT CALLBACK Form3::Text1Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR /*id*/,
                                  DWORD_PTR self) {
    if (message == WM_MOUSEMOVE) reinterpret_cast<Form3*>(self)->Pointer.OnSurfaceMouseMove();
    if (message == WM_NCDESTROY) ui::RemoveSubclass(hwnd, &Form3::Text1Proc, kText1Subclass);
    return ui::CallNextSubclass(hwnd, message, wParam, lParam);
}

LRESULT Form3::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (ui::HandleCommonFormMessage(hwnd(), Pointer, message, wParam, lParam, result)) return result;
    switch (message) {
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        const int code = HIWORD(wParam);
        // Escape: IsDialogMessageW in the message loop turns it into IDCANCEL. It does what the close
        // box does.
        if (id == IDCANCEL) {
            Unload();
            return 0;
        }
        if (id == layout::form3::Text1 && code == EN_CHANGE) Text1_Change();
        if (id == layout::form3::Text1 && code == EN_SETFOCUS) Text1_GotFocus();
        if (id == layout::form3::chkRepeat && code == BN_CLICKED) chkRepeat_Click();
        return 0;
    }
    // Enter anywhere in the window but on another push button presses OK, the window's default button.
    case DM_GETDEFID:
        return MAKELRESULT(layout::form3::PushButton1, DC_HASDEFID);
    case WM_CLOSE:
        Unload();
        return 0;
    case WM_DPICHANGED:
        ui::ApplyDpiChange(hwnd(), layout::kForm3, layout::kForm3Controls, fonts_, wParam, lParam);
        return 0;
    default:
        break;
    }
    return Window::HandleMessage(message, wParam, lParam);
}

}  // namespace alarm
