// Tray record: the cuts of the tip and balloon fields, the event each shell notification raises,
// and the balloon timeout's overflow.
#include "core/ErrorReport.h"
#include "tray/TrayRecord.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace {

using tray::ClassifyNotification;
using tray::TrayEvent;

std::wstring Numbered(std::size_t length) {
    std::wstring text;
    for (std::size_t i = 0; i < length; ++i) text += static_cast<wchar_t>(L'A' + i % 26);
    return text;
}

TEST(TrayRecord, TipOf127CharactersReachesTheShellWhole) {
    std::array<wchar_t, 128> tip{};
    tip.fill(L'#');
    const std::wstring text = Numbered(127);
    tray::CopyToField(text, tip);
    EXPECT_EQ(std::wstring(tip.data()), text);
    EXPECT_EQ(tip[127], L'\0');
}

TEST(TrayRecord, TipOf128CharactersLosesItsLastCharacter) {
    std::array<wchar_t, 128> tip{};
    const std::wstring text = Numbered(128);
    tray::CopyToField(text, tip);
    EXPECT_EQ(std::wstring(tip.data()), text.substr(0, 127));
}

TEST(TrayRecord, TipOf200CharactersIsCutToItsFirst127) {
    std::array<wchar_t, 128> tip{};
    tip.fill(L'#');
    const std::wstring text = Numbered(200);
    tray::CopyToField(text, tip);
    EXPECT_EQ(std::wstring(tip.data()), text.substr(0, 127));
    EXPECT_EQ(tip[127], L'\0');
}

TEST(TrayRecord, BalloonTextIsCutAt255AndTitleAt63) {
    std::array<wchar_t, 256> info{};
    std::array<wchar_t, 64> title{};
    tray::CopyToField(Numbered(300), info);
    tray::CopyToField(Numbered(64), title);
    EXPECT_EQ(std::wstring(info.data()), Numbered(255));
    EXPECT_EQ(std::wstring(title.data()), Numbered(63));
    tray::CopyToField(Numbered(255), info);
    tray::CopyToField(Numbered(63), title);
    EXPECT_EQ(std::wstring(info.data()), Numbered(255));
    EXPECT_EQ(std::wstring(title.data()), Numbered(63));
}

TEST(TrayRecord, ShorterTextLeavesNoRestOfALongerOne) {
    std::array<wchar_t, 128> tip{};
    tray::CopyToField(Numbered(100), tip);
    tray::CopyToField(L"Corvalin", tip);
    EXPECT_EQ(std::wstring(tip.data()), L"Corvalin");
    for (std::size_t i = 8; i < tip.size(); ++i) EXPECT_EQ(tip[i], L'\0') << i;
}

TEST(TrayRecord, EmptyTextClearsTheField) {
    std::array<wchar_t, 64> title{};
    tray::CopyToField(L"Corvalin Timer Software", title);
    tray::CopyToField(L"", title);
    EXPECT_EQ(title[0], L'\0');
}

TEST(TrayRecord, CutNeverLeavesHalfASurrogatePair) {
    std::wstring text = Numbered(126);
    text += static_cast<wchar_t>(0xD83D);  // first half of an emoji at position 127
    text += static_cast<wchar_t>(0xDE00);
    EXPECT_EQ(tray::CutToField(text, 127), Numbered(126));
    EXPECT_EQ(tray::CutToField(text, 128), text);
}

TEST(TrayNotification, MouseMoveHasNoButton) {
    const auto n = ClassifyNotification(512);
    EXPECT_EQ(n.event, TrayEvent::MouseMove);
}

TEST(TrayNotification, LeftButtonCodesRaiseDownUpAndDoubleClickWithButton1) {
    EXPECT_EQ(ClassifyNotification(513).event, TrayEvent::MouseDown);
    EXPECT_EQ(ClassifyNotification(514).event, TrayEvent::MouseUp);
    EXPECT_EQ(ClassifyNotification(515).event, TrayEvent::MouseDblClick);
    for (int code : {513, 514, 515}) EXPECT_EQ(ClassifyNotification(code).button, 1) << code;
}

TEST(TrayNotification, RightButtonCodesRaiseDownUpAndDoubleClickWithButton2) {
    EXPECT_EQ(ClassifyNotification(516).event, TrayEvent::MouseDown);
    EXPECT_EQ(ClassifyNotification(517).event, TrayEvent::MouseUp);
    EXPECT_EQ(ClassifyNotification(518).event, TrayEvent::MouseDblClick);
    for (int code : {516, 517, 518}) EXPECT_EQ(ClassifyNotification(code).button, 2) << code;
}

TEST(TrayNotification, BalloonHiddenTimedOutAndClickedEndTheBalloonWait) {
    for (int code : {1027, 1028, 1029}) EXPECT_EQ(ClassifyNotification(code).event, TrayEvent::BalloonClosed) << code;
}

TEST(TrayNotification, MiddleButtonBalloonShownAndOtherCodesRaiseNothing) {
    // 519-521: middle button down, up, double click; 1026: balloon shown; 1024/1025: select/keyselect
    // of newer shells; 0x7B: WM_CONTEXTMENU; 522: the wheel.
    for (long long code : {0LL, 511LL, 519LL, 520LL, 521LL, 522LL, 0x7BLL, 1024LL, 1025LL, 1026LL, 1030LL,
                           512LL + 0x10000, 514LL + (1LL << 32), -514LL}) {
        EXPECT_EQ(ClassifyNotification(code).event, TrayEvent::None) << code;
    }
}

TEST(TrayBalloon, TimeoutIsShowTimerTimesOneThousand) {
    EXPECT_EQ(tray::BalloonTimeoutMs(5), 5000);
    EXPECT_EQ(tray::BalloonTimeoutMs(1), 1000);
    EXPECT_EQ(tray::BalloonTimeoutMs(2'147'483), 2'147'483'000);
}

TEST(TrayBalloon, ZeroOrNegativeShowTimerLeavesTheTimeoutToTheShell) {
    EXPECT_EQ(tray::BalloonTimeoutMs(0), 0);
    EXPECT_EQ(tray::BalloonTimeoutMs(-1), 0);
    EXPECT_EQ(tray::BalloonTimeoutMs(-2'147'483'647 - 1), 0);
}

TEST(TrayBalloon, ShowTimerBeyond32BitMillisecondsRaisesOverflow) {
    for (std::int32_t showTimer : {2'147'484, 3'000'000, 2'147'483'647}) {
        try {
            tray::BalloonTimeoutMs(showTimer);
            ADD_FAILURE() << "no error for " << showTimer;
        } catch (const core::HandlerError& e) {
            EXPECT_EQ(e.Description(), L"Overflow");
        }
    }
}

}  // namespace
