// The program's command line: a countdown duration or clock time, a switch for the running timer, "/?"
// for the usage, or nothing; and the texts the program shows about it. Platform-free: the arguments
// arrive already split.
#pragma once

#include "app/ClockTime.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace app {

// The pickers' range: one second to 23:59:59.
inline constexpr std::int32_t kLongestDuration = 23 * 3600 + 59 * 60 + 59;
// Longer arguments are refused unread; no accepted form comes near it.
inline constexpr std::size_t kLongestArgument = 32;

struct CommandLineRequest {
    // TimeOfDay becomes a Duration by the clock of the copy that acts on it, when it does
    // (ResolveTimeOfDay). Add: "/add:5m", more time for the timers that count, are paused or ring.
    enum class Kind { None, Duration, TimeOfDay, Pause, Resume, Reset, Mini, Usage, Bad, Add };
    // Why an argument was refused: a form the program does not know, a well-formed duration outside the
    // pickers' range, or one argument more than the one the program takes; a clock time no clock reads
    // (25:00), one the clock skips that day going forward, or the time it is now; a label that is no
    // label (core::IsValidLabel), or a label with nothing to pick a timer for; time to add with no timer
    // that counts, is paused or rings.
    enum class Problem {
        UnknownForm, OutOfRange, OneTooMany, NoSuchTime, Skipped, Now, BadLabel, LabelAlone, NothingToAdd
    };
    Kind kind = Kind::None;
    // Duration and Add: whole seconds, 1 to kLongestDuration. TimeOfDay: the clock time, in seconds after midnight.
    std::int32_t seconds = 0;
    // Bad: the argument that was refused, as given, and why. TimeOfDay and Add: the argument, which the
    // copy that acts on it may still refuse.
    std::wstring badArgument;
    Problem problem = Problem::UnknownForm;
    // "/new": a new timer rather than the one running; with a Duration or TimeOfDay it starts at once,
    // with None it opens idle.
    bool newTimer = false;
    // "/restored": Windows started the program again after an update restart or a crash. A running copy
    // takes it as nothing to do; a copy that runs the timers brings them back, as any start does.
    bool restored = false;
    // "/label:NAME": the label of the new timer, or of the timers a duration or a switch is for; valid
    // (core::IsValidLabel) and never empty when given. Empty: no label named.
    std::wstring label;
};

// "H:MM:SS" with one or two digits of hours; units "1h30m", "25m", "90s", "1h2m3s" (each unit once, in
// that order, any case); or a bare whole number of minutes. Nothing else, and nothing out of range.
// Returns the whole seconds, or 0 when the text is no duration.
std::int32_t ParseDuration(std::wstring_view text);

// "@17:30" or "@17:30:15" on a 24-hour clock, "@5:30pm" or "@5pm" with am/pm (any case). Returns the
// seconds after midnight, kNoSuchTime for that form with a value no clock reads ("@25:00", "@13pm"), or
// -1 when the text is no clock time.
inline constexpr std::int32_t kNoSuchTime = -2;
std::int32_t ParseTimeOfDay(std::wstring_view text);

// A TimeOfDay request as a Duration from now: today's clock time by the zone's rules (the earlier,
// where the clock reads it twice, unless only the later is still to come), or tomorrow's once today's
// has passed; the whole seconds until then, rounded up. Bad when the clock skips that time that day,
// when it is the time now (this whole second), or when the clock going back makes it longer than the
// pickers hold. Other requests come back as they are.
CommandLineRequest ResolveTimeOfDay(CommandLineRequest request, UtcMilliseconds now, const ZoneRules& zone);

// Whether the command line (GetCommandLineW's) holds anything after the program's name, which
// CommandLineToArgvW reads to the next quote when it starts with one, else to the first white space:
// false only when nothing but spaces and tabs follows, and CommandLineToArgvW then finds no argument.
bool CommandLineHasArguments(std::wstring_view commandLine);

// The arguments after the program's own name. None, or one of a duration, a clock time, "/pause",
// "/resume", "/reset", "/mini", "/add:" and a duration (any case) or "/?", alone; or "/new", alone or with a duration or clock time; and
// with any of these but "/?", one "/label:NAME" (the spaces around NAME dropped), in any order. Anything
// else is Bad and names the first argument that does not belong.
CommandLineRequest ParseCommandLine(const std::vector<std::wstring>& arguments);

// A later copy hands its arguments to the first copy's main window in WM_COPYDATA: this tag in
// dwData, and the arguments as UTF-16 code units, each ended by a NUL. The receiver trusts none of it:
// printable ASCII only, but for a "/label:" argument, which may carry any text but control characters
// (the parser checks the label itself).
inline constexpr std::uint32_t kHandOverTag = 0x43545631;  // "CTV1"
inline constexpr std::size_t kHandOverLimitBytes = 512;
inline constexpr std::size_t kHandOverLimitArguments = 4;

// The first copy's answer to the hand-over: taken (it will be acted on), or refused because it is
// closing, because too many requests wait already, or because the clock time is refused there
// (kHandOverRefused plus the problem). Anything else (FALSE among it) is a refusal of what was sent.
inline constexpr std::intptr_t kHandOverTaken = 1;
inline constexpr std::intptr_t kHandOverClosing = 2;
inline constexpr std::intptr_t kHandOverBusy = 3;
inline constexpr std::intptr_t kHandOverRefused = 16;
// The answer refusing a hand-over for the problem, and the problem an answer names, if it is a refusal.
constexpr std::intptr_t RefusalAnswer(CommandLineRequest::Problem problem) {
    return kHandOverRefused + static_cast<std::intptr_t>(problem);
}
constexpr std::optional<CommandLineRequest::Problem> RefusalOf(std::intptr_t answer) {
    if (answer < kHandOverRefused || answer > RefusalAnswer(CommandLineRequest::Problem::NothingToAdd)) {
        return std::nullopt;
    }
    return static_cast<CommandLineRequest::Problem>(answer - kHandOverRefused);
}

std::vector<std::uint16_t> EncodeHandOver(const std::vector<std::wstring>& arguments);
// The arguments, or false when the bytes are no hand-over: an odd or over-long size, a missing end,
// too many arguments, or a code unit the argument may not hold. Accepts null data only with size 0.
bool DecodeHandOver(const void* data, std::size_t size, std::vector<std::wstring>& arguments);

// Whole seconds as the pickers show them: "01:30:00".
std::wstring PickerDurationText(std::int32_t seconds);

std::wstring UsageText();
// Why a later copy reached no timer: the first copy did not answer, was closing and did not end in
// time, runs as administrator out of this copy's reach, or has too many requests waiting.
enum class NoTimerReason { NotAnswering, Closing, Administrator, Busy };
std::wstring NoTimerText(NoTimerReason reason);
// Names the argument (cut and with control characters replaced when it is unfit to show whole) and says
// what is wrong with it: an unknown form lists the accepted ones.
std::wstring BadArgumentText(std::wstring_view argument,
                             CommandLineRequest::Problem problem = CommandLineRequest::Problem::UnknownForm);
// The question put to the user before a duration handed over replaces a countdown that is loaded; both
// times as the display shows them, and the clock time the new one ends at when one was named.
std::wstring ReplaceQuestionText(bool paused, std::int32_t secondsShown, std::int32_t newSeconds,
                                 const std::wstring& until = {});

}  // namespace app
