// Exception texts in the handler error report, widened by the system's code-page conversion.
#include "core/ErrorReport.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <stdexcept>
#include <string>

namespace {

std::wstring Described(const char* what) {
    try {
        throw std::runtime_error(what);
    } catch (...) {
        return core::DescribeCurrentException();
    }
}

TEST(ErrorReportText, ExceptionTextsComeOutAsWrittenInUtf8OrElseInTheAnsiCodePage) {
    EXPECT_EQ(Described("Gr\xC3\xB6\xC3\x9F" "e \xE2\x82\xAC \xF0\x9F\x94\x94"), L"Gr\u00F6\u00DFe \u20AC \U0001F514");
    // Not UTF-8: read in the ANSI code page, byte for byte, never sign-extended.
    wchar_t expected[8] = {};
    ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, "caf\xE9", 4, expected, 8), 4);
    EXPECT_EQ(Described("caf\xE9"), expected);
}

}  // namespace
