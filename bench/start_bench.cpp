// Start to a visible main window: the program, a bare Win32 window (bare_window.exe) and the bare
// window with three drop-down lists launched in turn, each run waited for to the end before the next,
// and measured the same way from outside: the time from CreateProcess until the window of its class is
// visible (polled every millisecond), and until the process first waits for input with its window
// painted (WaitForInputIdle). Prints the medians and their ratios. Usage: start_bench [runs]
// [program.exe ...], from build/windows/bench: 15 runs by default, of this build's program, or of each
// program named (another build of it, to compare), all interleaved with the bare windows.
#include "core/Handles.h"
#include "core/Program.h"
#include "core/Settings.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// The lParam with which the installer closes the timer: nothing asks on the way out.
constexpr LPARAM kCloseForSetup = 0x494E5354;

struct Subject {
    std::string name;
    std::wstring path;
    std::wstring arguments;
    const wchar_t* windowClass;
    std::vector<double> visibleMs;
    std::vector<double> idleMs;
};

double Ms(LONGLONG from, LONGLONG to, LONGLONG frequency) { return static_cast<double>(to - from) * 1000.0 / frequency; }

// One start: false when the program did not come up or did not end.
bool RunOnce(Subject& subject, bool record) {
    LARGE_INTEGER frequency{};
    LARGE_INTEGER start{};
    LARGE_INTEGER now{};
    QueryPerformanceFrequency(&frequency);
    std::wstring commandLine = L"\"" + subject.path + L"\" " + subject.arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    QueryPerformanceCounter(&start);
    if (!CreateProcessW(subject.path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::printf("%s: cannot start (error %lu)\n", subject.name.c_str(), GetLastError());
        return false;
    }
    const core::UniqueKernelObject processHandle(process.hProcess);
    const core::UniqueKernelObject threadHandle(process.hThread);
    HWND window = nullptr;
    double visible = -1;
    for (int i = 0; i < 20000 && visible < 0; ++i) {
        window = FindWindowW(subject.windowClass, nullptr);
        if (window && IsWindowVisible(window)) {
            QueryPerformanceCounter(&now);
            visible = Ms(start.QuadPart, now.QuadPart, frequency.QuadPart);
            break;
        }
        if (WaitForSingleObject(process.hProcess, 1) == WAIT_OBJECT_0) break;
    }
    double idle = -1;
    if (visible >= 0 && WaitForInputIdle(process.hProcess, 10000) == 0) {
        QueryPerformanceCounter(&now);
        idle = Ms(start.QuadPart, now.QuadPart, frequency.QuadPart);
    }
    if (window) PostMessageW(window, WM_CLOSE, 0, kCloseForSetup);
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, 5000);
        std::printf("%s: did not end when closed\n", subject.name.c_str());
        return false;
    }
    if (visible < 0) {
        // Timers stored by an earlier run (one closed as the installer closes it, by a benchmark or a
        // test) come back, hidden ones without a window.
        HKEY stored = nullptr;
        const std::wstring records = std::wstring(core::kSettingsKeyPath) + L"\\Timers";
        const bool timers = RegOpenKeyExW(HKEY_CURRENT_USER, records.c_str(), 0, KEY_READ, &stored) == ERROR_SUCCESS;
        if (timers) RegCloseKey(stored);
        std::printf("%s: no visible window%s\n", subject.name.c_str(),
                    timers ? " (stored timers come back first: start from a Wine prefix without them)" : "");
        return false;
    }
    if (record) {
        subject.visibleMs.push_back(visible);
        subject.idleMs.push_back(idle);
    }
    return true;
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    const std::wstring here = core::ProgramFolder();
    std::vector<Subject> subjects;
    if (argc > 2) {
        for (int i = 2; i < argc; ++i) {
            const std::string name = argv[i];
            subjects.push_back({name, std::wstring(name.begin(), name.end()), L"", L"CorvalinForm1", {}, {}});
        }
    } else {
        subjects.push_back({"program", here + L"\\..\\Corvalin Timer Software.exe", L"", L"CorvalinForm1", {}, {}});
    }
    // What the main window's three drop-down lists cost by themselves: under Wine each list's drop-down
    // part is a hidden top-level window, with an X window of its own.
    subjects.push_back({"bare window with three drop-down lists", here + L"\\bare_window.exe", L"lists",
                        L"CorvalinBareWindow", {}, {}});
    subjects.push_back({"bare window", here + L"\\bare_window.exe", L"", L"CorvalinBareWindow", {}, {}});
    // A first start of each reads its DLLs from disk; it is not counted.
    for (Subject& subject : subjects) {
        if (!RunOnce(subject, false)) return 1;
    }
    for (int i = 0; i < runs; ++i) {
        // Which goes first turns round, so that none always follows another's exit.
        for (std::size_t k = 0; k < subjects.size(); ++k) {
            if (!RunOnce(subjects[(k + static_cast<std::size_t>(i)) % subjects.size()], true)) return 1;
        }
    }
    const Subject& bare = subjects.back();
    const double bareVisible = Median(bare.visibleMs);
    const double bareIdle = Median(bare.idleMs);
    std::printf("start, medians of %d interleaved runs; bare window: visible %.1f ms, waiting for input %.1f ms\n",
                runs, bareVisible, bareIdle);
    for (std::size_t k = 0; k + 1 < subjects.size(); ++k) {
        const double visible = Median(subjects[k].visibleMs);
        const double idle = Median(subjects[k].idleMs);
        const bool program = std::wstring(subjects[k].windowClass) == L"CorvalinForm1";
        std::printf("  %s: visible %.1f ms, ratio %.2f%s; waiting for input %.1f ms, ratio %.2f\n",
                    subjects[k].name.c_str(), visible, bareVisible > 0 ? visible / bareVisible : 0.0,
                    program ? " (goal 1.30 or less)" : "", idle,
                    bareIdle > 0 ? idle / bareIdle : 0.0);
    }
    return 0;
}
