// Start to a visible main window: the program and a bare Win32 window (bare_window.exe) launched in
// turn, each run waited for to the end before the next, and measured the same way from outside: the
// time from CreateProcess until the window of its class is visible (polled every millisecond), and
// until the process first waits for input with its window painted (WaitForInputIdle). Prints both
// medians and their ratio. Usage: start_bench [runs] (15 by default), from build/windows/bench.
#include "core/Handles.h"
#include "core/Program.h"

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
    const char* name;
    std::wstring path;
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
    std::wstring commandLine = L"\"" + subject.path + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    QueryPerformanceCounter(&start);
    if (!CreateProcessW(subject.path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::printf("%s: cannot start (error %lu)\n", subject.name, GetLastError());
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
        std::printf("%s: did not end when closed\n", subject.name);
        return false;
    }
    if (visible < 0) {
        std::printf("%s: no visible window\n", subject.name);
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
    Subject timer{"program", here + L"\\..\\Corvalin Timer Software.exe", L"CorvalinForm1", {}, {}};
    Subject bare{"bare window", here + L"\\bare_window.exe", L"CorvalinBareWindow", {}, {}};
    // A first start of each reads its DLLs from disk; it is not counted.
    if (!RunOnce(timer, false) || !RunOnce(bare, false)) return 1;
    for (int i = 0; i < runs; ++i) {
        // Which goes first alternates, so that neither always follows the other's exit.
        Subject& first = i % 2 ? bare : timer;
        Subject& second = i % 2 ? timer : bare;
        if (!RunOnce(first, true) || !RunOnce(second, true)) return 1;
    }
    const double timerVisible = Median(timer.visibleMs);
    const double bareVisible = Median(bare.visibleMs);
    const double timerIdle = Median(timer.idleMs);
    const double bareIdle = Median(bare.idleMs);
    std::printf("start, medians of %d interleaved runs:\n", runs);
    std::printf("  to visible window:  program %7.1f ms   bare window %7.1f ms   ratio %.2f (goal 1.30 or less)\n",
                timerVisible, bareVisible, bareVisible > 0 ? timerVisible / bareVisible : 0.0);
    std::printf("  to waiting for input: program %7.1f ms   bare window %7.1f ms   ratio %.2f\n", timerIdle, bareIdle,
                bareIdle > 0 ? timerIdle / bareIdle : 0.0);
    return 0;
}
