// COM's functions from ole32.dll, looked up when first called.
#include "ui/Com.h"

#include "ui/ProcAddress.h"

namespace ui {
namespace {

template <typename Fn>
Fn Ole32(const char* name) {
    return SystemFunction<Fn>(L"ole32.dll", name);
}

}  // namespace

ComApartment::ComApartment() {
    static const auto initialize = Ole32<decltype(&CoInitializeEx)>("CoInitializeEx");
    joined_ = initialize && SUCCEEDED(initialize(nullptr, COINIT_APARTMENTTHREADED));
}

ComApartment::~ComApartment() {
    static const auto uninitialize = Ole32<decltype(&CoUninitialize)>("CoUninitialize");
    if (joined_ && uninitialize) uninitialize();
}

HRESULT CreateInProcessInstance(REFCLSID clsid, REFIID iid, void** object) {
    static const auto create = Ole32<decltype(&CoCreateInstance)>("CoCreateInstance");
    if (!create) return REGDB_E_CLASSNOTREG;
    return create(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, object);
}

}  // namespace ui
