// Reading the command line's duration, clock time or switch, and handing it over; the texts about it are
// in CommandLineTexts.cpp.
#include "app/CommandLine.h"

#include "app/CountdownDisplay.h"
#include "core/AppTitle.h"
#include "core/TextFormat.h"
#include "core/TimerLabel.h"

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

// The parsers below return the whole seconds of a well-formed text, or kNoDuration.
constexpr std::int64_t kNoDuration = -1;

std::int64_t ParseClock(std::wstring_view text) {
    // H:MM:SS or HH:MM:SS, exactly.
    const std::size_t firstColon = text.find(L':');
    if (firstColon < 1 || firstColon > 2 || text.size() != firstColon + 6) return kNoDuration;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool colon = i == firstColon || i == firstColon + 3;
        if (colon ? text[i] != L':' : !IsDigit(text[i])) return kNoDuration;
    }
    const auto two = [&](std::size_t at) { return (text[at] - L'0') * 10 + (text[at + 1] - L'0'); };
    const std::int64_t hours = firstColon == 1 ? text[0] - L'0' : two(0);
    const std::int64_t minutes = two(firstColon + 1);
    const std::int64_t seconds = two(firstColon + 4);
    if (minutes > 59 || seconds > 59) return kNoDuration;
    return hours * 3600 + minutes * 60 + seconds;
}

using core::SameLetters;

wchar_t Lower(wchar_t c) { return c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c; }

std::int64_t ParseUnits(std::wstring_view text) {
    std::int64_t total = 0;
    std::size_t at = 0;
    std::size_t nextUnit = 0;
    while (at < text.size()) {
        std::int64_t value = 0;
        if (!ReadNumber(text, at, value) || at == text.size()) return kNoDuration;
        const std::size_t index = kUnits.find(Lower(text[at]));
        // Each unit once, hours before minutes before seconds.
        if (index == std::wstring_view::npos || index < nextUnit) return kNoDuration;
        nextUnit = index + 1;
        total += value * kUnitSeconds[index];
        ++at;
    }
    return total;
}

std::int64_t ParseMinutes(std::wstring_view text) {
    std::size_t at = 0;
    std::int64_t minutes = 0;
    if (!ReadNumber(text, at, minutes) || at != text.size()) return kNoDuration;
    return minutes * 60;
}

// Any accepted form, in range or not.
std::int64_t ParseDurationForm(std::wstring_view text) {
    if (text.empty() || text.size() > kLongestArgument) return kNoDuration;
    if (text.find(L':') != std::wstring_view::npos) return ParseClock(text);
    if (std::all_of(text.begin(), text.end(), IsDigit)) return ParseMinutes(text);
    return ParseUnits(text);
}

CommandLineRequest::Kind SwitchKind(std::wstring_view text) {
    using Kind = CommandLineRequest::Kind;
    if (text == L"/?") return Kind::Usage;
    if (SameLetters(text, L"/pause")) return Kind::Pause;
    if (SameLetters(text, L"/resume")) return Kind::Resume;
    if (SameLetters(text, L"/reset")) return Kind::Reset;
    if (SameLetters(text, L"/mini")) return Kind::Mini;
    return Kind::None;
}

constexpr std::wstring_view kLabelSwitch = L"/label:";
constexpr std::wstring_view kAddSwitch = L"/add:";

bool StartsWithSwitch(std::wstring_view argument, std::wstring_view name) {
    return argument.size() >= name.size() && SameLetters(argument.substr(0, name.size()), name);
}

bool IsLabelSwitch(std::wstring_view argument) { return StartsWithSwitch(argument, kLabelSwitch); }

// Whether a hand-over's argument holds only what a copy of ours sends: printable ASCII, or for a label
// any text but control characters.
bool MayHandOver(std::wstring_view argument) {
    const bool label = IsLabelSwitch(argument);
    return std::all_of(argument.begin(), argument.end(), [&](wchar_t c) {
        return label ? c >= 0x20 && (c < 0x7F || c > 0x9F) : c >= 0x20 && c <= 0x7E;
    });
}

}  // namespace

std::int32_t ParseDuration(std::wstring_view text) {
    const std::int64_t seconds = ParseDurationForm(text);
    return seconds >= 1 && seconds <= kLongestDuration ? static_cast<std::int32_t>(seconds) : 0;
}

