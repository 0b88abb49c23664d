// The window-level pointer rule on a small window of its own: a push button, a label, a frame and the
// surface, driven by real mouse input, with a hand cursor file written by the test.
#include "TestSupport.h"
#include "core/Files.h"
#include "ui/Backdrop.h"
#include "ui/PushButton.h"
#include "ui/Window.h"
#include "ui/WindowPointer.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using Shape = ui::WindowPointer::Shape;

// Writes a 32 x 32 monochrome cursor file; removes it again at the end of the test.
class CursorFile {
public:
    CursorFile() {
        wchar_t temp[MAX_PATH + 1]{};
        GetTempPathW(MAX_PATH + 1, temp);
        path_ = std::wstring(temp) + L"corvalin-hand-" + std::to_wstring(GetCurrentProcessId()) + L".cur";
        std::vector<std::uint8_t> bytes;
        auto put16 = [&](unsigned v) { bytes.push_back(v & 0xFF); bytes.push_back((v >> 8) & 0xFF); };
        auto put32 = [&](unsigned v) { put16(v & 0xFFFF); put16(v >> 16); };
        constexpr unsigned kImageBytes = 40 + 8 + 128 + 128;
        put16(0); put16(2); put16(1);                               // cursor directory, one image
        bytes.push_back(32); bytes.push_back(32); bytes.push_back(0); bytes.push_back(0);
        put16(5); put16(0); put32(kImageBytes); put32(22);          // hot spot, size, offset
        put32(40); put32(32); put32(64); put16(1); put16(1);        // header: XOR and AND masks stacked
        for (int i = 0; i < 6; ++i) put32(0);
        put32(0x000000); put32(0xFFFFFF);                           // black and white
        for (int row = 0; row < 32; ++row) put32(row % 2 ? 0xFFFFFFFF : 0x0F0F0F0F);  // XOR mask
        for (int row = 0; row < 32; ++row) put32(0);                                   // AND mask
        HANDLE file = CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
    }
    CursorFile(const CursorFile&) = delete;
    CursorFile& operator=(const CursorFile&) = delete;
    ~CursorFile() { DeleteFileW(path_.c_str()); }
    const std::wstring& Path() const { return path_; }

private:
    std::wstring path_;
};

// A window laid out like the program's: a push button, a label and a frame on a surface, all routing
// their mouse moves and WM_SETCURSOR through one WindowPointer.
class PointerWindow : public ui::Window {
public:
    PointerWindow() {
        Create({L"CorvalinPointerTestWindow", static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))}, WS_EX_TOPMOST,
               WS_POPUP | WS_VISIBLE, L"Pointer", 100, 100, 400, 300, nullptr, 0);
        button.Create(hwnd(), 4101, L"Start", 20, 20, 160, 40, nullptr);
        button.onMouseMove = [this] { pointer.OnButtonMouseMove(); };
        label = CreateWindowExW(0, L"STATIC", L"Hours", WS_CHILD | WS_VISIBLE | SS_NOTIFY, 20, 100, 160, 40, hwnd(),
                                reinterpret_cast<HMENU>(4102), GetModuleHandleW(nullptr), nullptr);
        frame = CreateWindowExW(0, L"BUTTON", L"Settings", WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 220, 20, 160, 160,
                                hwnd(), reinterpret_cast<HMENU>(4103), GetModuleHandleW(nullptr), nullptr);
        UpdateWindow(hwnd());
        SetForegroundWindow(hwnd());
    }
    ~PointerWindow() override { Destroy(); }

    POINT Centre(HWND control) const {
        RECT r{};
        GetWindowRect(control, &r);
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    POINT SurfacePoint() const {
        RECT r{};
        GetWindowRect(hwnd(), &r);
        return {r.left + 100, r.bottom - 30};
    }

    ui::WindowPointer pointer;
    ui::PushButton button;
    HWND label = nullptr;
    HWND frame = nullptr;
    int surfaceMoves = 0;

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_SETCURSOR) {
            LRESULT result = 0;
            if (pointer.HandleSetCursor(hwnd(), wParam, lParam, result)) return result;
        }
        if (message == WM_MOUSEMOVE) {
            ++surfaceMoves;
            pointer.OnSurfaceMouseMove();
            return 0;
        }
        return Window::HandleMessage(message, wParam, lParam);
    }
};

// Moves the mouse as a user would, through the system's input queue, and lets the window handle it.
void MoveMouseTo(POINT at) {
    EXPECT_TRUE(testsupport::MoveMouseOnto(at));
}

HCURSOR Arrow() { return LoadCursorW(nullptr, IDC_ARROW); }

