// Exception texts in the handler error report, widened by the system's code-page conversion; modality.
#include "core/ErrorReport.h"
#include "core/Handles.h"
#include "core/Modal.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <stdexcept>
#include <string>

namespace {

std::wstring Described(const char* what) {
    try {
        throw std::runtime_error(what);
    } catch (...) {
        return core::DescribeCurrentException();
    }
}

TEST(ErrorReportText, ExceptionTextsComeOutAsWrittenInUtf8OrElseInTheAnsiCodePage) {
    EXPECT_EQ(Described("Gr\xC3\xB6\xC3\x9F" "e \xE2\x82\xAC \xF0\x9F\x94\x94"), L"Gr\u00F6\u00DFe \u20AC \U0001F514");
    // Not UTF-8: read in the ANSI code page, byte for byte, never sign-extended.
    wchar_t expected[8] = {};
    ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, "caf\xE9", 4, expected, 8), 4);
    EXPECT_EQ(Described("caf\xE9"), expected);
}

TEST(ThreadModality, WindowsStayDisabledUntilTheLastModalityHoldingThemLetsGoInEitherOrder) {
    const auto popup = [module = GetModuleHandleW(nullptr)](const wchar_t* name) {
        return core::UniqueWindow(CreateWindowExW(0, name, L"", WS_POPUP, 0, 0, 9, 9, {}, {}, module, {}));
    };
    // A question box's owner, an alarm, its peer (one class), the main window, one disabled by others.
    const core::UniqueWindow owner = popup(L"EDIT"), alarm = popup(L"STATIC"), peer = popup(L"STATIC");
    const core::UniqueWindow main = popup(L"BUTTON"), parked = popup(L"BUTTON");
    EnableWindow(parked.get(), FALSE);
    // A question withdrawn under the alarm that came up while it was asked, and the other way round. The
    // box disables its owner, and gives it the input back as it closes, before its modality goes.
    for (const bool questionFirst : {true, false}) {
        core::ThreadModality question = core::ThreadModality::AroundBox(owner.get());
        EnableWindow(owner.get(), FALSE);
        core::ThreadModality alarmUp(alarm.get(), core::ThreadModality::SparePeers);
        EnableWindow(owner.get(), TRUE);
        (questionFirst ? question : alarmUp).Release();
        EXPECT_FALSE(IsWindowEnabled(main.get()) || IsWindowEnabled(owner.get()));
        EXPECT_EQ(IsWindowEnabled(peer.get()) != FALSE, questionFirst);
        (questionFirst ? alarmUp : question).Release();
        EXPECT_TRUE(IsWindowEnabled(main.get()) && IsWindowEnabled(owner.get()) && IsWindowEnabled(peer.get()));
    }
    EXPECT_FALSE(IsWindowEnabled(parked.get()));
}

}  // namespace