std::int32_t ParseTimeOfDay(std::wstring_view text) {
    if (text.size() < 2 || text.size() > kLongestArgument || text[0] != L'@') return -1;
    text.remove_prefix(1);
    // am/pm, when given, ends the text and takes hours 1 to 12.
    int halfDay = -1;
    if (text.size() > 2) {
        const std::wstring_view suffix = text.substr(text.size() - 2);
        if (SameLetters(suffix, L"am")) halfDay = 0;
        if (SameLetters(suffix, L"pm")) halfDay = 1;
        if (halfDay >= 0) text.remove_suffix(2);
    }
    std::size_t at = 0;
    std::int64_t hours = 0;
    if (!ReadNumber(text, at, hours) || at > 2) return -1;
    std::int64_t parts[2] = {0, 0};
    int partCount = 0;
    while (at < text.size() && partCount < 2) {
        const std::size_t start = at + 1;
        if (text[at] != L':' || !ReadNumber(text, ++at, parts[partCount]) || at - start != 2) return -1;
        ++partCount;
    }
    // A 24-hour clock time names its minutes: "@17" alone is no time.
    if (at != text.size() || (halfDay < 0 && partCount == 0)) return -1;
    // The form of a clock time, but no clock reads it.
    if (parts[0] > 59 || parts[1] > 59) return kNoSuchTime;
    if (halfDay < 0) {
        if (hours > 23) return kNoSuchTime;
    } else {
        if (hours < 1 || hours > 12) return kNoSuchTime;
        hours = hours % 12 + 12 * halfDay;
    }
    return static_cast<std::int32_t>(hours * 3600 + parts[0] * 60 + parts[1]);
}

CommandLineRequest ResolveTimeOfDay(CommandLineRequest request, UtcMilliseconds now, const ZoneRules& zone) {
    using Kind = CommandLineRequest::Kind;
    if (request.kind != Kind::TimeOfDay) return request;
    const auto refuse = [&](CommandLineRequest::Problem problem) {
        request.kind = Kind::Bad;
        request.seconds = 0;
        request.problem = problem;
        return request;
    };
    const LocalTime today = ToLocalTime(zone, now);
    LocalTime named = today;
    named.millisecondOfDay = request.seconds * 1000;
    for (int day = 0; day < 2; ++day) {
        const std::vector<UtcMilliseconds> moments = ToUtc(zone, DaysLater(named, day));
        for (const UtcMilliseconds moment : moments) {
            // The time named is this very second: no countdown lasts a day.
            if (moment <= now && now < moment + 1000) return refuse(CommandLineRequest::Problem::Now);
            if (moment <= now) continue;
            const std::int64_t seconds = (moment - now + 999) / 1000;
            // Tomorrow's may lie more than a day ahead when the clock goes back tonight.
            if (seconds > kLongestDuration) return refuse(CommandLineRequest::Problem::OutOfRange);
            request.kind = Kind::Duration;
            request.seconds = static_cast<std::int32_t>(seconds);
            return request;
        }
        // The clock skips the time that day: refused unless today's skip has passed already.
        if (moments.empty() && (day > 0 || named.millisecondOfDay > today.millisecondOfDay)) {
            return refuse(CommandLineRequest::Problem::Skipped);
        }
    }
    return refuse(CommandLineRequest::Problem::OutOfRange);
}

bool CommandLineHasArguments(std::wstring_view commandLine) {
    std::size_t at = 0;
    if (!commandLine.empty() && commandLine[0] == L'"') {
        at = commandLine.find(L'"', 1);
        at = at == std::wstring_view::npos ? commandLine.size() : at + 1;
    } else {
        // Any white space ends the name; spaces and tabs alone count as no argument after it.
        while (at < commandLine.size() && std::wstring_view(L" \t\n\v\f\r").find(commandLine[at]) == std::wstring_view::npos) ++at;
    }
    while (at < commandLine.size() && (commandLine[at] == L' ' || commandLine[at] == L'\t')) ++at;
    return at < commandLine.size();
}

