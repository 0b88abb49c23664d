// The dialog box of a one-line question, as a dialog template in memory: no resource of its own.
#include "ui/TextQuestion.h"

#include "core/Program.h"
#include "ui/Controls.h"
#include "ui/DialogTemplate.h"

namespace ui {
namespace {

int const kTextBox = 100;

struct Asking {
    const TextQuestion& question;
    std::wstring answer;
};

INT_PTR CALLBACK QuestionProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        const auto* asking = reinterpret_cast<Asking*>(lParam);
        const HWND box = GetDlgItem(dialog, kTextBox);
        SendMessageW(box, EM_LIMITTEXT, asking->question.limit, 0);
        SetWindowTextW(box, asking->question.text.c_str());
        SendMessageW(box, EM_SETSEL, 0, -1);
        return TRUE;  // the focus goes to the edit box, the first that takes it
    }
    if (message != WM_COMMAND) return FALSE;
    auto* asking = reinterpret_cast<Asking*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    if (LOWORD(wParam) != IDOK || !asking) return FALSE;
    // No exception may leave a dialog procedure: a check that fails refuses the text.
    std::wstring text;
    std::wstring problem;
    try {
        text = WindowText(GetDlgItem(dialog, kTextBox));
        if (asking->question.check) problem = asking->question.check(text);
    } catch (...) {
        return TRUE;
    }
    if (!problem.empty()) {
        MessageBoxW(dialog, problem.c_str(), core::program::AppTitle.c_str(), MB_OK);
        SetFocus(GetDlgItem(dialog, kTextBox));
        SendMessageW(GetDlgItem(dialog, kTextBox), EM_SETSEL, 0, -1);
        return TRUE;
    }
    asking->answer = std::move(text);
    EndDialog(dialog, IDOK);
    return TRUE;
}

}  // namespace

std::optional<std::wstring> Ask(HWND owner, const TextQuestion& question) {
    DialogTemplate dialog(DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU, 220, 62,
                          question.caption);
    dialog.AddItem(0x82, SS_LEFT | SS_NOPREFIX, 7, 7, 206, 10, -1, question.prompt);
    dialog.AddItem(0x81, ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 19, 206, 14, kTextBox, L"");
    dialog.AddItem(0x80, BS_DEFPUSHBUTTON | WS_TABSTOP, 109, 41, 50, 14, IDOK, L"OK");
    dialog.AddItem(0x80, BS_PUSHBUTTON | WS_TABSTOP, 163, 41, 50, 14, IDCANCEL, L"Cancel");
    Asking asking{question, {}};
    const INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog.Get(), owner, &QuestionProc,
                                                   reinterpret_cast<LPARAM>(&asking));
    if (result != IDOK) return std::nullopt;
    return asking.answer;
}

}  // namespace ui
