// Program-wide modality: nested modal windows and message boxes give the input back only once the last
// of them is gone, in any order.
#include "core/Handles.h"
#include "core/Modal.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

core::UniqueWindow Popup(const wchar_t* windowClass) {
    return core::UniqueWindow(CreateWindowExW(0, windowClass, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                              GetModuleHandleW(nullptr), nullptr));
}

TEST(ThreadModality, WindowsStayDisabledUntilTheLastHolderLetsGoInAnyOrder) {
    // Two alarms (peers of one class), a question's owner, the main window, and one disabled by others.
    const core::UniqueWindow alarm1 = Popup(L"STATIC"), alarm2 = Popup(L"STATIC");
    const core::UniqueWindow owner = Popup(L"EDIT"), main = Popup(L"BUTTON"), parked = Popup(L"BUTTON");
    EnableWindow(parked.get(), FALSE);
    using core::ThreadModality;
    for (const bool firstGoesFirst : {true, false}) {
        std::optional<ThreadModality> first(std::in_place, alarm1.get(), ThreadModality::SparePeers);
        std::optional<ThreadModality> second(std::in_place, alarm2.get(), ThreadModality::SparePeers);
        EXPECT_TRUE(IsWindowEnabled(alarm1.get()) && IsWindowEnabled(alarm2.get()));
        (firstGoesFirst ? first : second).reset();
        EXPECT_FALSE(IsWindowEnabled(main.get()) || IsWindowEnabled(owner.get()));
        (firstGoesFirst ? second : first).reset();
        EXPECT_TRUE(IsWindowEnabled(main.get()) && IsWindowEnabled(owner.get()));
    }
    // A question withdrawn under an alarm that came up while it was asked: the question's modality
    // goes first, and the alarm still holds everything but itself and its peers.
    std::optional<ThreadModality> question(std::in_place, owner.get());
    EXPECT_FALSE(IsWindowEnabled(alarm1.get()));
    ThreadModality alarm(alarm2.get(), ThreadModality::SparePeers);
    question.reset();
    EXPECT_FALSE(IsWindowEnabled(main.get()) || IsWindowEnabled(owner.get()));
    EXPECT_TRUE(IsWindowEnabled(alarm1.get()));
    alarm.Release();
    EXPECT_TRUE(IsWindowEnabled(main.get()) && IsWindowEnabled(owner.get()));
    // Nobody of ours disabled it: it stays as whoever did left it.
    EXPECT_FALSE(IsWindowEnabled(parked.get()));
}

}  // namespace
