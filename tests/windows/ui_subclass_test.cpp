// Subclassing by the program's own chain: procedures in front of a window's own, newest first.
#include "core/Handles.h"
#include "ui/Subclass.h"

#include <gtest/gtest.h>

#include <malloc.h>
#include <string>

namespace {

// Marks each WM_SETTEXT (lower case), WM_APP (upper case) and WM_NCDESTROY (~) it sees; the one that
// nests sends WM_APP to the window in the middle of WM_SETTEXT, then leaves the chain.
struct Probe {
    std::wstring* trail;
    wchar_t mark;
    bool nests;
    bool closes = false;  // destroys the window in the middle of WM_APP
};

LRESULT CALLBACK Mark(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR data) {
    auto* probe = reinterpret_cast<Probe*>(data);
    if (message == WM_APP) *probe->trail += static_cast<wchar_t>(towupper(probe->mark));
    if (message == WM_NCDESTROY) *probe->trail += L'~';
    if (message == WM_SETTEXT) *probe->trail += probe->mark;
    if (message == WM_APP && probe->closes) DestroyWindow(window);
    if (message == WM_SETTEXT && probe->nests) {
        SendMessageW(window, WM_APP, 0, 0);
        ui::RemoveSubclass(window, &Mark, id);
    }
    return ui::CallNextSubclass(window, message, wParam, lParam);
}

TEST(Subclass, ChainsNewestFirstThroughNestedMessagesAndLeavesTheWindowItsOwnProcedure) {
    core::UniqueWindow owned(
        CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 10, 10, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
    const HWND window = owned.get();
    const LONG_PTR own = GetWindowLongPtrW(window, GWLP_WNDPROC);
    std::wstring trail;
    Probe first{&trail, L'a', false};
    Probe second{&trail, L'b', true};
    ASSERT_TRUE(ui::SetSubclass(window, &Mark, 1, reinterpret_cast<DWORD_PTR>(&first)));
    ASSERT_TRUE(ui::SetSubclass(window, &Mark, 2, reinterpret_cast<DWORD_PTR>(&second)));
    SendMessageW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"one"));
    // The nested message went through the whole chain; the one that left in its call still passed on.
    EXPECT_EQ(trail, L"bBAa");
    EXPECT_EQ(GetWindowTextLengthW(window), 3);  // the window's own procedure took the text
    DWORD_PTR data = 0;
    EXPECT_FALSE(ui::GetSubclass(window, &Mark, 2, &data));
    EXPECT_TRUE(ui::GetSubclass(window, &Mark, 1, &data) && data == reinterpret_cast<DWORD_PTR>(&first));
    // The last one out gives the window its own procedure back.
    EXPECT_TRUE(ui::RemoveSubclass(window, &Mark, 1));
    EXPECT_EQ(GetWindowLongPtrW(window, GWLP_WNDPROC), own);
    // Destroyed with its chain: the procedures see WM_NCDESTROY.
    trail.clear();
    ASSERT_TRUE(ui::SetSubclass(window, &Mark, 1, reinterpret_cast<DWORD_PTR>(&first)));
    owned.reset();
    EXPECT_EQ(trail, L"~");
    // Destroyed inside its own message (a button that closes its window): no chain stays on the heap.
    const auto blocksInUse = [](std::size_t used = 0) {
        for (_HEAPINFO block{}; _heapwalk(&block) == _HEAPOK;) used += block._useflag == _USEDENTRY;
        return used;
    };
    const std::size_t before = blocksInUse();
    Probe closer{&trail, L'c', false, true};
    for (int i = 0; i < 50; ++i) {
        const HWND doomed = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 9, 9, nullptr, nullptr, nullptr, nullptr);
        ASSERT_TRUE(ui::SetSubclass(doomed, &Mark, 1, reinterpret_cast<DWORD_PTR>(&closer)));
        SendMessageW(doomed, WM_APP, 0, 0);
    }
    EXPECT_LT(blocksInUse(), before + 50);
}

}  // namespace
