// Modal for the whole program: while a modal window of ours (or a message box) is up, no other window
// of the thread takes input, the main window, windows that are open and windows that are loaded but
// hidden alike, as with the system's task-modal message box.
#pragma once

#include <windows.h>

#include <cstdint>
#include <exception>
#include <string>
#include <vector>

namespace core {

class ThreadModality {
public:
    // Whether the other windows of modal's own class keep their input: alarms that are up together
    // are each answered on their own, in any order.
    enum Peers { TakePeers, SparePeers };

    // Holds every top-level window of the program on this thread disabled except modal (and, with
    // SparePeers, the windows of its class): the enabled ones, and those another modality of ours
    // holds already. A window disabled by anyone else is left alone.
    explicit ThreadModality(HWND modal, Peers peers = TakePeers);
    // Around a message box that owner owns: as TakePeers, and owner is held as well. The box disables
    // its owner itself and enables it again as it closes, before or after this is released: held, the
    // owner stays disabled for any modality that came up while the box was up.
    static ThreadModality AroundBox(HWND owner);
    ThreadModality(const ThreadModality&) = delete;
    ThreadModality& operator=(const ThreadModality&) = delete;
    ~ThreadModality();

    // Lets go of the windows this holds, once only. Modalities compose: a window is enabled again
    // when the last modality holding it lets go, whatever the order in which they are released (a
    // question withdrawn under an alarm, alarms answered in any order), so each ends as it was before
    // the first took it.
    void Release();

private:
    ThreadModality(HWND modal, Peers peers, bool holdModal);
    static BOOL CALLBACK Visit(HWND hwnd, LPARAM self);
    // Counts one more hold on hwnd, which had holds; false when the count cannot be kept.
    bool Hold(HWND hwnd, std::uintptr_t holds);

    HWND modal_;
    // The class name of the windows spared; empty for none.
    std::wstring peerClass_;
    std::vector<HWND> held_;
    // A failure inside the enumeration, carried past the system's callback and raised after it.
    std::exception_ptr failure_;
};

}  // namespace core
