// Modal for the whole program: while a modal window of ours (or a message box) is up, no other window
// of the thread takes input, the main window, windows that are open and windows that are loaded but
// hidden alike, as with the system's task-modal message box.
#pragma once

#include <windows.h>

#include <exception>
#include <string>
#include <vector>

namespace core {

class ThreadModality {
public:
    // Whether the other windows of modal's own class keep their input: alarms that are up together
    // are each answered on their own, in any order.
    enum Peers { TakePeers, SparePeers };

    // Disables every enabled top-level window of the program on this thread except modal (and, with
    // SparePeers, the windows of its class).
    explicit ThreadModality(HWND modal, Peers peers = TakePeers);
    ThreadModality(const ThreadModality&) = delete;
    ThreadModality& operator=(const ThreadModality&) = delete;
    ~ThreadModality();

    // Enables again exactly the windows this disabled, so each is as it was before; once only. A window
    // that was disabled already stays disabled. With SparePeers, while another window of modal's class
    // is still up with its own modality, the windows go to that one instead, and stay disabled until
    // the last of them is released: alarms answered in any order never free the windows early.
    void Release();

private:
    static BOOL CALLBACK Visit(HWND hwnd, LPARAM self);
    static BOOL CALLBACK FindPeer(HWND hwnd, LPARAM self);

    HWND modal_;
    // The class name of the windows spared; empty for none.
    std::wstring peerClass_;
    std::vector<HWND> disabled_;
    // A failure inside the enumeration, carried past the system's callback and raised after it.
    std::exception_ptr failure_;
    // Set while releasing: the peer modality that takes the windows over.
    ThreadModality* heir_ = nullptr;
};

}  // namespace core
