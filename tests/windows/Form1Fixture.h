// A main window as a first run opens it, shown, with the one-time balloon already spent: the fixture of
// the tests that run countdowns in it.
#pragma once

#include "TestSupport.h"
#include "alarm/Form2.h"
#include "app/Form1.h"
#include "app/TimerProgram.h"
#include "core/Program.h"
#include "ui/Controls.h"

#include <gtest/gtest.h>

namespace testsupport {

// The program's own message loop, dialog keys and all, until done() or a minute is up; returns done().
inline bool RunProgramLoopUntil(const std::function<bool()>& done) {
    for (const ULONGLONG end = GetTickCount64() + 60000; !done() && GetTickCount64() < end;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ui::DispatchToWindow(msg);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    return done();
}
// Time Expired's answer has been taken: the countdown reset, or run again.
inline bool AlarmAnswered(app::Form1& form) { return RunProgramLoopUntil([&] { return form.countdown().State() != core::CountdownState::Ringing; }); }
// Shows Time Expired over the main window and runs the program's loop until it has been answered.
inline bool ShowTimeExpired(app::Form1& form, alarm::Form2& form2) {
    bool answered = false;
    form2.Show(form.hwnd(), true, {}, [&](bool, std::int32_t) { answered = true; });
    return RunProgramLoopUntil([&] { return answered; });
}

class ShownForm1 : public testing::Test {
protected:
    void SetUp() override {
        ClearSettings();
        ASSERT_TRUE(program.Create());
        form.Show(SW_SHOWNORMAL);
        // The one-time balloon would wait five seconds at the first minimise (Wine's shell never
        // reports it closed), with the real timer ticking meanwhile: spend it here, with no wait.
        program.cSysTray1.ShowBalloon(L"", L"", 0, true);
    }

    app::TimerProgram program;
    app::Form1& form = program.Main();
};

}  // namespace testsupport
