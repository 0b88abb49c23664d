// A dialog box's template built in memory, DLGTEMPLATE and its items: dialogs of the program's own with
// no resource of their own.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

namespace ui {

// Each item aligned on a DWORD.
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
        AddItemHead(style, x, y, width, height, id);
        words_.push_back(0xFFFF);
        words_.push_back(systemClass);
        AddItemTail(text);
    }
    // An item of a class named by its name, registered before the dialog is made.
    void AddItem(const std::wstring& className, DWORD style, short x, short y, short width, short height, int id,
                 const std::wstring& text) {
        AddItemHead(style, x, y, width, height, id);
        AddText(className);
        AddItemTail(text);
    }

    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    void AddItemHead(DWORD style, short x, short y, short width, short height, int id) {
        if (words_.size() % 2 != 0) words_.push_back(0);
        Add32(style | WS_CHILD | WS_VISIBLE);
        Add32(0);
        for (short value : {x, y, width, height}) words_.push_back(static_cast<WORD>(value));
        words_.push_back(static_cast<WORD>(id));
    }
    void AddItemTail(const std::wstring& text) {
        AddText(text);
        words_.push_back(0);  // no creation data
        ++words_[count_];
    }
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

}  // namespace ui
