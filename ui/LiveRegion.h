// A window whose text a screen reader announces when it appears, even without the focus: a live region (UI Automation's LiveSetting, set through the accessibility property service), raised with
// EVENT_OBJECT_LIVEREGIONCHANGED.
#pragma once

#include "ui/Com.h"

#include <windows.h>

#include <optional>
#include <string>

struct IAccPropServices;

namespace ui {

class LiveRegion {
public:
    LiveRegion();
    LiveRegion(const LiveRegion&) = delete;
    LiveRegion& operator=(const LiveRegion&) = delete;
    // The annotations go with it.
    ~LiveRegion();

    // How a screen reader announces the region: at once, interrupting what it was saying (an alarm), or
    // once it has finished (a countdown's last minute).
    enum class Politeness : LONG { Polite = 1, Assertive = 2 };
    // Makes window a live region. Where the system lacks the property service (Wine may not have it;
    // before Windows 8 the setting means nothing) nothing is annotated and nothing fails.
    void Mark(HWND window, Politeness politeness = Politeness::Assertive);
    // What a screen reader reads of the region instead of its own text, kept current by the caller.
    void SetName(const std::wstring& name);
    // Tells screen readers that the region's text is there to read: once, when it appears. The event is
    // raised whether or not the annotation could be made.
    void Announce() const;
    // Takes the annotations away, before the window goes.
    void Clear();

private:
    std::optional<ComApartment> apartment_;
    ComPtr<IAccPropServices> services_;
    HWND window_ = nullptr;
    bool named_ = false;
};

}  // namespace ui
