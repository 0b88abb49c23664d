// The window layouts as data: every control of every window in creation order, with its caption,
// geometry in twips (inside a frame: relative to the frame), tab order and font size.
#pragma once

#include <array>
#include <cstddef>

namespace layout {

enum class Kind { Frame, ComboBox, Label, CheckBox, TextBox, PushButton };
enum class Font { Window, Medium, Large };  // Arial bold 9, 11.25 and 24 points

inline constexpr double kFontPoints[] = {9.0, 11.25, 24.0};

inline constexpr int kNoFrame = -1;

struct Control {
    const wchar_t* name;
    Kind kind;
    int id;            // control id, unique across the program
    int frame;         // index of the containing frame in the same table, or kNoFrame
    const wchar_t* caption;
    int left, top, width, height;  // twips
    int tabIndex;
    Font font;
    bool autoSize = false;
};

struct ClientArea {
    int clientWidth;   // twips
    int clientHeight;  // twips
};

// Main window. Timer1, CommonDialog1, cSysTray1 and SkinFramework1 have no window of their own here.
inline constexpr ClientArea kForm1{8040, 4590};
namespace form1 {
enum Id : int {
    Frame1 = 1001, cboSecs, cboMins, cboHrs, Label1_4, Label1_1, Label1_3, Label1_2, Label1_0,
    Frame4, Check3, Frame2, lblTimer, PushButton1, PushButton2, PushButton3,
    cSysTray1,  // the tray control's own (hidden) window
};
}
inline constexpr std::array<Control, 16> kForm1Controls{{
    {L"Frame1", Kind::Frame, form1::Frame1, kNoFrame, L"Settings", 120, 120, 7800, 1065, 7, Font::Window},
    {L"cboSecs", Kind::ComboBox, form1::cboSecs, 0, L"", 5280, 555, 2300, 345, 2, Font::Window},
    {L"cboMins", Kind::ComboBox, form1::cboMins, 0, L"", 2760, 555, 2300, 345, 1, Font::Window},
    {L"cboHrs", Kind::ComboBox, form1::cboHrs, 0, L"", 240, 555, 2300, 345, 0, Font::Window},
    {L"Label1(4)", Kind::Label, form1::Label1_4, 0, L":", 5130, 585, 60, 270, 12, Font::Medium, true},
    {L"Label1(1)", Kind::Label, form1::Label1_1, 0, L":", 2610, 585, 60, 270, 11, Font::Medium, true},
    {L"Label1(3)", Kind::Label, form1::Label1_3, 0, L"Seconds", 5280, 270, 750, 225, 10, Font::Window, true},
    {L"Label1(2)", Kind::Label, form1::Label1_2, 0, L"Minutes", 2760, 270, 675, 225, 9, Font::Window, true},
    {L"Label1(0)", Kind::Label, form1::Label1_0, 0, L"Hours", 240, 270, 510, 225, 8, Font::Window, true},
    {L"Frame4", Kind::Frame, form1::Frame4, kNoFrame, L"Startup Options", 120, 3720, 7800, 735, 15, Font::Window},
    {L"Check3", Kind::CheckBox, form1::Check3, 9, L"Load this software on Windows startup", 240, 300, 3660, 255, 6,
     Font::Window},
    {L"Frame2", Kind::Frame, form1::Frame2, kNoFrame, L"", 120, 2775, 7800, 855, 13, Font::Window},
    {L"lblTimer", Kind::Label, form1::lblTimer, 11, L"000:00:00.0", 120, 210, 7575, 495, 14, Font::Large},
    {L"PushButton1", Kind::PushButton, form1::PushButton1, kNoFrame, L"Start", 120, 1305, 7800, 405, 3, Font::Medium},
    {L"PushButton2", Kind::PushButton, form1::PushButton2, kNoFrame, L"Reset", 120, 1815, 7800, 405, 4, Font::Medium},
    {L"PushButton3", Kind::PushButton, form1::PushButton3, kNoFrame, L"Alarm Options", 120, 2325, 7800, 405, 5,
     Font::Medium},
}};

// Time Expired window.
// A row under the two buttons: the line saying when the time ran out, and three snooze buttons that run
// the same timer again for a few minutes; the window grows by that row.
inline constexpr ClientArea kForm2{8040, 1650};
namespace form2 {
enum Id : int { PushButton1 = 2001, PushButton2, PushButton3, PushButton4, PushButton5, lblEnded };
}
inline constexpr std::array<Control, 6> kForm2Controls{{
    {L"PushButton1", Kind::PushButton, form2::PushButton1, kNoFrame, L"OK", 120, 120, 7800, 405, 0, Font::Medium},
    {L"PushButton2", Kind::PushButton, form2::PushButton2, kNoFrame, L"OK -> Restart Timer / Count Down Again", 120,
     630, 7800, 405, 1, Font::Medium},
    {L"PushButton3", Kind::PushButton, form2::PushButton3, kNoFrame, L"+&1 min", 4080, 1140, 1200, 405, 2,
     Font::Medium},
    {L"PushButton4", Kind::PushButton, form2::PushButton4, kNoFrame, L"+&5 min", 5400, 1140, 1200, 405, 3,
     Font::Medium},
    {L"PushButton5", Kind::PushButton, form2::PushButton5, kNoFrame, L"+1&0 min", 6720, 1140, 1200, 405, 4,
     Font::Medium},
    {L"lblEnded", Kind::Label, form2::lblEnded, kNoFrame, L"", 120, 1215, 3840, 255, 5, Font::Window},
}};

// Alarm Options window.
// The repeat check box adds a row between the frame and OK; the window grows by that row.
inline constexpr ClientArea kForm3{8040, 2455};
namespace form3 {
enum Id : int { Frame3 = 3001, Text1, PushButton5, PushButton3, PushButton1, chkRepeat };
}
inline constexpr std::array<Control, 6> kForm3Controls{{
    {L"Frame3", Kind::Frame, form3::Frame3, kNoFrame, L"Alarm File To Play", 120, 120, 7800, 1395, 5, Font::Window},
    {L"Text1", Kind::TextBox, form3::Text1, 0, L"", 240, 330, 7275, 375, 0, Font::Window},
    {L"PushButton5", Kind::PushButton, form3::PushButton5, 0, L"Change Alarm File", 240, 810, 3600, 400, 1,
     Font::Medium},
    {L"PushButton3", Kind::PushButton, form3::PushButton3, 0, L"Test Alarm Noise", 3960, 810, 3600, 405, 2,
     Font::Medium},
    {L"chkRepeat", Kind::CheckBox, form3::chkRepeat, kNoFrame, L"Repeat the alarm until it is answered", 240, 1620,
     7560, 255, 3, Font::Window},
    {L"PushButton1", Kind::PushButton, form3::PushButton1, kNoFrame, L"OK", 120, 1995, 7800, 405, 4, Font::Medium},
}};

}  // namespace layout
