// ApplyFaceColor and ApplySkin: which controls take the face colour, what the window paints, and the
// skin file looked up beside the program.
#include "TestSupport.h"
#include "app/Skin.h"
#include "core/Files.h"
#include "core/Program.h"
#include "ui/Backdrop.h"
#include "ui/Window.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

using testsupport::kWhite;

// A window with one control of every kind the layouts use, routing its colours through the backdrop.
class BackdropWindow : public ui::Window {
public:
    BackdropWindow() {
        Create({L"CorvalinBackdropTestWindow", nullptr}, WS_EX_TOPMOST, WS_POPUP | WS_VISIBLE, L"Backdrop", 50, 50,
               420, 260, nullptr, 0);
        label = Child(L"STATIC", L"Hours", SS_LEFT | SS_NOTIFY, 10, 10, 200, 30);
        checkBox = Child(L"BUTTON", L"Load this software on Windows startup", BS_AUTOCHECKBOX, 10, 50, 200, 24);
        optionButton = Child(L"BUTTON", L"Option", BS_AUTORADIOBUTTON, 10, 80, 200, 24);
        frame = Child(L"BUTTON", L"Settings", BS_GROUPBOX, 220, 10, 190, 100);
        pushButton = Child(L"BUTTON", L"OK", BS_PUSHBUTTON, 10, 110, 100, 30);
        textBox = Child(L"EDIT", L"C:\\alarm.wav", ES_READONLY | ES_AUTOHSCROLL, 10, 150, 200, 24);
        picker = Child(L"COMBOBOX", L"", CBS_DROPDOWNLIST, 220, 150, 100, 200);
        UpdateWindow(hwnd());
    }
    ~BackdropWindow() override { Destroy(); }

    // What the window answers when control asks for its colours: the brush, or null when the window
    // leaves the control to its own colours.
    HBRUSH AskColours(HWND control, COLORREF& background) {
        HDC dc = CreateCompatibleDC(nullptr);
        SetBkColor(dc, RGB(1, 2, 3));
        LRESULT result = 0;
        const bool handled = ui::HandleBackdropMessage(hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                                        reinterpret_cast<LPARAM>(control), result);
        background = GetBkColor(dc);
        DeleteDC(dc);
        return handled ? reinterpret_cast<HBRUSH>(result) : nullptr;
    }

