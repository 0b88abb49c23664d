// Window subclassing of our own: a chain of procedures per window behind one window procedure, kept
// in a window property.
#include "ui/Subclass.h"

#include <memory>
#include <vector>

namespace ui {
namespace {

constexpr wchar_t kChainProperty[] = L"CorvalinSubclassChain";

struct Entry {
    SUBCLASSPROC proc;
    UINT_PTR id;
    DWORD_PTR data;
    bool removed;
};

// The window's own procedure and the procedures on top of it, oldest first; a message goes to the
// newest first. Entries removed while a message is on its way through the chain are only marked, so
// that no index moves under a call; the chain is tidied once no call is left in it.
struct Chain {
    WNDPROC original = nullptr;
    std::vector<Entry> entries;
    int depth = 0;
    // The entry the next CallNextSubclass of the message being handled goes to; -1: the original.
    std::ptrdiff_t next = -1;
    // WM_NCDESTROY has been through: the chain goes once no call is left in it.
    bool destroyed = false;
};

Chain* ChainOf(HWND window) { return static_cast<Chain*>(GetPropW(window, kChainProperty)); }

LRESULT CALLBACK ChainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Hands the message to the newest live entry from `next` down, or to the window's own procedure.
LRESULT CallFrom(Chain& chain, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    for (std::ptrdiff_t i = chain.next; i >= 0; --i) {
        const Entry entry = chain.entries[static_cast<std::size_t>(i)];
        if (entry.removed) continue;
        chain.next = i - 1;
        return entry.proc(window, message, wParam, lParam, entry.id, entry.data);
    }
    return CallWindowProcW(chain.original, window, message, wParam, lParam);
}

// Drops the removed entries. An empty chain gives the window its own procedure back and goes, unless
// another procedure has been put on top of ours meanwhile: ours then stays and passes every message
// straight on.
void Tidy(HWND window, Chain* chain) {
    std::erase_if(chain->entries, [](const Entry& entry) { return entry.removed; });
    if (!chain->entries.empty()) return;
    if (GetWindowLongPtrW(window, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(&ChainProc)) return;
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(chain->original));
    RemovePropW(window, kChainProperty);
    // The chain was made in SetSubclass and handed to the window's property, its only owner.
    delete chain;
}

LRESULT CALLBACK ChainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Chain* chain = ChainOf(window);
    if (!chain) return DefWindowProcW(window, message, wParam, lParam);
    const std::ptrdiff_t outer = chain->next;
    ++chain->depth;
    chain->next = static_cast<std::ptrdiff_t>(chain->entries.size()) - 1;
    const LRESULT result = CallFrom(*chain, window, message, wParam, lParam);
    chain->next = outer;
    --chain->depth;
    if (message == WM_NCDESTROY) {
        // The window is gone: every procedure leaves it, as comctl32's do, and the property goes
        // while the window still has one. A window destroyed inside one of its own messages (a
        // button whose click closes its dialog) gets WM_NCDESTROY with that message still on its way
        // through the chain: the chain outlives it until the outermost call has returned.
        RemovePropW(window, kChainProperty);
        chain->destroyed = true;
    }
    if (chain->depth == 0) {
        if (chain->destroyed) {
            // Owned by the window's property until WM_NCDESTROY took it away; by nothing since.
            delete chain;
        } else {
            Tidy(window, chain);
        }
    }
    return result;
}

Entry* Find(Chain* chain, SUBCLASSPROC proc, UINT_PTR id) {
    if (!chain) return nullptr;
    for (Entry& entry : chain->entries) {
        if (!entry.removed && entry.proc == proc && entry.id == id) return &entry;
    }
    return nullptr;
}

}  // namespace

bool SetSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR data) {
    if (!proc || !IsWindow(window) || GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId()) return false;
    Chain* chain = ChainOf(window);
    if (Entry* entry = Find(chain, proc, id)) {
        entry->data = data;
        return true;
    }
    if (!chain) {
        auto made = std::make_unique<Chain>();
        if (!SetPropW(window, kChainProperty, made.get())) return false;
        made->original = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ChainProc)));
        if (!made->original) {
            RemovePropW(window, kChainProperty);
            return false;
        }
        chain = made.release();
    }
    chain->entries.push_back({proc, id, data, false});
    return true;
}

bool GetSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR* data) {
    const Entry* entry = Find(ChainOf(window), proc, id);
    if (entry && data) *data = entry->data;
    return entry != nullptr;
}

bool RemoveSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id) {
    Chain* chain = ChainOf(window);
    Entry* entry = Find(chain, proc, id);
    if (!entry) return false;
    entry->removed = true;
    if (chain->depth == 0) Tidy(window, chain);
    return true;
}

LRESULT CallNextSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Chain* chain = ChainOf(window);
    if (!chain || chain->depth == 0) return DefWindowProcW(window, message, wParam, lParam);
    const std::ptrdiff_t mine = chain->next;
    const LRESULT result = CallFrom(*chain, window, message, wParam, lParam);
    chain->next = mine;
    return result;
}

}  // namespace ui
