// Reading the command line's duration and the texts about it: the usage, the refusal of a bad
// argument and the question before a countdown is replaced.
#include "app/CommandLine.h"

#include "app/CountdownDisplay.h"
#include "core/AppTitle.h"
#include "core/TextFormat.h"

#include <algorithm>
#include <cstring>

namespace app {
namespace {

// Numbers stop growing here: far beyond any accepted value, far below any overflow.
constexpr std::int64_t kNumberCap = 10'000'000;

// Units of the unit form, in the order they must come.
constexpr std::wstring_view kUnits = L"hms";
constexpr std::int64_t kUnitSeconds[] = {3600, 60, 1};

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// Reads the digits at text[at...], at least one; moves at past them.
bool ReadNumber(std::wstring_view text, std::size_t& at, std::int64_t& value) {
    const std::size_t start = at;
    value = 0;
    for (; at < text.size() && IsDigit(text[at]); ++at) value = std::min(value * 10 + (text[at] - L'0'), kNumberCap);
    return at > start;
}

std::int64_t ParseClock(std::wstring_view text) {
    // H:MM:SS or HH:MM:SS, exactly.
    const std::size_t firstColon = text.find(L':');
    if (firstColon < 1 || firstColon > 2 || text.size() != firstColon + 6) return 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool colon = i == firstColon || i == firstColon + 3;
        if (colon ? text[i] != L':' : !IsDigit(text[i])) return 0;
    }
    const auto two = [&](std::size_t at) { return (text[at] - L'0') * 10 + (text[at + 1] - L'0'); };
    const std::int64_t hours = firstColon == 1 ? text[0] - L'0' : two(0);
    const std::int64_t minutes = two(firstColon + 1);
    const std::int64_t seconds = two(firstColon + 4);
    if (minutes > 59 || seconds > 59) return 0;
    return hours * 3600 + minutes * 60 + seconds;
}

std::int64_t ParseUnits(std::wstring_view text) {
    std::int64_t total = 0;
    std::size_t at = 0;
    std::size_t nextUnit = 0;
    while (at < text.size()) {
        std::int64_t value = 0;
        if (!ReadNumber(text, at, value) || at == text.size()) return 0;
        const wchar_t unit = text[at] >= L'A' && text[at] <= L'Z' ? text[at] - L'A' + L'a' : text[at];
        const std::size_t index = kUnits.find(unit);
        // Each unit once, hours before minutes before seconds.
        if (index == std::wstring_view::npos || index < nextUnit) return 0;
        nextUnit = index + 1;
        total += value * kUnitSeconds[index];
        ++at;
    }
    return total;
}

std::int64_t ParseMinutes(std::wstring_view text) {
    std::size_t at = 0;
    std::int64_t minutes = 0;
    if (!ReadNumber(text, at, minutes) || at != text.size()) return 0;
    return minutes * 60;
}

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
    L"    a whole number of minutes, e.g. 25";

}  // namespace

std::int32_t ParseDuration(std::wstring_view text) {
    if (text.empty() || text.size() > kLongestArgument) return 0;
    std::int64_t seconds = 0;
    if (text.find(L':') != std::wstring_view::npos) {
        seconds = ParseClock(text);
    } else if (std::all_of(text.begin(), text.end(), IsDigit)) {
        seconds = ParseMinutes(text);
    } else {
        seconds = ParseUnits(text);
    }
    return seconds >= 1 && seconds <= kLongestDuration ? static_cast<std::int32_t>(seconds) : 0;
}

CommandLineRequest ParseCommandLine(const std::vector<std::wstring>& arguments) {
    CommandLineRequest request;
    if (arguments.empty()) return request;
    const auto bad = [&](const std::wstring& argument) {
        request.kind = CommandLineRequest::Kind::Bad;
        request.badArgument = argument;
        return request;
    };
    if (arguments[0] == L"/?") {
        request.kind = CommandLineRequest::Kind::Usage;
    } else if ((request.seconds = ParseDuration(arguments[0])) > 0) {
        request.kind = CommandLineRequest::Kind::Duration;
    } else {
        return bad(arguments[0]);
    }
    // One argument at most: whatever follows it is refused with the whole command line.
    if (arguments.size() > 1) return bad(arguments[1]);
    return request;
}

std::vector<std::uint16_t> EncodeHandOver(const std::vector<std::wstring>& arguments) {
    std::vector<std::uint16_t> units;
    for (const std::wstring& argument : arguments) {
        for (wchar_t c : argument) units.push_back(static_cast<std::uint16_t>(c));
        units.push_back(0);
    }
    return units;
}

bool DecodeHandOver(const void* data, std::size_t size, std::vector<std::wstring>& arguments) {
    arguments.clear();
    if (size == 0) return true;
    if (!data || size % 2 != 0 || size > kHandOverLimitBytes) return false;
    std::vector<std::wstring> received;
    std::wstring argument;
    for (std::size_t at = 0; at < size; at += 2) {
        std::uint16_t unit = 0;
        std::memcpy(&unit, static_cast<const unsigned char*>(data) + at, sizeof unit);
        if (unit == 0) {
            if (received.size() == kHandOverLimitArguments) return false;
            received.push_back(std::move(argument));
            argument.clear();
        } else if (unit >= 0x20 && unit <= 0x7E) {
            argument.push_back(static_cast<wchar_t>(unit));
        } else {
            return false;
        }
    }
    // The last argument must be ended too: a cut message is no message.
    if (!argument.empty()) return false;
    arguments = std::move(received);
    return true;
}

std::wstring PickerDurationText(std::int32_t seconds) {
    return core::ZeroPad(seconds / 3600, 2) + L":" + core::ZeroPad(seconds / 60 % 60, 2) + L":" +
           core::ZeroPad(seconds % 60, 2);
}

std::wstring UsageText() {
    return std::wstring(core::kProductName) +
           L" [duration]\r\n\r\n"
           L"Starts a countdown of the duration, as picking it and pressing Start does. "
           L"When the timer runs already, it takes the duration there.\r\n\r\n" +
           kAcceptedForms + L"\r\n\r\nExamples: 0:25:00, 25m, 1h30m, 90s, 25";
}

std::wstring NoTimerText(NoTimerReason reason) {
    const std::wstring product(core::kProductName);
    switch (reason) {
    case NoTimerReason::Closing:
        return product + L" was closing and has not ended yet. Try again in a moment.";
    case NoTimerReason::Administrator:
        return product + L" runs already as administrator and cannot be reached from here. "
                         L"Use that copy, or close it and start the program again.";
    case NoTimerReason::NotAnswering:
        break;
    }
    return product + L" runs already but does not answer. Try again in a moment.";
}

std::wstring BadArgumentText(std::wstring_view argument) {
    return L"\"" + ShownArgument(argument) + L"\" is not a duration.\r\n\r\n" + kAcceptedForms;
}

std::wstring ReplaceQuestionText(bool paused, std::int32_t secondsShown, std::int32_t newSeconds) {
    return std::wstring(paused ? L"A countdown is paused with " : L"A countdown is running with ") +
           FormatWholeSeconds(secondsShown) +
           L" left.\r\n\r\nReplace it with a new countdown of " + PickerDurationText(newSeconds) + L"?";
}

}  // namespace app
