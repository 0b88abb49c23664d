// Taking the input from the thread's other windows and giving it back.
#include "core/Modal.h"

namespace core {
namespace {

std::wstring ClassName(HWND hwnd) {
    // A class name is at most 256 characters.
    wchar_t name[257] = {};
    return std::wstring(name, static_cast<std::size_t>(GetClassNameW(hwnd, name, 257)));
}

// The property by which a peer modality is found from its modal window.
wchar_t const kModalityProperty[] = L"CorvalinModality";

}  // namespace

ThreadModality::ThreadModality(HWND modal, Peers peers) : modal_(modal) {
    if (peers == SparePeers) {
        peerClass_ = ClassName(modal);
        SetPropW(modal_, kModalityProperty, this);
    }
    EnumThreadWindows(GetCurrentThreadId(), &ThreadModality::Visit, reinterpret_cast<LPARAM>(this));
    if (failure_) {
        // The destructor of a half-built object never runs: give back what was taken before raising.
        Release();
        std::rethrow_exception(failure_);
    }
}

ThreadModality::~ThreadModality() { Release(); }

void ThreadModality::Release() {
    if (!peerClass_.empty()) {
        RemovePropW(modal_, kModalityProperty);
        heir_ = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), &ThreadModality::FindPeer, reinterpret_cast<LPARAM>(this));
        if (heir_) {
            try {
                heir_->disabled_.insert(heir_->disabled_.end(), disabled_.begin(), disabled_.end());
                disabled_.clear();
            } catch (...) {
                // Without room to hand them over, the windows are enabled now rather than never.
            }
        }
    }
    for (HWND hwnd : disabled_) {
        // A window destroyed in the meantime is left alone.
        if (IsWindow(hwnd)) EnableWindow(hwnd, TRUE);
    }
    disabled_.clear();
}

namespace {

// The program's own windows, and the windows they own (a common file dialog, a message box), whose
// window class belongs to a system module; the system keeps unowned helper windows of its own on the
// thread, which are left alone.
bool OwnedByProgram(HWND hwnd) {
    const HINSTANCE program = GetModuleHandleW(nullptr);
    for (HWND window = hwnd; window; window = GetWindow(window, GW_OWNER)) {
        if (reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE)) == program) return true;
    }
    return false;
}

}  // namespace

BOOL CALLBACK ThreadModality::FindPeer(HWND hwnd, LPARAM self) {
    auto* modality = reinterpret_cast<ThreadModality*>(self);
    if (hwnd == modality->modal_) return TRUE;
    auto* peer = static_cast<ThreadModality*>(GetPropW(hwnd, kModalityProperty));
    if (!peer || peer == modality || peer->peerClass_ != modality->peerClass_) return TRUE;
    modality->heir_ = peer;
    return FALSE;
}

BOOL CALLBACK ThreadModality::Visit(HWND hwnd, LPARAM self) {
    auto* modality = reinterpret_cast<ThreadModality*>(self);
    if (hwnd == modality->modal_ || !IsWindowEnabled(hwnd) || !OwnedByProgram(hwnd)) return TRUE;
    if (!modality->peerClass_.empty() && ClassName(hwnd) == modality->peerClass_) return TRUE;
    // No exception may leave this callback into the system's enumeration: the window is noted first,
    // so a failure leaves it enabled and untracked, and ends the enumeration.
    try {
        modality->disabled_.push_back(hwnd);
    } catch (...) {
        modality->failure_ = std::current_exception();
        return FALSE;
    }
    EnableWindow(hwnd, FALSE);
    return TRUE;
}

}  // namespace core
