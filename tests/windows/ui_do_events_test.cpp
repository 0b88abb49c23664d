// DoEvents, the pump of handlers that let events run in their middle: dialog keys keep their meaning.
#include "TestSupport.h"
#include "core/Handles.h"
#include "ui/Controls.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int kFirst = 501;
constexpr int kSecond = 502;

LRESULT CALLBACK RecordCommands(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        auto* commands = reinterpret_cast<std::vector<int>*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (commands) commands->push_back(LOWORD(wParam));
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

TEST(DoEvents, TabAndEnterTypedMeanwhileMoveTheFocusAndCommandOk) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &RecordCommands;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"CorvalinDoEventsHost";
    RegisterClassW(&wc);
    const core::UniqueWindow host(CreateWindowExW(WS_EX_CONTROLPARENT, wc.lpszClassName, L"do events", WS_OVERLAPPEDWINDOW,
                                                  0, 0, 300, 200, nullptr, nullptr, wc.hInstance, nullptr));
    std::vector<int> commands;
    SetWindowLongPtrW(host.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&commands));
    const auto button = [&](int id, DWORD style, int y) {
        return CreateWindowExW(0, L"BUTTON", L"b", WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, 10, y, 80, 24, host.get(),
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), wc.hInstance, nullptr);
    };
    const HWND first = button(kFirst, BS_PUSHBUTTON, 10);
    const HWND second = button(kSecond, BS_PUSHBUTTON, 40);
    ShowWindow(host.get(), SW_SHOWNORMAL);
    SetFocus(first);
    ASSERT_EQ(GetFocus(), first);

    testsupport::PressKey(VK_TAB);
    ui::DoEvents();
    EXPECT_EQ(GetFocus(), second);

    // Enter on a plain edit control: the dialog manager commands IDOK of a window that names no
    // default button by DM_GETDEFID; typed into the edit control, Enter would only beep.
    const HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 100, 10, 80, 24, host.get(),
                                      nullptr, wc.hInstance, nullptr);
    SetFocus(edit);
    testsupport::PressKey(VK_RETURN);
    ui::DoEvents();
    EXPECT_EQ(commands, std::vector<int>{IDOK});
}

}  // namespace
