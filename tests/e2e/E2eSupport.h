// Drives the real program from another process, as a UI-automation client would: it starts the
// executable, finds its windows and controls, reads their text and presses them by window messages.
#pragma once

#include "app/Form1.h"
#include "resources/Layouts.h"

#include "tests/SoundCapture.h"

#include <windows.h>
#include <tlhelp32.h>

#include <string>
#include <vector>

namespace e2e {

// The program's folder as Wine sees it (the build writes it as a Unix path).
inline std::wstring ProgramDir() {
    const std::string unix = CORVALIN_PROGRAM_DIR;
    std::wstring path = L"Z:";
    for (char c : unix) path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    return path;
}

inline std::wstring ProgramPath() { return ProgramDir() + L"\\Corvalin Timer Software.exe"; }

inline bool WaitFor(const auto& pred, int timeoutMs) {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    while (!pred()) {
        if (GetTickCount64() >= end) return pred();
        Sleep(20);
    }
    return true;
}

inline std::wstring TextOf(HWND hwnd) {
    wchar_t buffer[512] = {};
    // WM_GETTEXT is marshalled across processes.
    SendMessageTimeoutW(hwnd, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 2000, nullptr);
    return buffer;
}

struct FindData {
    DWORD pid;
    const wchar_t* title;
    HWND found;
};

inline BOOL CALLBACK FindTopLevel(HWND hwnd, LPARAM param) {
    auto* data = reinterpret_cast<FindData*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != data->pid) return TRUE;
    wchar_t title[256] = {};
    GetWindowTextW(hwnd, title, 256);
    if (std::wstring(title) == data->title) {
        data->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// A running copy of the program; closed when the object goes.
class Program {
public:
    // Every run starts as a first run, with no stored settings, unless it is a later start that joins
    // a copy already running.
    explicit Program(const std::wstring& arguments = L"", bool firstRun = true) {
        const wchar_t* settings = L"Software\\VB and VBA Program Settings\\Vendrel\\Corvalin Timer Software";
        if (firstRun) RegDeleteTreeW(HKEY_CURRENT_USER, settings);
        STARTUPINFOW si{};
        si.cb = sizeof si;
        std::wstring command = L"\"" + ProgramPath() + L"\"";
        if (!arguments.empty()) command += L" " + arguments;
        const std::wstring dir = ProgramDir();
        started_ = CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si,
                                  &pi_) != FALSE;
    }
    ~Program() {
        if (!started_) return;
        if (HWND main = Find(L"Corvalin Timer Software")) PostMessageW(main, WM_CLOSE, 0, app::Form1::kCloseForSetup);
        if (WaitForSingleObject(pi_.hProcess, 5000) != WAIT_OBJECT_0) TerminateProcess(pi_.hProcess, 1);
        CloseHandle(pi_.hThread);
        CloseHandle(pi_.hProcess);
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool Exited(int timeoutMs) const { return WaitForSingleObject(pi_.hProcess, timeoutMs) == WAIT_OBJECT_0; }
    DWORD ExitCode() const {
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(pi_.hProcess, &code);
        return code;
    }

    // As a copy that hangs, then ends as the system ends it.
    void Suspend() const { SuspendThread(pi_.hThread); }
    void Kill() const { TerminateProcess(pi_.hProcess, 1); }
    HWND Find(const wchar_t* title) const {
        FindData data{pi_.dwProcessId, title, nullptr};
        EnumWindows(&FindTopLevel, reinterpret_cast<LPARAM>(&data));
        return data.found;
    }
    HWND WaitForWindow(const wchar_t* title, int timeoutMs) const {
        HWND found = nullptr;
        WaitFor([&] { return (found = Find(title)) != nullptr; }, timeoutMs);
        return found;
    }
    // A window once it is on screen, with its controls (it is found by its caption as soon as it is
    // made, before they are); null when it did not show in time.
    HWND WaitForShownWindow(const wchar_t* title, int timeoutMs) const {
        HWND found = nullptr;
        WaitFor([&] { return (found = Find(title)) != nullptr && IsWindowVisible(found); }, timeoutMs);
        return found && IsWindowVisible(found) ? found : nullptr;
    }
    // The main window once it is on screen; null when the program did not start or show it in time.
    HWND WaitForMainWindow() const {
        return started_ ? WaitForShownWindow(L"Corvalin Timer Software", 40000) : nullptr;
    }

private:
    PROCESS_INFORMATION pi_{};
    bool started_ = false;
};

// Copies of the program running now, whoever started them.
inline int RunningCopies() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    int copies = 0;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        copies += _wcsicmp(entry.szExeFile, L"Corvalin Timer Software.exe") == 0;
    }
    CloseHandle(snapshot);
    return copies;
}

// Wine's stand-alone tray window and the icons in it (on Windows the icons live in the taskbar).
inline std::vector<HWND> TrayIcons() {
    std::vector<HWND> icons;
    HWND tray = FindWindowW(L"__winex11_standalone_tray", nullptr);
    for (HWND icon = tray ? FindWindowExW(tray, nullptr, L"__winex11_tray_icon", nullptr) : nullptr; icon;
         icon = FindWindowExW(tray, icon, L"__winex11_tray_icon", nullptr)) {
        icons.push_back(icon);
    }
    return icons;
}

using testcapture::SizeOf;
using testcapture::SoundCapturePath;

// Picks an item of a drop-down list and tells its window, as a user's pick does. The lists hold
// "00", "01", ... in order, so the item's number is its index (a string pointer would not cross
// into the other process).
inline void Pick(HWND window, int id, const wchar_t* item) {
    HWND list = GetDlgItem(window, id);
    const int index = _wtoi(item);
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

// Presses a button without waiting for its handler, which may run for seconds (it minimises the
// window and may wait for a balloon).
inline void Press(HWND window, int id) { PostMessageW(GetDlgItem(window, id), BM_CLICK, 0, 0); }

}  // namespace e2e
