// One timer per user session: the first copy owns a named mutex in the session's Local\ namespace and
// publishes its main window; a later copy finds that window and hands it its command line.
#pragma once

#include "core/Handles.h"

#include <windows.h>

#include <string>
#include <vector>

namespace app {

// The arguments after the program's own name, split as the system splits a command line.
std::vector<std::wstring> ProgramArguments();

class SingleInstance {
public:
    // Names the objects for the product and the user (the user's SID), so that other users, and other
    // sessions of the same user, keep timers of their own.
    SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when this copy owns the timer, at once or because the copy that owned it ended while this
    // one waited. Otherwise firstWindow is the first copy's main window, or null when none showed up
    // within the wait.
    bool Claim(HWND& firstWindow);
    // The first copy's main window, for later copies; once it is loaded.
    void Publish(HWND mainWindow);

    // Lets the first copy come to the front and hands it the arguments. False when it refused them or
    // did not answer.
    static bool HandOver(HWND firstWindow, const std::vector<std::wstring>& arguments);

private:
    HWND PublishedWindow() const;

    core::UniqueKernelObject mutex_;
    bool owner_ = false;
    core::UniqueKernelObject mapping_;
    core::UniqueMappedView view_;
};

}  // namespace app
