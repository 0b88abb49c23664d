// Taking the input from the thread's other windows and giving it back.
#include "core/Modal.h"

#include <cstdint>

namespace core {
namespace {

std::wstring ClassName(HWND hwnd) {
    // A class name is at most 256 characters.
    wchar_t name[257] = {};
    return std::wstring(name, static_cast<std::size_t>(GetClassNameW(hwnd, name, 257)));
}

// How many modalities hold a window disabled, kept with the window itself: the count goes with the
// window, needs nothing program-wide, and is gone with it. Absent means none.
wchar_t const kHoldsProperty[] = L"CorvalinModalHolds";

std::uintptr_t Holds(HWND hwnd) { return reinterpret_cast<std::uintptr_t>(GetPropW(hwnd, kHoldsProperty)); }

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

ThreadModality::ThreadModality(HWND modal, Peers peers) : ThreadModality(modal, peers, false) {}

ThreadModality ThreadModality::AroundBox(HWND owner) { return ThreadModality(owner, TakePeers, true); }

ThreadModality::ThreadModality(HWND modal, Peers peers, bool holdModal) : modal_(modal) {
    if (peers == SparePeers) peerClass_ = ClassName(modal);
    EnumThreadWindows(GetCurrentThreadId(), &ThreadModality::Visit, reinterpret_cast<LPARAM>(this));
    try {
        // Counted only: a box's owner is disabled by the box, which must see it enabled, or it would
        // not give it the input and the activation back as it closes.
        // A window someone else disabled is left as it is, as Visit leaves it.
        const std::uintptr_t holds = modal ? Holds(modal) : 0;
        if (!failure_ && holdModal && modal && (holds > 0 || IsWindowEnabled(modal))) Hold(modal, holds);
    } catch (...) {
        failure_ = std::current_exception();
    }
    if (failure_) {
        // The destructor of a half-built object never runs: give back what was taken before raising.
        Release();
        std::rethrow_exception(failure_);
    }
}

ThreadModality::~ThreadModality() { Release(); }

void ThreadModality::Release() {
    for (HWND hwnd : held_) {
        // A window destroyed in the meantime took its count with it.
        if (!IsWindow(hwnd)) continue;
        const std::uintptr_t holds = Holds(hwnd);
        if (holds > 1) {
            SetPropW(hwnd, kHoldsProperty, reinterpret_cast<HANDLE>(holds - 1));
            // Still held: disabled again should a box's end have given it the input back.
            EnableWindow(hwnd, FALSE);
            continue;
        }
        RemovePropW(hwnd, kHoldsProperty);
        EnableWindow(hwnd, TRUE);
    }
    held_.clear();
}

BOOL CALLBACK ThreadModality::Visit(HWND hwnd, LPARAM self) {
    auto* modality = reinterpret_cast<ThreadModality*>(self);
    if (hwnd == modality->modal_ || !OwnedByProgram(hwnd)) return TRUE;
    const std::uintptr_t holds = Holds(hwnd);
    // Disabled, and by nobody of ours: whoever disabled it enables it.
    if (holds == 0 && !IsWindowEnabled(hwnd)) return TRUE;
    if (!modality->peerClass_.empty() && ClassName(hwnd) == modality->peerClass_) return TRUE;
    // No exception may leave this callback into the system's enumeration: a failure leaves the window
    // untouched and untracked, and ends the enumeration.
    try {
        // A held window that a box's end enabled meanwhile (a box gives its owner the input back) is
        // disabled again: it stays held.
        if (modality->Hold(hwnd, holds)) EnableWindow(hwnd, FALSE);
    } catch (...) {
        modality->failure_ = std::current_exception();
        return FALSE;
    }
    return TRUE;
}

bool ThreadModality::Hold(HWND hwnd, std::uintptr_t holds) {
    // Noted first, so that a failure to note it leaves the window as it was.
    held_.push_back(hwnd);
    if (!SetPropW(hwnd, kHoldsProperty, reinterpret_cast<HANDLE>(holds + 1))) {
        // Without its count the window could not be given back in the right order: left as it is.
        held_.pop_back();
        return false;
    }
    return true;
}

}  // namespace core