TEST(WindowPointer, MissingCursorFileGivesNoCustomImage) {
    ui::WindowPointer pointer;
    EXPECT_FALSE(pointer.LoadCustom(L"C:\\no such folder\\HAND-M.CUR"));
    EXPECT_FALSE(pointer.HasCustom());
}

TEST(WindowPointer, FileThatIsNoCursorGivesNoCustomImage) {
    const std::wstring path = testsupport::WriteTempFile(L"corvalin-not-a-cursor.cur", "RIFF");
    ui::WindowPointer pointer;
    EXPECT_FALSE(pointer.LoadCustom(path));
    DeleteFileW(path.c_str());
}

TEST(WindowPointer, CursorFileBecomesTheCustomImage) {
    CursorFile hand;
    ui::WindowPointer pointer;
    ASSERT_TRUE(pointer.LoadCustom(hand.Path()));
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(pointer.Custom(), &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, 5u);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
}

TEST(WindowPointer, ButtonThenLabelKeepsTheHandAndTheSurfaceGivesTheArrowBack) {
    CursorFile hand;
    PointerWindow window;
    ASSERT_TRUE(window.pointer.LoadCustom(hand.Path()));

    MoveMouseTo(window.Centre(window.button.hwnd()));
    EXPECT_EQ(window.pointer.Current(), Shape::Custom);
    EXPECT_EQ(GetCursor(), window.pointer.Custom());

    // The label takes the mouse itself: the window's pointer stays the hand.
    MoveMouseTo(window.Centre(window.label));
    EXPECT_EQ(window.pointer.Current(), Shape::Custom);
    EXPECT_EQ(GetCursor(), window.pointer.Custom());

    const int movesBefore = window.surfaceMoves;
    MoveMouseTo(window.SurfacePoint());
    ASSERT_GT(window.surfaceMoves, movesBefore);
    EXPECT_EQ(window.pointer.Current(), Shape::Default);
    // At once, not only at the next move.
    EXPECT_EQ(GetCursor(), Arrow());
}

TEST(WindowPointer, FrameGivesTheArrowBackLikeTheSurface) {
    CursorFile hand;
    PointerWindow window;
    ASSERT_TRUE(window.pointer.LoadCustom(hand.Path()));
    MoveMouseTo(window.Centre(window.button.hwnd()));
    ASSERT_EQ(GetCursor(), window.pointer.Custom());
    MoveMouseTo(window.Centre(window.frame));
    EXPECT_EQ(window.pointer.Current(), Shape::Default);
    EXPECT_EQ(GetCursor(), Arrow());
}

TEST(WindowPointer, HourglassIsNeverReplaced) {
    CursorFile hand;
    PointerWindow window;
    ASSERT_TRUE(window.pointer.LoadCustom(hand.Path()));
    window.pointer.Set(Shape::Hourglass);
    MoveMouseTo(window.Centre(window.button.hwnd()));
    EXPECT_EQ(window.pointer.Current(), Shape::Hourglass);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_WAIT));
    MoveMouseTo(window.SurfacePoint());
    EXPECT_EQ(window.pointer.Current(), Shape::Hourglass);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_WAIT));
}

TEST(WindowPointer, WithoutTheCursorFileTheRulesRunAndTheArrowStays) {
    PointerWindow window;
    EXPECT_FALSE(window.pointer.LoadCustom(L"C:\\no such folder\\HAND-M.CUR"));
    MoveMouseTo(window.Centre(window.button.hwnd()));
    EXPECT_EQ(window.pointer.Current(), Shape::Custom);
    EXPECT_EQ(GetCursor(), Arrow());
    MoveMouseTo(window.SurfacePoint());
    EXPECT_EQ(window.pointer.Current(), Shape::Default);
}

TEST(WindowPointer, SetCursorOfAnotherWindowOrTheBorderIsLeftAlone) {
    CursorFile hand;
    PointerWindow window;
    PointerWindow other;
    ASSERT_TRUE(window.pointer.LoadCustom(hand.Path()));
    window.pointer.OnButtonMouseMove();
    LRESULT result = 0;
    EXPECT_FALSE(window.pointer.HandleSetCursor(window.hwnd(), reinterpret_cast<WPARAM>(other.label),
                                                MAKELPARAM(HTCLIENT, WM_MOUSEMOVE), result));
    EXPECT_FALSE(window.pointer.HandleSetCursor(window.hwnd(), reinterpret_cast<WPARAM>(window.hwnd()),
                                                MAKELPARAM(HTBOTTOMRIGHT, WM_MOUSEMOVE), result));
    EXPECT_TRUE(window.pointer.HandleSetCursor(window.hwnd(), reinterpret_cast<WPARAM>(window.label),
                                               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE), result));
    EXPECT_EQ(result, TRUE);
}

}  // namespace
