// A main window as a first run opens it, shown, with the one-time balloon already spent: the fixture of
// the tests that run countdowns in it.
#pragma once

#include "TestSupport.h"
#include "app/Form1.h"
#include "core/Program.h"

#include <gtest/gtest.h>

namespace testsupport {

class ShownForm1 : public testing::Test {
protected:
    void SetUp() override {
        core::program::HiddenInTray = false;
        core::program::RestartRequested = false;
        ClearSettings();
        ASSERT_TRUE(form.Create());
        form.Show(SW_SHOWNORMAL);
        // The one-time balloon would wait five seconds at the first minimise (Wine's shell never
        // reports it closed), with the real timer ticking meanwhile: spend it here, with no wait.
        form.cSysTray1.ShowBalloon(L"", L"", 0, true);
    }

    app::Form1 form;
};

}  // namespace testsupport
