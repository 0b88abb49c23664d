// The global keys: registered with the system for the program's window, so that they work from any
// program; none is set by default. The Keys dialog chooses them and keeps them in the settings.
#pragma once

#include "app/GlobalKeyText.h"

#include <windows.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace app {

// The chosen key of each action (kKeyActionInfo's order); nothing for none.
using KeyChoice = std::array<std::optional<GlobalKey>, kKeyActions>;

class GlobalKeys {
public:
    GlobalKeys() = default;
    GlobalKeys(const GlobalKeys&) = delete;
    GlobalKeys& operator=(const GlobalKeys&) = delete;
    ~GlobalKeys() { UnregisterAll(); }

    // The keys the settings hold, registered for window (its WM_HOTKEY carries the action's id). Returns
    // the texts of the keys that could not be registered: held by another program, or no key.
    std::vector<std::wstring> RegisterStored(HWND window);
    // Registers every key chosen, all or none: when one is held by another program (or refused), the
    // keys registered before stay, and the texts of the refused ones come back.
    std::vector<std::wstring> Apply(const KeyChoice& choice);
    void UnregisterAll();
    // The action a WM_HOTKEY's id stands for.
    static std::optional<KeyAction> ActionOf(WPARAM id);
    // The keys the settings hold now.
    static KeyChoice Stored();
    // The Keys dialog, modal to owner: its OK registers the keys chosen and stores them, or names the keys
    // another program holds and stays up.
    void Ask(HWND owner);
    // True while a key's action runs: it may pump messages, and a key pressed meanwhile waits for none.
    bool acting = false;

private:
    // 0, or the system's error (ERROR_HOTKEY_ALREADY_REGISTERED for a key another program holds).
    DWORD Register(std::size_t index, const GlobalKey& key);

    HWND window_ = nullptr;
    KeyChoice registered_;
};

}  // namespace app
