// One timer per user session: the first copy owns a named mutex in the session's Local\ namespace and
// publishes its main window; a later copy finds that window and hands it its command line.
#pragma once

#include "app/CommandLine.h"
#include "core/Handles.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace app {

// The arguments after the program's own name, split as the system splits a command line.
std::vector<std::wstring> ProgramArguments();

// The system calls that make or open the timer's mutex and window word; a test stands in for them to
// play a first copy whose objects it may not open whole.
struct SharedObjectCalls {
    HANDLE(WINAPI* create)(LPSECURITY_ATTRIBUTES, BOOL, LPCWSTR) = &CreateMutexW;
    HANDLE(WINAPI* open)(DWORD, BOOL, LPCWSTR) = &OpenMutexW;
    HANDLE(WINAPI* createMapping)(HANDLE, LPSECURITY_ATTRIBUTES, DWORD, DWORD, DWORD, LPCWSTR) = &CreateFileMappingW;
};

class SingleInstance {
public:
    // Owner: this copy runs the timer, at once or because the copy that ran it ended while this one
    // waited. HandedOver: the first copy took the arguments, to act on them. Refused: the first copy
    // refused the clock time by its clock, for Refusal(). NoTimer: none of these within the wait.
    enum class Outcome { Owner, HandedOver, Refused, NoTimer };

    // Names the objects for the product and the user (the user's SID), so that other users, and other
    // sessions of the same user, keep timers of their own.
    explicit SingleInstance(SharedObjectCalls calls = {});
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Waits for the first copy's window and hands it the arguments; after a refusal, or while the first
    // copy cannot be reached, waits on for it to end. Reason says why a NoTimer reached no timer.
    Outcome Claim(const std::vector<std::wstring>& arguments, NoTimerReason& reason);
    CommandLineRequest::Problem Refusal() const { return refusal_.value_or(CommandLineRequest::Problem::UnknownForm); }
    // The first copy's main window, for later copies; once it is loaded.
    void Publish(HWND mainWindow);

private:
    void OpenMutex();
    void MapWindowWord();
    // True once this copy owns the timer; waits up to waitMs for it.
    bool TryOwn(DWORD waitMs);
    HWND PublishedWindow() const;
    // Lets the first copy come to the front and hands it the arguments; false, with the reason, when
    // it refused them or did not answer.
    bool HandOver(HWND firstWindow, const std::vector<std::wstring>& arguments, NoTimerReason& reason);

    SharedObjectCalls calls_;
    std::wstring base_;
    // Run as administrator, the objects let the same user's copies of normal rights wait and read.
    core::UniqueLocalMemory mutexAccess_;
    core::UniqueLocalMemory wordAccess_;
    core::UniqueKernelObject mutex_;
    bool owner_ = false;
    // A copy run as administrator made the mutex: this copy may only wait on it, if even that.
    bool administrator_ = false;
    core::UniqueKernelObject mapping_;
    core::UniqueMappedView view_;
    // The word an administrator's copy made: this copy may read it only.
    bool readOnly_ = false;
    std::optional<CommandLineRequest::Problem> refusal_;
};

}  // namespace app
