// A one-line question to the user: the system's dialog manager runs a small dialog box built in
// memory, with a prompt, an edit box, OK and Cancel.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace ui {

struct TextQuestion {
    std::wstring caption;
    std::wstring prompt;
    // What the edit box holds at first, all of it selected.
    std::wstring text;
    // The most characters the box takes.
    std::size_t limit = 0;
    // Asked on OK with the text typed: empty accepts it; anything else is told the user in a message
    // box, and the dialog stays up for a new try.
    std::function<std::wstring(const std::wstring&)> check;
};

// Asks the question in a dialog box modal to owner. The text accepted, or nothing when the user
// cancelled or the box could not be made.
std::optional<std::wstring> Ask(HWND owner, const TextQuestion& question);

}  // namespace ui
