// Move-only owners for Win32 handles: each closes its handle exactly once, with the right function.
#pragma once

#include <windows.h>

#include <utility>

namespace core {

template <typename Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() = default;
    explicit UniqueHandle(Handle h) : handle_(h) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~UniqueHandle() { reset(); }

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::Invalid(); }
    Handle release() { return std::exchange(handle_, Traits::Invalid()); }
    void reset(Handle h = Traits::Invalid()) {
        Handle old = std::exchange(handle_, h);
        if (old != Traits::Invalid()) Traits::Close(old);
    }

private:
    Handle handle_ = Traits::Invalid();
};

// What owns nothing, and how a handle is closed: most handles are empty as null; files, finds and a
// few others as INVALID_HANDLE_VALUE.
template <typename H, auto close>
struct NullIsEmpty {
    using Handle = H;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { close(h); }
};
template <auto close>
struct InvalidValueIsEmpty {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { close(h); }
};

using UniqueWindow = UniqueHandle<NullIsEmpty<HWND, &DestroyWindow>>;
using UniqueIcon = UniqueHandle<NullIsEmpty<HICON, &DestroyIcon>>;
using UniqueCursor = UniqueHandle<NullIsEmpty<HCURSOR, &DestroyCursor>>;
using UniqueFont = UniqueHandle<NullIsEmpty<HFONT, &DeleteObject>>;
using UniqueBrush = UniqueHandle<NullIsEmpty<HBRUSH, &DeleteObject>>;
using UniqueBitmap = UniqueHandle<NullIsEmpty<HBITMAP, &DeleteObject>>;
using UniqueKey = UniqueHandle<NullIsEmpty<HKEY, &RegCloseKey>>;
using UniqueAccelerators = UniqueHandle<NullIsEmpty<HACCEL, &DestroyAcceleratorTable>>;
using UniqueModule = UniqueHandle<NullIsEmpty<HMODULE, &FreeLibrary>>;
using UniqueFile = UniqueHandle<InvalidValueIsEmpty<&CloseHandle>>;
using UniqueFind = UniqueHandle<InvalidValueIsEmpty<&FindClose>>;
// Kernel objects that report failure as null (mutexes, file mappings, timers, tokens), unlike files.
using UniqueKernelObject = UniqueHandle<NullIsEmpty<HANDLE, &CloseHandle>>;
using UniqueMappedView = UniqueHandle<NullIsEmpty<void*, &UnmapViewOfFile>>;
// Memory the system allocated for the caller with LocalAlloc (CommandLineToArgvW, ConvertSidToStringSidW).
using UniqueLocalMemory = UniqueHandle<NullIsEmpty<void*, &LocalFree>>;

// Selects a GDI object into a device context for the lifetime of the scope.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;
    ~ScopedSelect() { SelectObject(dc_, old_); }

private:
    HDC dc_;
    HGDIOBJ old_;
};

}  // namespace core
