// Report text and the trap's reporting.
#include "core/ErrorReport.h"

#include "core/WideText.h"

#include <new>

namespace core {

std::wstring ReportText(std::wstring_view description, std::wstring_view reportName, int line) {
    std::wstring text(description);
    text += L"\r\n";
    text += L"in CorvalinTimer2021/08/31.";
    text += reportName;
    text += L" ";
    text += L"at line ";
    text += std::to_wstring(line);
    text += L"\r\r";
    text += L"Please email screenshot of this message to ";
    text += kSupportAddress;
    return text;
}

std::wstring DescribeCurrentException() {
    try {
        throw;
    } catch (const HandlerError& e) {
        return e.Description();
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    } catch (const std::exception& e) {
        return WidenNarrowText(e.what());
    } catch (...) {
        return L"Unexpected error";
    }
}

void Trap::Report() {
    const std::wstring text = ReportText(DescribeCurrentException(), name_, line_);
    // The report itself must not throw out of the handler either.
    try {
        if (report_) report_(text);
    } catch (...) {
    }
}

}  // namespace core
