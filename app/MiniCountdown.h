// A timer's mini countdown: a small borderless window on top of the others that shows the timer's label
// and time left, never takes the keyboard or the foreground, and has no taskbar button. It can be dragged
// anywhere; a double-click brings back the timer's window, a right-click opens its menu. It steps aside
// while a full-screen program or a presentation is in front.
#pragma once

#include "app/MiniCountdownText.h"
#include "core/Handles.h"
#include "ui/LiveRegion.h"
#include "ui/Window.h"

#include <optional>
#include <string>

namespace app {

class Form1;
class TimerProgram;

// Fills menu with the recent durations, the first item's command first and each next one step further
// on; greyed (as the system menu's other items are while an alarm or a question holds the program), or
// one greyed "(none)" when there are none.
void FillRecentMenu(HMENU menu, UINT firstItem, UINT step, bool greyed);

class MiniCountdown : public ui::Window {
public:
    static constexpr wchar_t kClassName[] = L"CorvalinMiniCountdown";
    // The menu's commands; the recent durations follow kRecentItem, one apart.
    enum Item : UINT { kPauseItem = 1, kResetItem, kShowTimerItem, kHideItem, kRecentItem = 16 };

    MiniCountdown(TimerProgram& program, Form1& timer);
    ~MiniCountdown() override;

    // Shows the window at place (workspace coordinates, as the record keeps it), kept on a monitor's
    // work area; without one, set down below the other mini countdowns in the top-right corner.
    bool Show(std::optional<POINT> place);
    void Hide();
    // Whether the user has it shown (it may step aside for a full-screen program meanwhile).
    bool Shown() const { return shown_; }
    // Its top-left corner in workspace coordinates.
    POINT Place() const;
    // Draws the timer as it stands; only a change of its text repaints it. Once a second while the
    // timer counts, it also takes its place on top again, or steps aside for a full-screen program.
    void Update();
    // The text it shows, which is also its window's text.
    const std::wstring& Text() const { return text_; }
    // The displays or the work area changed: the window comes back onto a monitor.
    void KeepOnScreen();

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnPaint();
    void OnContextMenu(POINT at);
    void OnCommand(UINT item);
    void StayInSight();
    // The window's size for its text at its DPI: about 200 x 40 pixels at 96 DPI, wider for a long label.
    void Fit(int dpi);

    TimerProgram& program_;
    Form1& timer_;
    bool shown_ = false;
    // Hidden while a full-screen program or a presentation is in front.
    bool steppedAside_ = false;
    std::wstring text_;
    // A polite live region: screen readers hear the last minute begin.
    ui::LiveRegion liveRegion_;
    bool lastMinuteTold_ = false;
    // The label its size was fitted to.
    std::wstring fittedLabel_;
    core::UniqueFont font_;
    int fontDpi_ = 0;
    UINT shellHookMessage_ = 0;
    // A drag under way: where the pointer took the window, in its client coordinates.
    std::optional<POINT> dragFrom_;
};

}  // namespace app
