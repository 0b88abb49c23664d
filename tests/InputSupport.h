// Real input for the tests, through the system's input queue as a user's mouse and keyboard give it:
// it goes to the window under the pointer or to the foreground window's focus.
#pragma once

#include <windows.h>

namespace testinput {

// A left click where the pointer is now.
inline void Click() {
    INPUT inputs[2] = {};
    inputs[0].type = inputs[1].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, inputs, sizeof(INPUT));
}

// A left click at a point of the screen.
inline void ClickAt(POINT at) {
    SetCursorPos(at.x, at.y);
    Click();
}

// A key pressed and released, as typed.
inline void Type(WORD key) {
    INPUT inputs[2] = {};
    inputs[0].type = INPUT_KEYBOARD;
    inputs[0].ki.wVk = key;
    inputs[1] = inputs[0];
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, inputs, sizeof(INPUT));
}

}  // namespace testinput
