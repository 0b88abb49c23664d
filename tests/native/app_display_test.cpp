// Countdown display text and the whole-number conversion of picker texts.
#include "app/Conversions.h"
#include "app/CountdownDisplay.h"
#include "core/ErrorReport.h"

#include <gtest/gtest.h>

namespace app {
namespace {

TEST(CountdownDisplay, FormatsEveryBoundaryOfHoursMinutesAndSeconds) {
    EXPECT_EQ(FormatCountdown(0, 0), L"000:00:00.0");
    EXPECT_EQ(FormatCountdown(0, 9), L"000:00:00.9");
    EXPECT_EQ(FormatCountdown(9, 5), L"000:00:09.5");
    EXPECT_EQ(FormatCountdown(59, 9), L"000:00:59.9");
    EXPECT_EQ(FormatCountdown(60, 0), L"000:01:00.0");
    EXPECT_EQ(FormatCountdown(3599, 9), L"000:59:59.9");
    EXPECT_EQ(FormatCountdown(3600, 0), L"001:00:00.0");
    EXPECT_EQ(FormatCountdown(86399, 9), L"023:59:59.9");
    EXPECT_EQ(FormatCountdown(7509, 7), L"002:05:09.7");
}

TEST(CountdownDisplay, HoursGrowBeyondThreeDigitsInsteadOfWrapping) {
    EXPECT_EQ(FormatCountdown(999 * 3600, 0), L"999:00:00.0");
    EXPECT_EQ(FormatCountdown(1000 * 3600 + 61, 3), L"1000:01:01.3");
}

std::wstring ConversionError(const wchar_t* text) {
    try {
        ToInteger16(text);
    } catch (const core::HandlerError& e) {
        return e.Description();
    }
    return L"";
}

TEST(PickerConversion, ConvertsTheListTexts) {
    EXPECT_EQ(ToInteger16(L"00"), 0);
    EXPECT_EQ(ToInteger16(L"09"), 9);
    EXPECT_EQ(ToInteger16(L"59"), 59);
    EXPECT_EQ(ToInteger16(L" 23 "), 23);
    EXPECT_EQ(ToInteger16(L"-5"), -5);
}

TEST(PickerConversion, EmptyOrNonNumericTextIsATypeMismatch) {
    EXPECT_EQ(ConversionError(L""), core::kTypeMismatch);
    EXPECT_EQ(ConversionError(L"   "), core::kTypeMismatch);
    EXPECT_EQ(ConversionError(L"abc"), core::kTypeMismatch);
    EXPECT_EQ(ConversionError(L"1a"), core::kTypeMismatch);
    EXPECT_EQ(ConversionError(L"-"), core::kTypeMismatch);
}

TEST(PickerConversion, ValuesOutsideSixteenBitsOverflow) {
    EXPECT_EQ(ToInteger16(L"32767"), 32767);
    EXPECT_EQ(ToInteger16(L"-32768"), -32768);
    EXPECT_EQ(ConversionError(L"32768"), core::kOverflow);
    EXPECT_EQ(ConversionError(L"-32769"), core::kOverflow);
    EXPECT_EQ(ConversionError(L"99999999999999999999"), core::kOverflow);
}

TEST(PickerConversion, FractionsRoundHalfToEven) {
    EXPECT_EQ(ToInteger16(L"1.5"), 2);
    EXPECT_EQ(ToInteger16(L"2.5"), 2);
    EXPECT_EQ(ToInteger16(L"2.51"), 3);
}

}  // namespace
}  // namespace app
