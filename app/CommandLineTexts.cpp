// What the program says about its command line: the usage, the refusal of a bad argument, the message
// when no timer could be reached, and the question before a countdown is replaced.
#include "app/CommandLine.h"

#include "app/CountdownDisplay.h"
#include "core/AppTitle.h"
#include "core/TextFormat.h"
#include "core/TimerLabel.h"

namespace app {
namespace {

// The argument as a message may show it: no control or direction-changing characters, and cut when
// over-long.
std::wstring ShownArgument(std::wstring_view argument) {
    std::wstring shown(argument.substr(0, kLongestArgument));
    // A cut must not leave half of a surrogate pair behind.
    if (argument.size() > kLongestArgument && !shown.empty() && shown.back() >= 0xD800 && shown.back() <= 0xDBFF) {
        shown.pop_back();
    }
    for (wchar_t& c : shown) {
        const bool control = c < 0x20 || (c >= 0x7F && c <= 0x9F);
        const bool direction = (c >= 0x200E && c <= 0x200F) || (c >= 0x202A && c <= 0x202E) ||
                               (c >= 0x2066 && c <= 0x2069);
        if (control || direction) c = L'?';
    }
    if (argument.size() > kLongestArgument) shown += L"\u2026";
    return shown;
}

constexpr wchar_t kAcceptedForms[] =
    L"A duration from 1 second to 23:59:59, written as:\r\n"
    L"    H:MM:SS, e.g. 0:25:00 or 1:30:00\r\n"
    L"    hours, minutes and seconds, e.g. 25m, 1h30m, 90s or 1h2m3s\r\n"
    L"    a whole number of minutes, e.g. 25\r\n"
    L"or the time it ends, e.g. @17:30, @17:30:15, @5:30pm or @5pm\r\n"
    L"or a switch for the running timer, as its buttons do:\r\n"
    L"    /pause pauses a running countdown\r\n"
    L"    /resume resumes a paused one\r\n"
    L"    /reset resets the timer\r\n"
    L"    /add:5m adds a duration to a countdown, or snoozes a ringing alarm for it\r\n"
    L"    /mini shows or hides the mini countdown";

}  // namespace

std::wstring PickerDurationText(std::int32_t seconds) {
    return core::ZeroPad(seconds / 3600, 2) + L":" + core::ZeroPad(seconds / 60 % 60, 2) + L":" +
           core::ZeroPad(seconds % 60, 2);
}

std::wstring UsageText() {
    return std::wstring(core::kProductName) +
           L" [duration | @time | switch]\r\n\r\n"
           L"Starts a countdown of the duration, or until the time, as picking it and pressing Start does. "
           L"When the timer runs already, it takes the duration there.\r\n\r\n" +
           kAcceptedForms +
           L"\r\n\r\n/new opens a further timer, idle or with a duration or time; /label:NAME names the timer "
           L"that /new opens or a duration starts, or picks the timers a switch acts on (all without it)."
           L"\r\n\r\nExamples: 0:25:00, 25m, 1h30m, 90s, 25, @17:30, /new 4m /label:Tea, /pause /label:Tea, "
           L"/add:5m /label:Tea";
}

std::wstring NoTimerText(NoTimerReason reason) {
    const std::wstring product(core::kProductName);
    switch (reason) {
    case NoTimerReason::Closing:
        return product + L" was closing and has not ended yet. Try again in a moment.";
    case NoTimerReason::Administrator:
        return product + L" runs already as administrator and cannot be reached from here. "
                         L"Use that copy, or close it and start the program again.";
    case NoTimerReason::Busy:
        return product + L" runs already and has more requests waiting than it takes. Try again once it "
                         L"has dealt with them.";
    case NoTimerReason::NotAnswering:
        break;
    }
    return product + L" runs already but does not answer. Try again in a moment.";
}

std::wstring BadArgumentText(std::wstring_view argument, CommandLineRequest::Problem problem) {
    const std::wstring shown = L"\"" + ShownArgument(argument) + L"\"";
    switch (problem) {
    case CommandLineRequest::Problem::OutOfRange:
        return shown + L" is out of range: a countdown lasts from 1 second to 23:59:59.";
    case CommandLineRequest::Problem::OneTooMany:
        return L"One duration or switch only: " + shown + L" is one too many.";
    case CommandLineRequest::Problem::NoSuchTime:
        return shown + L" is no time of day: a clock reads from 0:00 to 23:59:59, or from 12am to 11:59:59pm.";
    case CommandLineRequest::Problem::Skipped:
        return shown + L" does not exist that day: the clock goes forward past it for daylight saving time.";
    case CommandLineRequest::Problem::Now:
        return shown + L" is the time now: name a later time, or a duration.";
    case CommandLineRequest::Problem::BadLabel:
        return shown + L" names no label. " + core::kLabelRuleText;
    case CommandLineRequest::Problem::LabelAlone:
        return shown + L" goes with /new, a duration, /pause, /resume, /reset or /add: it picks the timer they are for.";
    case CommandLineRequest::Problem::NothingToAdd:
        return shown + L" has nothing to add to: no timer counts down, is paused or rings.";
    case CommandLineRequest::Problem::UnknownForm:
        break;
    }
    return shown + L" is not a duration.\r\n\r\n" + kAcceptedForms +
           L"\r\n/new opens a further timer; /label:NAME names it, or picks the timers a switch acts on.";
}

std::wstring ReplaceQuestionText(bool paused, std::int32_t secondsShown, std::int32_t newSeconds,
                                 const std::wstring& until) {
    return std::wstring(paused ? L"A countdown is paused with " : L"A countdown is running with ") +
           FormatWholeSeconds(secondsShown) + L" left.\r\n\r\nReplace it with a new countdown of " +
           FormatWholeSeconds(newSeconds) + (until.empty() ? L"" : L", until " + until) + L"?";
}

}  // namespace app