CommandLineRequest ParseCommandLine(const std::vector<std::wstring>& arguments) {
    using Kind = CommandLineRequest::Kind;
    using Problem = CommandLineRequest::Problem;
    // One argument read on its own: a duration, a clock time or a switch.
    const auto read = [](const std::wstring& argument) {
        CommandLineRequest request;
        request.kind = SwitchKind(argument);
        if (request.kind != Kind::None) return request;
        if (StartsWithSwitch(argument, kAddSwitch)) {
            const std::int64_t seconds = ParseDurationForm(std::wstring_view(argument).substr(kAddSwitch.size()));
            const bool inRange = seconds >= 1 && seconds <= kLongestDuration;
            request.kind = inRange ? Kind::Add : Kind::Bad;
            request.seconds = inRange ? static_cast<std::int32_t>(seconds) : 0;
            if (seconds != kNoDuration && !inRange) request.problem = Problem::OutOfRange;
            request.badArgument = argument;
            return request;
        }
        if (!argument.empty() && argument[0] == L'@') {
            request.seconds = ParseTimeOfDay(argument);
            request.kind = request.seconds >= 0 ? Kind::TimeOfDay : Kind::Bad;
            if (request.seconds == kNoSuchTime) request.problem = Problem::NoSuchTime;
            request.badArgument = argument;
        } else {
            const std::int64_t seconds = ParseDurationForm(argument);
            const bool inRange = seconds >= 1 && seconds <= kLongestDuration;
            request.kind = inRange ? Kind::Duration : Kind::Bad;
            request.seconds = inRange ? static_cast<std::int32_t>(seconds) : 0;
            if (seconds != kNoDuration && !inRange) request.problem = Problem::OutOfRange;
        }
        if (request.kind == Kind::Bad) {
            request.seconds = 0;
            request.badArgument = argument;
        }
        return request;
    };
    // Each argument in turn: the first that does not belong is named. At most one duration or switch,
    // one "/new" (never with a switch) and one label; "/?" takes nothing beside it.
    CommandLineRequest request;
    std::wstring labelArgument;
    const auto refuse = [](const std::wstring& argument, Problem problem) {
        CommandLineRequest bad;
        bad.kind = Kind::Bad;
        bad.badArgument = argument;
        bad.problem = problem;
        return bad;
    };
    const auto isSwitch = [](Kind kind) {
        return kind == Kind::Pause || kind == Kind::Resume || kind == Kind::Reset || kind == Kind::Add || kind == Kind::Mini ||
               kind == Kind::Usage;
    };
    for (const std::wstring& argument : arguments) {
        const std::wstring_view text = argument;
        if (IsLabelSwitch(text)) {
            const std::wstring_view label = core::TrimLabel(text.substr(kLabelSwitch.size()));
            if (label.empty() || !core::IsValidLabel(label)) return refuse(argument, Problem::BadLabel);
            if (!labelArgument.empty() || request.kind == Kind::Usage) return refuse(argument, Problem::OneTooMany);
            labelArgument = argument;
            request.label = label;
        } else if (SameLetters(text, L"/restored")) {
            // Windows starting the program again after an update restart: alone, or it is one too many.
            if (arguments.size() != 1) return refuse(argument, Problem::OneTooMany);
            request.restored = true;
        } else if (SameLetters(text, L"/new")) {
            if (request.newTimer || isSwitch(request.kind)) return refuse(argument, Problem::OneTooMany);
            request.newTimer = true;
        } else {
            CommandLineRequest next = read(argument);
            if (next.kind == Kind::Bad) return next;
            // A second duration or switch, a switch for a new timer, anything beside "/?".
            const bool alone = next.kind == Kind::Usage && (request.newTimer || !labelArgument.empty());
            if (request.kind != Kind::None || alone || (request.newTimer && isSwitch(next.kind))) {
                return refuse(argument, Problem::OneTooMany);
            }
            next.newTimer = request.newTimer;
            next.label = std::move(request.label);
            request = std::move(next);
        }
    }
    // A label picks the timer a duration or a switch is for, or names a new one: alone it has none.
    if (!labelArgument.empty() && request.kind == Kind::None && !request.newTimer) {
        return refuse(labelArgument, Problem::LabelAlone);
    }
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
            if (received.size() == kHandOverLimitArguments || !MayHandOver(argument)) return false;
            received.push_back(std::move(argument));
            argument.clear();
        } else {
            argument.push_back(static_cast<wchar_t>(unit));
        }
    }
    // The last argument must be ended too: a cut message is no message.
    if (!argument.empty()) return false;
    arguments = std::move(received);
    return true;
}

}  // namespace app
