// Window subclassing through comctl32's subclass functions, found by their ordinals.
#include "ui/Subclass.h"

#include "ui/ProcAddress.h"

namespace ui {
namespace {

using SetFn = BOOL(WINAPI*)(HWND, SUBCLASSPROC, UINT_PTR, DWORD_PTR);
using GetFn = BOOL(WINAPI*)(HWND, SUBCLASSPROC, UINT_PTR, DWORD_PTR*);
using RemoveFn = BOOL(WINAPI*)(HWND, SUBCLASSPROC, UINT_PTR);
using DefFn = LRESULT(WINAPI*)(HWND, UINT, WPARAM, LPARAM);

struct SubclassFunctions {
    SetFn set = nullptr;
    GetFn get = nullptr;
    RemoveFn remove = nullptr;
    DefFn def = nullptr;
};

template <typename Fn>
Fn ByOrdinal(HMODULE module, WORD ordinal) {
    return ProcAddress<Fn>(module, MAKEINTRESOURCEA(ordinal));
}

const SubclassFunctions& Functions() {
    // Looked up once; comctl32 stays loaded for the life of the process, as an import would.
    static const SubclassFunctions functions = [] {
        HMODULE comctl = LoadLibraryW(L"comctl32.dll");
        return SubclassFunctions{ByOrdinal<SetFn>(comctl, 410), ByOrdinal<GetFn>(comctl, 411),
                                 ByOrdinal<RemoveFn>(comctl, 412), ByOrdinal<DefFn>(comctl, 413)};
    }();
    return functions;
}

}  // namespace

bool SetSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR data) {
    const auto set = Functions().set;
    return set && set(window, proc, id, data);
}

bool GetSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR* data) {
    const auto get = Functions().get;
    return get && get(window, proc, id, data);
}

bool RemoveSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id) {
    const auto remove = Functions().remove;
    return remove && remove(window, proc, id);
}

LRESULT CallNextSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (const auto def = Functions().def) return def(window, message, wParam, lParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace ui
