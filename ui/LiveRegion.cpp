// The live region's annotation through IAccPropServices (oleacc's in-process server, reached through
// COM, so that neither ole32 nor oleacc is loaded before a Time Expired window needs them).
#include "ui/LiveRegion.h"

#include <oleacc.h>

namespace ui {
namespace {

// The header declares these for linking with oleacc's import library, which the program does not link.
constexpr CLSID kAccPropServices{0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
constexpr IID kIAccPropServices{0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
// UI Automation's LiveSetting property as an MSAA property id, and the accessible name's.
constexpr MSAAPROPID kLiveSettingProperty{0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};
constexpr MSAAPROPID kNameProperty{0x608d3df8, 0x8128, 0x4aa7, {0xa4, 0x28, 0xf5, 0x5e, 0x49, 0x26, 0x72, 0x91}};
// winuser.h gives it only for Windows 8 and later; the value is the same everywhere, and older systems
// pass the event on to whoever listens.
constexpr DWORD kLiveRegionChanged = 0x8019;

}  // namespace

LiveRegion::LiveRegion() = default;
LiveRegion::~LiveRegion() { Clear(); }

void LiveRegion::Mark(HWND window, Politeness politeness) {
    Clear();
    window_ = window;
    if (!apartment_) apartment_.emplace();
    if (!apartment_->Joined() ||
        FAILED(CreateInProcessInstance(kAccPropServices, kIAccPropServices, services_.Put()))) {
        services_.Reset();
        return;
    }
    // Zeroed rather than VariantInit, which would import oleaut32 for nothing: an integer needs no clearing.
    VARIANT setting{};
    setting.vt = VT_I4;
    setting.lVal = static_cast<LONG>(politeness);
    if (FAILED(services_->SetHwndProp(window, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, kLiveSettingProperty,
                                      setting))) {
        services_.Reset();
    }
}

void LiveRegion::SetName(const std::wstring& name) {
    if (!services_ || !window_) return;
    named_ = SUCCEEDED(services_->SetHwndPropStr(window_, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                                 kNameProperty, name.c_str())) ||
             named_;
}

void LiveRegion::Announce() const {
    if (window_) NotifyWinEvent(kLiveRegionChanged, window_, OBJID_CLIENT, CHILDID_SELF);
}

void LiveRegion::Clear() {
    if (services_ && window_) {
        const MSAAPROPID properties[] = {kLiveSettingProperty, kNameProperty};
        services_->ClearHwndProps(window_, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, properties, named_ ? 2 : 1);
    }
    services_.Reset();
    window_ = nullptr;
    named_ = false;
}

}  // namespace ui
