// The handler error report: its exact text and the trap's flow rules.
#include "core/AppTitle.h"
#include "core/ErrorReport.h"
#include "core/WideText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <locale>
#include <string>
#include <vector>

// The program widens an exception's text through the code pages of Windows; here the standard
// library's widening stands in.
std::wstring core::WidenNarrowText(std::string_view text) {
    std::wstring wide(text.size(), L'\0');
    std::use_facet<std::ctype<wchar_t>>(std::locale::classic()).widen(text.data(), text.data() + text.size(),
                                                                     wide.data());
    return wide;
}

namespace app {
namespace {

TEST(ReportText, IsExactByteForByte) {
    const std::wstring expected = std::wstring(L"Overflow") + L"\r\n" +
                                  L"in CorvalinTimer2021/08/31.Form1.PushButton1_Click at line 120" + L"\r\r" +
                                  L"Please email screenshot of this message to " + core::kSupportAddress;
    EXPECT_EQ(core::ReportText(L"Overflow", L"Form1.PushButton1_Click", 120), expected);
}

TEST(ReportText, HasExactlyOneLineBreakAndTwoLoneCarriageReturns) {
    const std::wstring text = core::ReportText(L"Type mismatch", L"Form3.PushButton5_Click", 116);
    std::size_t crlf = 0;
    for (std::size_t at = text.find(L"\r\n"); at != std::wstring::npos; at = text.find(L"\r\n", at + 1)) ++crlf;
    EXPECT_EQ(crlf, 1u);
    EXPECT_EQ(std::count(text.begin(), text.end(), L'\r'), 3);
    EXPECT_EQ(std::count(text.begin(), text.end(), L'\n'), 1);
    EXPECT_NE(text.find(L"\r\rPlease"), std::wstring::npos);
    EXPECT_NE(text.find(L"Form3.PushButton5_Click at line 116\r\r"), std::wstring::npos);
}

struct Recorder {
    std::vector<std::wstring> reports;
    core::Trap::Reporter Get() {
        return [this](const std::wstring& text) { reports.push_back(text); };
    }
};

[[noreturn]] void Fail(const wchar_t* what) { throw core::HandlerError(what); }

TEST(Trap, FailingStepIsReportedAndTheHandlerGoesOn) {
    Recorder recorder;
    std::vector<int> ran;
    core::Trap trap(L"Form1.Form_Load", recorder.Get());
    trap.Step(100, [&] { ran.push_back(100); });
    trap.Step(102, [&] { Fail(L"Skin failed"); });
    trap.Step(106, [&] { ran.push_back(106); });
    EXPECT_EQ(ran, (std::vector<int>{100, 106}));
    ASSERT_EQ(recorder.reports.size(), 1u);
    EXPECT_EQ(recorder.reports[0], core::ReportText(L"Skin failed", L"Form1.Form_Load", 102));
}

TEST(Trap, FailingConditionCountsAsTrue) {
    Recorder recorder;
    core::Trap trap(L"Form1.PushButton1_Click", recorder.Get());
    const bool result = trap.Test(102, []() -> bool { Fail(core::kTypeMismatch); });
    EXPECT_TRUE(result);
    ASSERT_EQ(recorder.reports.size(), 1u);
    EXPECT_NE(recorder.reports[0].find(L"at line 102"), std::wstring::npos);
    EXPECT_EQ(recorder.reports[0].rfind(L"Type mismatch\r\n", 0), 0u);
}

// A handler shaped like Start/Pause: failing in the last step of the start branch ends it without
// running the pause branch.
void StartPause(core::Trap& trap, bool failLastStep, std::vector<int>& ran) {
    if (trap.Test(100, [] { return true; })) {
        trap.Step(124, [&] { ran.push_back(124); });
        trap.Step(126, [&] {
            if (failLastStep) Fail(L"Minimise failed");
            ran.push_back(126);
        });
        return;
    }
    trap.Step(128, [&] { ran.push_back(128); });
}

TEST(Trap, FailingLastStepOfABranchEndsTheHandler) {
    Recorder recorder;
    std::vector<int> ran;
    core::Trap trap(L"Form1.PushButton1_Click", recorder.Get());
    StartPause(trap, true, ran);
    EXPECT_EQ(ran, (std::vector<int>{124}));
    ASSERT_EQ(recorder.reports.size(), 1u);
    EXPECT_NE(recorder.reports[0].find(L"at line 126"), std::wstring::npos);
}

TEST(Trap, TwoFailuresGiveTwoReportsWithTheirOwnLines) {
    Recorder recorder;
    core::Trap trap(L"Form2.PushButton1_Click", recorder.Get());
    trap.Step(102, [] { Fail(L"first"); });
    trap.Step(104, [] {});
    trap.Step(108, [] { throw std::runtime_error("second"); });
    ASSERT_EQ(recorder.reports.size(), 2u);
    EXPECT_EQ(recorder.reports[0], core::ReportText(L"first", L"Form2.PushButton1_Click", 102));
    EXPECT_EQ(recorder.reports[1], core::ReportText(L"second", L"Form2.PushButton1_Click", 108));
}

TEST(Trap, AFailingReporterNeverEscapesTheHandler) {
    core::Trap trap(L"Form1.Timer1", [](const std::wstring&) { throw std::runtime_error("box failed"); });
    bool after = false;
    EXPECT_NO_THROW(trap.Step(118, [] { Fail(L"x"); }));
    trap.Step(120, [&] { after = true; });
    EXPECT_TRUE(after);
}

TEST(Trap, OutOfMemoryHasItsOwnDescription) {
    Recorder recorder;
    core::Trap trap(L"Form3.PushButton3_Click", recorder.Get());
    trap.Step(106, [] { throw std::bad_alloc(); });
    ASSERT_EQ(recorder.reports.size(), 1u);
    EXPECT_EQ(recorder.reports[0].rfind(L"Out of memory\r\n", 0), 0u);
}

TEST(AppTitle, ProductNameGivesTheTitleWithoutItsLastWord) {
    EXPECT_EQ(core::CutTitle(core::kProductName), L"Corvalin Timer");
    EXPECT_EQ(core::CutTitle(L"Short Name"), L"Short");
}

TEST(AppTitle, LongNamesAreCutWordByWordToFortyCharacters) {
    const std::wstring name = L"Alpha Bravo Charlie Delta Echo Foxtrot Golf Hotel India";
    const std::wstring title = core::CutTitle(name);
    EXPECT_EQ(title, L"Alpha Bravo Charlie Delta Echo Foxtrot");
    EXPECT_LE(title.size(), 40u);
}

TEST(AppTitle, ANameWithoutBlanksIsCutToFortyCharactersInsteadOfLoopingForever) {
    EXPECT_EQ(core::CutTitle(std::wstring(50, L'x')), std::wstring(40, L'x'));
    EXPECT_EQ(core::CutTitle(L"Single"), L"Single");
}

}  // namespace
}  // namespace app
