// COM on the GUI thread and the objects it hands out: each owned by a move-only holder that gives it
// back exactly once. COM's DLL, ole32, is loaded when COM is first joined: the program starts without it.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <utility>

namespace ui {

// COM on this thread, apartment-threaded as a thread with windows needs, for the holder's lifetime.
// A thread that runs COM in the other model already keeps it so, and gives nothing back; without
// ole32 nothing is joined.
class ComApartment {
public:
    ComApartment();
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    // Each successful CoInitializeEx, S_FALSE too, is matched by one CoUninitialize.
    ~ComApartment();
    bool Joined() const { return joined_; }

private:
    bool joined_;
};

// CoCreateInstance of an in-process server; REGDB_E_CLASSNOTREG without ole32.
HRESULT CreateInProcessInstance(REFCLSID clsid, REFIID iid, void** object);

// One reference to a COM object.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.object_, nullptr));
        return *this;
    }
    ~ComPtr() { Reset(); }

    T* Get() const { return object_; }
    T* operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }
    // The place a creating call writes a new reference to; what was held is released first.
    void** Put() {
        Reset();
        return reinterpret_cast<void**>(&object_);
    }
    void Reset(T* object = nullptr) {
        if (T* old = std::exchange(object_, object)) old->Release();
    }

private:
    T* object_ = nullptr;
};

}  // namespace ui
