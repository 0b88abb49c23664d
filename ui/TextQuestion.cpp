// The dialog box of a one-line question, as a dialog template in memory: no resource of its own.
#include "ui/TextQuestion.h"

#include "core/Program.h"
#include "ui/Controls.h"

#include <vector>

namespace ui {
namespace {

int const kTextBox = 100;

// A dialog template: DLGTEMPLATE and its items, each item aligned on a DWORD.
class DialogTemplate {
public:
    DialogTemplate(DWORD style, short width, short height, const std::wstring& caption) {
        Add32(style);
        Add32(0);
        count_ = words_.size();
        words_.push_back(0);  // items, counted as they come
        for (short value : {short{0}, short{0}, width, height}) words_.push_back(static_cast<WORD>(value));
        words_.push_back(0);  // no menu
        words_.push_back(0);  // the system's dialog class
        AddText(caption);
        words_.push_back(8);  // DS_SETFONT: the point size and the face
        AddText(L"MS Shell Dlg");
    }

    // An item of a system class: 0x80 button, 0x81 edit, 0x82 static.
    void AddItem(WORD systemClass, DWORD style, short x, short y, short width, short height, int id,
                 const std::wstring& text) {
        if (words_.size() % 2 != 0) words_.push_back(0);
        Add32(style | WS_CHILD | WS_VISIBLE);
        Add32(0);
        for (short value : {x, y, width, height}) words_.push_back(static_cast<WORD>(value));
        words_.push_back(static_cast<WORD>(id));
        words_.push_back(0xFFFF);
        words_.push_back(systemClass);
        AddText(text);
        words_.push_back(0);  // no creation data
        ++words_[count_];
    }

    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    void Add32(DWORD value) {
        words_.push_back(LOWORD(value));
        words_.push_back(HIWORD(value));
    }
    void AddText(const std::wstring& text) {
        words_.insert(words_.end(), text.begin(), text.end());
        words_.push_back(0);
    }

    // WORDs keep the template's alignment: a vector's storage is aligned for any DWORD.
    std::vector<WORD> words_;
    std::size_t count_ = 0;
};

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
