// The global keys' registration and the Keys dialog: hotkey boxes (the common controls' msctls_hotkey32,
// loaded when the dialog opens), stored as text a person can read and edit.
#include "app/GlobalKeys.h"

#include "core/Handles.h"
#include "core/Program.h"
#include "core/Settings.h"
#include "ui/DialogTemplate.h"
#include "ui/ProcAddress.h"

#include <commctrl.h>

#include <algorithm>

namespace app {
namespace {

// A WM_HOTKEY's id: the action's index plus one.
int IdOf(std::size_t index) { return static_cast<int>(index) + 1; }

int const kFirstBox = 100;
int const kFirstClear = 120;
int const kReport = 140;

// The hotkey box's modifier bits against RegisterHotKey's; the box knows no Win key.
GlobalKey FromBox(WORD value) {
    const BYTE flags = HIBYTE(value);
    GlobalKey key;
    key.key = LOBYTE(value);
    if (flags & HOTKEYF_CONTROL) key.modifiers |= kModControl;
    if (flags & HOTKEYF_ALT) key.modifiers |= kModAlt;
    if (flags & HOTKEYF_SHIFT) key.modifiers |= kModShift;
    return key;
}

WORD ToBox(const GlobalKey& key) {
    BYTE flags = 0;
    if (key.modifiers & kModControl) flags |= HOTKEYF_CONTROL;
    if (key.modifiers & kModAlt) flags |= HOTKEYF_ALT;
    if (key.modifiers & kModShift) flags |= HOTKEYF_SHIFT;
    // The navigation keys and the keypad's divide are extended keys: the box names them so.
    const UINT vk = key.key;
    if ((vk >= VK_PRIOR && vk <= VK_DOWN) || vk == VK_INSERT || vk == VK_DELETE || vk == VK_DIVIDE) flags |= HOTKEYF_EXT;
    return MAKEWORD(static_cast<BYTE>(vk), flags);
}

struct Choosing {
    GlobalKeys& keys;
    KeyChoice stored;
    std::array<WORD, kKeyActions> shown{};
};

void OnOk(HWND dialog, Choosing& choosing) {
    KeyChoice choice;
    for (std::size_t i = 0; i < kKeyActions; ++i) {
        const auto value = static_cast<WORD>(SendDlgItemMessageW(dialog, kFirstBox + static_cast<int>(i), HKM_GETHOTKEY, 0, 0));
        // A box left as it was keeps the stored key, a Win key among it.
        if (value == choosing.shown[i]) {
            choice[i] = choosing.stored[i];
        } else if (LOBYTE(value) != 0) {
            choice[i] = FromBox(value);
        }
    }
    // Only keys the settings can keep as text, each for one action: the others would be lost at the next
    // start, or refused as if another program held them.
    for (std::size_t i = 0; i < kKeyActions; ++i) {
        if (!choice[i]) continue;
        const std::wstring name = GlobalKeyText(*choice[i]);
        const auto twice = std::find(choice.begin() + static_cast<std::ptrdiff_t>(i) + 1, choice.end(), choice[i]);
        if (name.empty() || twice != choice.end()) {
            const std::wstring report = name.empty() ? std::wstring(L"A key chosen has no name the settings can keep. Choose another key.")
                                                     : name + L" is chosen for two actions. Choose it for one.";
            SetDlgItemTextW(dialog, kReport, report.c_str());
            return;
        }
    }
    const std::vector<std::wstring> refused = choosing.keys.Apply(choice);
    if (!refused.empty()) {
        // A key chosen for two actions is named once.
        std::vector<std::wstring> distinct;
        std::wstring names;
        for (const std::wstring& name : refused) {
            if (std::find(distinct.begin(), distinct.end(), name) != distinct.end()) continue;
            distinct.push_back(name);
            names += (names.empty() ? L"" : L", ") + name;
        }
        const std::wstring report = names + (distinct.size() == 1 ? L" is" : L" are") +
                                    L" taken by another program. Choose another key, or none.";
        SetDlgItemTextW(dialog, kReport, report.c_str());
        return;
    }
    for (std::size_t i = 0; i < kKeyActions; ++i) {
        core::WriteSetting(kKeyActionInfo[i].setting, choice[i] ? GlobalKeyText(*choice[i]) : L"");
    }
    EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK KeysProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    // No exception may leave a dialog procedure: a setting the store refuses leaves the dialog up.
    try {
        if (message == WM_INITDIALOG) {
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            auto& choosing = *reinterpret_cast<Choosing*>(lParam);
            for (std::size_t i = 0; i < kKeyActions; ++i) {
                choosing.shown[i] = choosing.stored[i] ? ToBox(*choosing.stored[i]) : 0;
                SendDlgItemMessageW(dialog, kFirstBox + static_cast<int>(i), HKM_SETHOTKEY, choosing.shown[i], 0);
            }
            return TRUE;
        }
        if (message != WM_COMMAND) return FALSE;
        auto* choosing = reinterpret_cast<Choosing*>(GetWindowLongPtrW(dialog, DWLP_USER));
        const int id = LOWORD(wParam);
        if (id == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
        } else if (id == IDOK && choosing) {
            OnOk(dialog, *choosing);
        } else if (id >= kFirstClear && id < kFirstClear + static_cast<int>(kKeyActions)) {
            SendDlgItemMessageW(dialog, kFirstBox + id - kFirstClear, HKM_SETHOTKEY, 0, 0);
        } else {
            return FALSE;
        }
        return TRUE;
    } catch (...) {
        return TRUE;
    }
}

}  // namespace

DWORD GlobalKeys::Register(std::size_t index, const GlobalKey& key) {
    // MOD_NOREPEAT: a key held down acts once, not at every repeat of the keyboard.
    if (!RegisterHotKey(window_, IdOf(index), key.modifiers | MOD_NOREPEAT, key.key)) {
        const DWORD error = GetLastError();
        return error != 0 ? error : ERROR_HOTKEY_ALREADY_REGISTERED;
    }
    registered_[index] = key;
    return 0;
}

void GlobalKeys::UnregisterAll() {
    for (std::size_t i = 0; i < kKeyActions; ++i) {
        if (registered_[i]) UnregisterHotKey(window_, IdOf(i));
        registered_[i].reset();
    }
}

KeyChoice GlobalKeys::Stored() {
    KeyChoice choice;
    for (std::size_t i = 0; i < kKeyActions; ++i) choice[i] = ParseGlobalKey(core::ReadSetting(kKeyActionInfo[i].setting));
    return choice;
}

std::vector<std::wstring> GlobalKeys::RegisterStored(HWND window) {
    UnregisterAll();
    window_ = window;
    std::vector<std::wstring> refused;
    for (std::size_t i = 0; i < kKeyActions; ++i) {
        const std::wstring text = core::ReadSetting(kKeyActionInfo[i].setting);
        if (text.empty()) continue;
        const auto key = ParseGlobalKey(text);
        if (!key || Register(i, *key) != 0) refused.push_back(text);
    }
    return refused;
}

std::vector<std::wstring> GlobalKeys::Apply(const KeyChoice& choice) {
    const KeyChoice before = registered_;
    UnregisterAll();
    std::vector<std::wstring> refused;
    for (std::size_t i = 0; i < kKeyActions; ++i) {
        if (choice[i] && Register(i, *choice[i]) != 0) refused.push_back(GlobalKeyText(*choice[i]));
    }
    if (refused.empty()) return refused;
    // All or none: the keys that worked before work on.
    UnregisterAll();
    for (std::size_t i = 0; i < kKeyActions; ++i) {
        if (before[i]) Register(i, *before[i]);
    }
    return refused;
}

std::optional<KeyAction> GlobalKeys::ActionOf(WPARAM id) {
    if (id < 1 || id > kKeyActions) return std::nullopt;
    return kKeyActionInfo[id - 1].action;
}

void GlobalKeys::Ask(HWND owner) {
    // The hotkey box is a common control: comctl32 is loaded for the dialog only, and its class
    // registered (5.80 and later have ICC_HOTKEY_CLASS; the program imports nothing of comctl32).
    const core::UniqueModule comctl(ui::LoadSystemModule(L"comctl32.dll"));
    using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    const auto init = ui::ProcAddress<InitFn>(comctl.get(), "InitCommonControlsEx");
    INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_HOTKEY_CLASS};
    if (!init || !init(&classes)) {
        core::ShowUserMessage(L"The keys cannot be chosen: the system's hotkey box is missing.");
        return;
    }
    short const rowHeight = 30;
    ui::DialogTemplate dialog(DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU, 230,
                              static_cast<short>(kKeyActions * rowHeight + 50), L"Keys");
    for (std::size_t i = 0; i < kKeyActions; ++i) {
        const auto top = static_cast<short>(7 + i * rowHeight);
        const int index = static_cast<int>(i);
        dialog.AddItem(0x82, SS_LEFT | SS_NOPREFIX, 7, top, 216, 10, -1, kKeyActionInfo[i].caption);
        dialog.AddItem(HOTKEY_CLASSW, WS_BORDER | WS_TABSTOP, 7, static_cast<short>(top + 11), 160, 14,
                       kFirstBox + index, L"");
        dialog.AddItem(0x80, BS_PUSHBUTTON | WS_TABSTOP, 173, static_cast<short>(top + 11), 50, 14, kFirstClear + index,
                       L"None");
    }
    const auto bottom = static_cast<short>(7 + kKeyActions * rowHeight);
    dialog.AddItem(0x82, SS_LEFT | SS_NOPREFIX, 7, bottom, 216, 18, kReport, L"");
    dialog.AddItem(0x80, BS_DEFPUSHBUTTON | WS_TABSTOP, 119, static_cast<short>(bottom + 22), 50, 14, IDOK, L"OK");
    dialog.AddItem(0x80, BS_PUSHBUTTON | WS_TABSTOP, 173, static_cast<short>(bottom + 22), 50, 14, IDCANCEL, L"Cancel");
    Choosing choosing{*this, Stored(), {}};
    // While the dialog is up the keys are let go: a key typed into a box is the box's, not the action's.
    // OK registers what it chose; any other close takes the keys back as they were.
    const KeyChoice before = registered_;
    UnregisterAll();
    if (DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog.Get(), owner, &KeysProc,
                                reinterpret_cast<LPARAM>(&choosing)) != IDOK) {
        Apply(before);
    }
}

}  // namespace app