    // The colour painted at a point of the client area (or of a control's client area).
    static COLORREF PixelAt(HWND window, int x, int y) {
        RedrawWindow(window, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        HDC dc = GetDC(window);
        const COLORREF colour = GetPixel(dc, x, y);
        ReleaseDC(window, dc);
        return colour;
    }

    HWND label = nullptr;
    HWND checkBox = nullptr;
    HWND optionButton = nullptr;
    HWND frame = nullptr;
    HWND pushButton = nullptr;
    HWND textBox = nullptr;
    HWND picker = nullptr;

private:
    HWND Child(const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h) {
        return CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, hwnd(), nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        LRESULT result = 0;
        if (ui::HandleBackdropMessage(hwnd(), message, wParam, lParam, result)) return result;
        return Window::HandleMessage(message, wParam, lParam);
    }
};

// The skin file beside the program (the test executable), removed again at the end of the test.
class SkinFileBesideProgram {
public:
    enum class Kind { File, HiddenFile, Folder };
    explicit SkinFileBesideProgram(Kind kind) {
        CreateDirectoryW(folder_.c_str(), nullptr);
        if (kind == Kind::Folder) {
            CreateDirectoryW(file_.c_str(), nullptr);
            return;
        }
        const DWORD attributes = kind == Kind::HiddenFile ? FILE_ATTRIBUTE_HIDDEN : FILE_ATTRIBUTE_NORMAL;
        HANDLE file = CreateFileW(file_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr);
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    }
    SkinFileBesideProgram(const SkinFileBesideProgram&) = delete;
    SkinFileBesideProgram& operator=(const SkinFileBesideProgram&) = delete;
    ~SkinFileBesideProgram() {
        SetFileAttributesW(file_.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(file_.c_str());
        RemoveDirectoryW(file_.c_str());
        RemoveDirectoryW(folder_.c_str());
    }

private:
    std::wstring folder_ = core::ProgramFolder() + L"\\x";
    std::wstring file_ = core::ProgramFolder() + core::kSkinFile;
};

TEST(Backdrop, WindowAndStaticControlsAreWhiteAsLaidOut) {
    BackdropWindow window;
    EXPECT_EQ(ui::BackdropColor(window.hwnd()), kWhite);
    COLORREF background = 0;
    EXPECT_EQ(window.AskColours(window.label, background), GetStockObject(WHITE_BRUSH));
    EXPECT_EQ(background, kWhite);
    EXPECT_EQ(BackdropWindow::PixelAt(window.hwnd(), 400, 250), kWhite);
}

TEST(Backdrop, FaceColourReachesLabelsFramesCheckBoxesAndOptionButtons) {
    BackdropWindow window;
    ui::ApplyFaceColor(window.hwnd());
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    ASSERT_NE(face, kWhite);
    EXPECT_EQ(ui::BackdropColor(window.hwnd()), face);
    for (HWND control : {window.label, window.checkBox, window.optionButton, window.frame}) {
        COLORREF background = 0;
        EXPECT_EQ(window.AskColours(control, background), GetSysColorBrush(COLOR_BTNFACE));
        EXPECT_EQ(background, face);
    }
}

TEST(Backdrop, PushButtonsTextBoxesAndPickersKeepTheirOwnColours) {
    BackdropWindow window;
    ui::ApplyFaceColor(window.hwnd());
    for (HWND control : {window.pushButton, window.textBox, window.picker}) {
        COLORREF background = 0;
        EXPECT_EQ(window.AskColours(control, background), nullptr);
        EXPECT_EQ(background, RGB(1, 2, 3));
    }
}

TEST(Backdrop, SurfaceAndLabelArePaintedInTheFaceColour) {
    BackdropWindow window;
    ui::ApplyFaceColor(window.hwnd());
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    EXPECT_EQ(BackdropWindow::PixelAt(window.hwnd(), 400, 250), face);
    // Right of the label's text, inside the label.
    EXPECT_EQ(BackdropWindow::PixelAt(window.label, 190, 15), face);
}

TEST(Backdrop, FaceColourOfOneWindowLeavesAnotherWhite) {
    BackdropWindow first;
    BackdropWindow second;
    ui::ApplyFaceColor(first.hwnd());
    EXPECT_EQ(ui::BackdropColor(second.hwnd()), kWhite);
    COLORREF background = 0;
    EXPECT_EQ(second.AskColours(second.label, background), GetStockObject(WHITE_BRUSH));
}

TEST(Backdrop, ControlOfAnotherWindowIsNotColouredHere) {
    BackdropWindow first;
    BackdropWindow second;
    ui::ApplyFaceColor(first.hwnd());
    COLORREF background = 0;
    EXPECT_EQ(first.AskColours(second.label, background), nullptr);
}

TEST(Skin, WithoutTheSkinFileTheWindowKeepsItsColours) {
    BackdropWindow window;
    EXPECT_FALSE(app::ApplySkin(window.hwnd()));
    EXPECT_EQ(ui::BackdropColor(window.hwnd()), kWhite);
}

TEST(Skin, SkinFileBesideTheProgramGivesTheFaceColour) {
    SkinFileBesideProgram skin(SkinFileBesideProgram::Kind::File);
    BackdropWindow window;
    EXPECT_TRUE(app::ApplySkin(window.hwnd()));
    EXPECT_EQ(ui::BackdropColor(window.hwnd()), GetSysColor(COLOR_BTNFACE));
}

TEST(Skin, FolderOrHiddenFileOfThatNameIsNoSkin) {
    {
        SkinFileBesideProgram skin(SkinFileBesideProgram::Kind::Folder);
        BackdropWindow window;
        EXPECT_FALSE(app::ApplySkin(window.hwnd()));
        EXPECT_EQ(ui::BackdropColor(window.hwnd()), kWhite);
    }
    {
        SkinFileBesideProgram skin(SkinFileBesideProgram::Kind::HiddenFile);
        BackdropWindow window;
        EXPECT_FALSE(app::ApplySkin(window.hwnd()));
    }
}

}  // namespace
