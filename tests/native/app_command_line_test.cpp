// The command line's durations: every accepted form at its boundaries, and the forms refused.
#include "app/CommandLine.h"
#include "app/TrayCountdown.h"
#include "core/TimerLabel.h"

#include <gtest/gtest.h>

namespace app {
namespace {

using Kind = CommandLineRequest::Kind;

TEST(CommandLineDuration, ReadsClockUnitAndMinuteFormsUpToTheLastPickableValue) {
    EXPECT_EQ(ParseDuration(L"0:25:00"), 25 * 60);
    EXPECT_EQ(ParseDuration(L"00:25:00"), 25 * 60);
    EXPECT_EQ(ParseDuration(L"1:02:03"), 3723);
    EXPECT_EQ(ParseDuration(L"0:00:01"), 1);
    EXPECT_EQ(ParseDuration(L"23:59:59"), kLongestDuration);
    EXPECT_EQ(ParseDuration(L"25m"), 25 * 60);
    EXPECT_EQ(ParseDuration(L"1h30m"), 5400);
    EXPECT_EQ(ParseDuration(L"1H2M3S"), 3723);
    EXPECT_EQ(ParseDuration(L"90s"), 90);
    EXPECT_EQ(ParseDuration(L"90m"), 5400);
    EXPECT_EQ(ParseDuration(L"1s"), 1);
    EXPECT_EQ(ParseDuration(L"86399s"), kLongestDuration);
    EXPECT_EQ(ParseDuration(L"23h59m59s"), kLongestDuration);
    EXPECT_EQ(ParseDuration(L"25"), 25 * 60);
    EXPECT_EQ(ParseDuration(L"007"), 7 * 60);
    EXPECT_EQ(ParseDuration(L"1439"), 1439 * 60);
    EXPECT_EQ(PickerDurationText(ParseDuration(L"90s")), L"00:01:30");
    EXPECT_EQ(PickerDurationText(ParseDuration(L"90m")), L"01:30:00");
    EXPECT_EQ(PickerDurationText(kLongestDuration), L"23:59:59");
}

TEST(CommandLineDuration, RefusesZeroTooLongAndMalformedDurations) {
    for (const wchar_t* text :
         {L"", L"0", L"0:00:00", L"0s", L"0h0m0s", L"24:00:00", L"1440", L"86400s", L"24h", L"99999999999999999999m",
          L"123:00:00", L":25:00", L"0:5:00", L"0:60:00", L"0:00:60", L"0:25", L"0:25:00:00", L"1h30", L"30m1h",
          L"1m1m", L"h", L"m5", L"1.5h", L"-5", L"+5", L" 25", L"25 ", L"25min", L"1x", L"\uFF12\uFF15",
          L"2\u0665", L"/h", L"0:25:00\u200F"}) {
        EXPECT_EQ(ParseDuration(text), 0) << "accepted: " << testing::PrintToString(std::wstring(text));
    }
    // Longer than any accepted form is refused unread, zeros or not.
    EXPECT_EQ(ParseDuration(std::wstring(kLongestArgument - 1, L'0') + L"1"), 60);
    EXPECT_EQ(ParseDuration(std::wstring(kLongestArgument, L'0') + L"1"), 0);
}

TEST(CommandLine, SeesArgumentsAfterTheProgramsNameAsCommandLineToArgvWSplitsIt) {
    for (const std::wstring_view line : {L"", L"timer.exe", L"timer.exe \t ", L"\"C:\\a b\\timer.exe\"",
                                         L"\"C:\\a b\\timer.exe\"  ", L"\"C:\\a b\\timer.exe 25m"}) {
        EXPECT_FALSE(CommandLineHasArguments(line)) << testing::PrintToString(std::wstring(line));
    }
    for (const std::wstring_view line : {L"timer.exe 25m", L"timer.exe\t/?", L"\"C:\\a b\\timer.exe\" 25m",
                                         L"\"timer.exe\"25m", L"timer.exe \"\"", L"timer.exe\n"}) {
        EXPECT_TRUE(CommandLineHasArguments(line)) << testing::PrintToString(std::wstring(line));
    }
}

TEST(CommandLine, TakesOneDurationOrTheUsageSwitchAndNamesWhatDoesNotBelong) {
    EXPECT_EQ(ParseCommandLine({}).kind, Kind::None);
    const CommandLineRequest duration = ParseCommandLine({L"1h2m3s"});
    EXPECT_EQ(duration.kind, Kind::Duration);
    EXPECT_EQ(duration.seconds, 3723);
    EXPECT_EQ(ParseCommandLine({L"/?"}).kind, Kind::Usage);

    const auto refused = [](std::vector<std::wstring> arguments) {
        const CommandLineRequest request = ParseCommandLine(arguments);
        return request.kind == Kind::Bad ? request.badArgument : L"(not refused)";
    };
    EXPECT_EQ(refused({L"soon"}), L"soon");
    EXPECT_EQ(refused({L"25m", L"please"}), L"please");
    EXPECT_EQ(refused({L"/?", L"25m"}), L"25m");
    EXPECT_EQ(refused({L"/x"}), L"/x");
    EXPECT_EQ(refused({L"-?"}), L"-?");
    EXPECT_EQ(refused({L"/start", L"25m"}), L"/start");

    EXPECT_EQ(ParseCommandLine({L"/PAUSE"}).kind, Kind::Pause);
    EXPECT_EQ(ParseCommandLine({L"/resume"}).kind, Kind::Resume);
    EXPECT_EQ(ParseCommandLine({L"/Reset"}).kind, Kind::Reset);
    // What is wrong, for the message: an extra word the program would take alone, a range, a form.
    using Problem = CommandLineRequest::Problem;
    EXPECT_EQ(refused({L"25m", L"10m"}), L"10m");
    for (const auto& [arguments, problem] : std::vector<std::pair<std::vector<std::wstring>, Problem>>{
             {{L"25m", L"10m"}, Problem::OneTooMany}, {{L"/pause", L"25m"}, Problem::OneTooMany},
             {{L"0"}, Problem::OutOfRange}, {{L"24:00:00"}, Problem::OutOfRange},
             {{L"123:00:00"}, Problem::UnknownForm}, {{L"25m", L"please"}, Problem::UnknownForm}}) {
        EXPECT_EQ(ParseCommandLine(arguments).problem, problem) << testing::PrintToString(arguments.back());
    }
    EXPECT_NE(BadArgumentText(L"10m", Problem::OneTooMany).find(L"\"10m\" is one too many"), std::wstring::npos);
    EXPECT_NE(BadArgumentText(L"0", Problem::OutOfRange).find(L"from 1 second to 23:59:59"), std::wstring::npos);
}

TEST(CommandLineTimers, OpensANewTimerAndPicksTimersByAPrintableLabelOfFortyCharacters) {
    using Problem = CommandLineRequest::Problem;
    for (const auto& [arguments, kind, newTimer, label] :
         std::vector<std::tuple<std::vector<std::wstring>, Kind, bool, std::wstring>>{
             {{L"/new"}, Kind::None, true, L""},
             {{L"/LABEL: Green tea ", L"/new", L"4m"}, Kind::Duration, true, L"Green tea"},
             {{L"/new", L"@17:30", L"/label:Bread"}, Kind::TimeOfDay, true, L"Bread"},
             {{L"/pause", L"/label:Tea"}, Kind::Pause, false, L"Tea"},
             {{L"25m", L"/label:Tea"}, Kind::Duration, false, L"Tea"}}) {
        const CommandLineRequest request = ParseCommandLine(arguments);
        EXPECT_TRUE(request.kind == kind && request.newTimer == newTimer && request.label == label)
            << testing::PrintToString(arguments);
    }
    const std::wstring forty = L"\xD83C\xDF75" + std::wstring(39, L'x');
    EXPECT_TRUE(core::IsValidLabel(forty) && core::IsValidLabel(L"") && core::IsValidLabel(L"Caf\u00E9 \u00BD"));
    for (const std::wstring bad : {L"", L" ", L"\t", L"\u0085", L"\u2028", L"a\u202E", L"\xDF75\x61", L"a\xD83C"}) {
        EXPECT_EQ(ParseCommandLine({L"/new", L"/label:" + bad}).problem, Problem::BadLabel)
            << testing::PrintToString(bad);
    }
    EXPECT_EQ(ParseCommandLine({L"/label:" + forty + L"x"}).problem, Problem::BadLabel);
    for (const auto& [arguments, named, problem] :
         std::vector<std::tuple<std::vector<std::wstring>, std::wstring, Problem>>{
             {{L"/new", L"/new"}, L"/new", Problem::OneTooMany},
             {{L"/pause", L"/new"}, L"/new", Problem::OneTooMany},
             {{L"/new", L"/?"}, L"/?", Problem::OneTooMany},
             {{L"/?", L"/label:a"}, L"/label:a", Problem::OneTooMany},
             {{L"/label:a", L"/label:b", L"/new"}, L"/label:b", Problem::OneTooMany},
             {{L"/label:a"}, L"/label:a", Problem::LabelAlone},
             {{L"/new", L"0"}, L"0", Problem::OutOfRange}, {{L"/newer"}, L"/newer", Problem::UnknownForm}}) {
        const CommandLineRequest request = ParseCommandLine(arguments);
        EXPECT_TRUE(request.kind == Kind::Bad && request.badArgument == named && request.problem == problem)
            << testing::PrintToString(arguments);
    }
    EXPECT_TRUE(BadArgumentText(L"/label:", Problem::BadLabel).ends_with(core::kLabelRuleText));
    // A label crosses to the running copy whole; control characters do not.
    std::vector<std::wstring> received;
    const std::vector<std::wstring> sent = {L"/new", L"/label:" + forty + L" \u00E9"};
    const std::vector<std::uint16_t> units = EncodeHandOver(sent), control = EncodeHandOver({L"/label:a\u0085"});
    EXPECT_TRUE(DecodeHandOver(units.data(), units.size() * 2, received) && received == sent);
    EXPECT_FALSE(DecodeHandOver(control.data(), control.size() * 2, received));
}

// Zones as the system gives their rules: Central European and US Eastern, and UTC.
const ZoneRules kUtc = [](int) { return ZoneRule{}; };
const ZoneRules kCentralEuropean = [](int) {
    return ZoneRule{-60, 0, -60, {0, 10, 0, 5, 3 * 3'600'000}, {0, 3, 0, 5, 2 * 3'600'000}};
};
const ZoneRules kUsEastern = [](int) {
    return ZoneRule{300, 0, -60, {0, 11, 0, 1, 2 * 3'600'000}, {0, 3, 0, 2, 2 * 3'600'000}};
};

UtcMilliseconds At(const ZoneRules& zone, int month, int day, int hour, int minute, int milliseconds = 0) {
    return ToUtc(zone, {2026, month, day, (hour * 60 + minute) * 60'000 + milliseconds}).front();
}

TEST(CommandLineTimeOfDay, ReadsTwentyFourHourAndAmPmTimesAndCountsToTheNextOneByTheZonesRules) {
    for (const auto& [text, seconds] : std::vector<std::pair<std::wstring, std::int32_t>>{
             {L"@17:30", 63000}, {L"@17:30:15", 63015}, {L"@0:00", 0}, {L"@5:30pm", 63000}, {L"@5PM", 61200},
             {L"@12am", 0}, {L"@12pm", 43200}, {L"@11:59:59pm", kLongestDuration}, {L"@25:00", kNoSuchTime},
             {L"@17:60", kNoSuchTime}, {L"@13pm", kNoSuchTime}, {L"@0am", kNoSuchTime}, {L"@17:30:60", kNoSuchTime}}) {
        EXPECT_EQ(ParseTimeOfDay(text), seconds) << testing::PrintToString(text);
    }
    for (const wchar_t* text : {L"@17", L"@", L"17:30", L"@5:3pm", L"@17:30:", L"@1:2:3:4", L"@pm", L"@5 pm",
                                L"@-5pm", L"@005pm"}) {
        EXPECT_EQ(ParseTimeOfDay(text), -1) << "accepted: " << testing::PrintToString(std::wstring(text));
    }
    EXPECT_EQ(ParseCommandLine({L"@25:00"}).problem, CommandLineRequest::Problem::NoSuchTime);

    using Problem = CommandLineRequest::Problem;
    struct Case {
        const ZoneRules& zone;
        UtcMilliseconds now;
        const wchar_t* named;
        std::int32_t seconds;  // 0: refused for the problem
        Problem problem;
    };
    const Case cases[] = {
        // Half a second to 17:30 is one whole second; a time not later than now is tomorrow's, the
        // second just passed among them; the time of this very second is now.
        {kUtc, At(kUtc, 6, 1, 17, 29, 59'500), L"@5:30pm", 1, {}},
        {kUtc, At(kUtc, 6, 1, 17, 29, 59'500), L"@9:00", 24 * 3600 - (8 * 3600 + 29 * 60 + 59), {}},
        {kUtc, At(kUtc, 6, 1, 17, 30, 300), L"@17:29:59", kLongestDuration, {}},
        {kUtc, At(kUtc, 6, 1, 17, 30, 300), L"@17:30", 0, Problem::Now},
        // The evening before the clock goes forward: an hour less to 7:00; the skipped hour refused,
        // but tomorrow's once today's has passed.
        {kCentralEuropean, At(kCentralEuropean, 3, 28, 22, 0), L"@7:00", 8 * 3600, {}},
        {kUsEastern, At(kUsEastern, 3, 7, 22, 0), L"@7:00", 8 * 3600, {}},
        {kCentralEuropean, At(kCentralEuropean, 3, 28, 22, 0), L"@2:30", 0, Problem::Skipped},
        {kUsEastern, At(kUsEastern, 3, 8, 1, 0), L"@2:30", 0, Problem::Skipped},
        {kCentralEuropean, At(kCentralEuropean, 3, 29, 10, 0), L"@2:30", 16 * 3600 + 1800, {}},
        // The evening before the clock goes back: an hour more to 7:00; the repeated hour is its first
        // time, or its second once the first has passed; tomorrow's more than a day away is refused.
        {kCentralEuropean, At(kCentralEuropean, 10, 24, 22, 0), L"@7:00", 10 * 3600, {}},
        {kUsEastern, At(kUsEastern, 10, 31, 22, 0), L"@7:00", 10 * 3600, {}},
        {kCentralEuropean, At(kCentralEuropean, 10, 24, 22, 0), L"@2:30", 4 * 3600 + 1800, {}},
        {kUsEastern, At(kUsEastern, 10, 31, 22, 0), L"@1:30", 3 * 3600 + 1800, {}},
        {kCentralEuropean, At(kCentralEuropean, 10, 25, 2, 40), L"@2:30", 50 * 60, {}},
        {kCentralEuropean, At(kCentralEuropean, 10, 24, 22, 0), L"@21:30", 0, Problem::OutOfRange},
    };
    for (const Case& c : cases) {
        const CommandLineRequest resolved = ResolveTimeOfDay(ParseCommandLine({c.named}), c.now, c.zone);
        const std::wstring named = c.named;
        EXPECT_EQ(resolved.seconds, c.seconds) << testing::PrintToString(named);
        EXPECT_EQ(resolved.kind, c.seconds ? Kind::Duration : Kind::Bad) << testing::PrintToString(named);
        if (!c.seconds) {
            EXPECT_EQ(resolved.problem, c.problem) << testing::PrintToString(named);
            EXPECT_EQ(resolved.badArgument, named);
        }
        // The tray tip's end time once the countdown starts (it runs a second longer than it counts)
        // is the clock time named, within the seconds the rounding and that second add.
        const LocalTime end = ToLocalTime(c.zone, c.now + TicksLeft(c.seconds, 9) * 100);
        const std::int64_t late = (end.millisecondOfDay - ParseTimeOfDay(named) * 1000 + 86'400'000) % 86'400'000;
        if (c.seconds) {
            EXPECT_LT(late, 2000) << testing::PrintToString(named);
        }
    }
}

TEST(ZoneRuleCache, ReadsTheZonesRulesOnceAYearAndAgainOnlyAfterForget) {
    std::vector<int> asked;
    ZoneRuleCache cache([&asked](int year) { return asked.push_back(year), kCentralEuropean(year); });
    // A tip's end time every second for a minute, the next year's rules, this year's after Forget.
    for (int s = 0; s < 60; ++s) ToLocalTime(cache.Rules(), At(kCentralEuropean, 7, 1, 12, 0) + s * 1000);
    EXPECT_EQ(cache.ForYear(2027).daylightDate.month + cache.ForYear(2026).daylightDate.month, 6);
    cache.Forget();
    EXPECT_EQ(cache.ForYear(2026).bias, -60);
    EXPECT_EQ(asked, (std::vector<int>{2026, 2027, 2026}));
}

TEST(CommandLineTexts, NameTheArgumentSafelyAndTheValuesInvolved) {
    const std::wstring plain = BadArgumentText(L"soon");
    EXPECT_NE(plain.find(L"\"soon\""), std::wstring::npos);
    EXPECT_NE(plain.find(L"0:25:00"), std::wstring::npos);
    EXPECT_NE(plain.find(L"1h30m"), std::wstring::npos);
    EXPECT_NE(plain.find(L"23:59:59"), std::wstring::npos);

    // Over-long: cut, and marked as cut; a surrogate pair is never split by the cut.
    // The pair spelled as UTF-16 code units, as Windows hands them over (wchar_t is wider here).
    const std::wstring longArgument = std::wstring(kLongestArgument - 1, L'7') + L"\xD83D\xDE00tail";
    const std::wstring cut = BadArgumentText(longArgument);
    EXPECT_NE(cut.find(std::wstring(kLongestArgument - 1, L'7') + L"\u2026\""), std::wstring::npos);
    EXPECT_EQ(cut.find(L"tail"), std::wstring::npos);
    // Control and direction characters cannot rearrange or break the message.
    const std::wstring hostile = BadArgumentText(L"a\r\nb\u202Ec\u0007");
    EXPECT_NE(hostile.find(L"\"a??b?c?\""), std::wstring::npos);

    EXPECT_EQ(ReplaceQuestionText(false, 299, 1500),
              L"A countdown is running with 000:04:59 left.\r\n\r\nReplace it with a new countdown of 000:25:00?");
    EXPECT_TRUE(ReplaceQuestionText(false, 299, 1500, L"17:00").ends_with(L"of 000:25:00, until 17:00?"));
    EXPECT_NE(BadArgumentText(L"@2:30", CommandLineRequest::Problem::Skipped).find(L"does not exist that day"),
              std::wstring::npos);
    EXPECT_NE(ReplaceQuestionText(true, 3600, 90).find(L"paused with 001:00:00 left"), std::wstring::npos);
    EXPECT_NE(UsageText().find(L"[duration | @time | switch]"), std::wstring::npos);
}

TEST(CommandLineHandOver, CarriesTheArgumentsAndRefusesWhatNoCopyOfOursSends) {
    std::vector<std::wstring> arguments;
    const std::vector<std::uint16_t> sent = EncodeHandOver({L"1h30m"});
    ASSERT_TRUE(DecodeHandOver(sent.data(), sent.size() * 2, arguments));
    EXPECT_EQ(arguments, std::vector<std::wstring>{L"1h30m"});
    ASSERT_TRUE(DecodeHandOver(nullptr, 0, arguments));
    EXPECT_TRUE(arguments.empty());
    const std::vector<std::uint16_t> two = EncodeHandOver({L"", L"/?"});
    ASSERT_TRUE(DecodeHandOver(two.data(), two.size() * 2, arguments));
    EXPECT_EQ(arguments, (std::vector<std::wstring>{L"", L"/?"}));

    const auto refused = [&](std::vector<std::uint16_t> units, std::size_t size) {
        return !DecodeHandOver(units.data(), size, arguments) && arguments.empty();
    };
    EXPECT_TRUE(refused(sent, sent.size() * 2 - 1));  // odd size
    EXPECT_TRUE(refused(sent, sent.size() * 2 - 2));  // the end cut off
    EXPECT_TRUE(refused({L'2', 0x00E9, 0}, 6));       // beyond ASCII
    EXPECT_TRUE(refused({L'2', L'\n', 0}, 6));        // control character
    EXPECT_TRUE(refused({0, 0, 0, 0, 0}, 10));          // too many arguments
    EXPECT_TRUE(refused(std::vector<std::uint16_t>(kHandOverLimitBytes / 2 + 1, 0), kHandOverLimitBytes + 2));
    EXPECT_FALSE(DecodeHandOver(nullptr, 2, arguments));
    const std::vector<std::uint16_t> longest(kHandOverLimitBytes / 2, L'5');
    std::vector<std::uint16_t> atLimit = longest;
    atLimit.back() = 0;
    EXPECT_TRUE(DecodeHandOver(atLimit.data(), kHandOverLimitBytes, arguments));
}

}  // namespace
}  // namespace app
