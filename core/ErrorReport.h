// The handler error report: the larger handlers run as numbered steps under a trap. A failing step
// shows one uniform report naming the handler and the step, and the handler goes on with the step
// after it; a failing test of a condition counts as true. No error ever leaves a trapped handler.
#pragma once

#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

namespace core {

// Where the report asks users to send a screenshot.
inline constexpr wchar_t kSupportAddress[] = L"support@corvalin-timer.com";
inline constexpr wchar_t kReportTitle[] = L"Application Error";

// An error raised by the program's own code, with the description the report shows.
class HandlerError : public std::exception {
public:
    explicit HandlerError(std::wstring description) : description_(std::move(description)) {}
    const char* what() const noexcept override { return "handler error"; }
    const std::wstring& Description() const { return description_; }

private:
    std::wstring description_;
};

// Descriptions of the errors the program raises itself.
inline constexpr wchar_t kTypeMismatch[] = L"Type mismatch";
inline constexpr wchar_t kOverflow[] = L"Overflow";
inline constexpr wchar_t kSubscriptOutOfRange[] = L"Subscript out of range";
inline constexpr wchar_t kOutOfMemory[] = L"Out of memory";

// The text of the report box.
std::wstring ReportText(std::wstring_view description, std::wstring_view reportName, int line);

// Description of whatever is in flight; call only inside a catch block.
std::wstring DescribeCurrentException();

// The trap of one handler call. `report` shows the report text and returns when the user closed it.
class Trap {
public:
    using Reporter = std::function<void(const std::wstring& text)>;

    Trap(std::wstring reportName, Reporter report) : name_(std::move(reportName)), report_(std::move(report)) {}

    // Runs one step; a failure is reported and the handler goes on after the step.
    template <typename F>
    void Step(int line, F&& step) {
        line_ = line;
        try {
            std::forward<F>(step)();
        } catch (...) {
            Report();
        }
    }

    // Runs the test of a condition; a failure is reported and counts as true.
    template <typename F>
    bool Test(int line, F&& test) {
        line_ = line;
        try {
            return static_cast<bool>(std::forward<F>(test)());
        } catch (...) {
            Report();
            return true;
        }
    }

    // Records the line about to run without running anything (a loop head, a branch end).
    void Line(int line) { line_ = line; }
    int CurrentLine() const { return line_; }

private:
    void Report();

    std::wstring name_;
    Reporter report_;
    int line_ = 0;
};

}  // namespace core
