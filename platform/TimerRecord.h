// One timer's record as the settings keep it, so that timers outlive a crash, a log-off or a restart
// for an update: the record, its named values, its one-text form, and the check every value passes
// when read back. Platform-free.
#pragma once

#include "core/IniText.h"

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace platform {

// Timers the program runs at once, and so records it keeps.
inline constexpr int kMostTimers = 20;

// Ringing: the countdown ended and its "Time Expired" is not answered yet.
enum class TimerState : std::uint32_t { Idle = 0, Running = 1, Paused = 2, Ringing = 3 };

struct TimerRecord {
    std::wstring label;  // empty: no label
    // The duration as the pickers hold it: hours 0 to 23, minutes and seconds 0 to 59.
    std::uint32_t hours = 0;
    std::uint32_t minutes = 0;
    std::uint32_t seconds = 0;
    TimerState state = TimerState::Idle;
    // Running: the moment the countdown ends; Ringing: the moment it ended. In milliseconds since
    // 1 January 1601, UTC (file time).
    std::int64_t endsUtcMs = 0;
    // Paused: the time left as the countdown holds it, whole seconds and the tenths digit.
    std::int32_t secondsLeft = 0;
    std::int32_t tenthsLeft = 0;
    // The window's top-left corner on the virtual screen, and whether it is hidden behind the tray icon.
    std::int32_t left = 0;
    std::int32_t top = 0;
    bool hidden = false;
    // The mini countdown: shown or not, and its top-left corner relative to the work area of the
    // monitor it is on (workspace coordinates, as the system keeps a window's normal place).
    bool mini = false;
    std::int32_t miniLeft = 0;
    std::int32_t miniTop = 0;

    bool operator==(const TimerRecord&) const = default;
};

// A registry value: text (REG_SZ), a DWORD or a QWORD.
using RecordData = std::variant<std::wstring, std::uint32_t, std::uint64_t>;
struct RecordValue {
    std::wstring name;
    RecordData data;
};

// The value names of a record, each written every time: a change of state leaves no value of the old
// one behind. "Label" is text, "Ends" a QWORD, the others DWORDs ("Left" and "Top" two's complement).
// The previous version stored them as values of their own; this one reads them, and writes the record
// as one text.
inline constexpr const wchar_t* kRecordValueNames[] = {L"Label",       L"Hours",      L"Minutes", L"Seconds",
                                                       L"State",       L"Ends",       L"SecondsLeft",
                                                       L"TenthsLeft",  L"Left",       L"Top",     L"Hidden"};

// Written after them, and optional when read (a record without them has no mini countdown): "Mini",
// a DWORD, and "MiniLeft" and "MiniTop", two's complement.
inline constexpr const wchar_t* kMiniValueNames[] = {L"Mini", L"MiniLeft", L"MiniTop"};

// The record written whole, as one value: a kill between two writes cannot leave half of one record
// and half of another. Its text holds "name=value" lines (core::FormatIniEntries): first
// "Format=1", then each value of kRecordValueNames, numbers in decimal ("Left" and "Top" signed).
// A later version adds names freely (a reader passes over names it does not know) and raises
// "Format" only for a change an older reader would misread.
inline constexpr wchar_t kRecordTextName[] = L"Record";
inline constexpr wchar_t kRecordFormatName[] = L"Format";
inline constexpr std::uint32_t kRecordFormat = 1;

std::vector<RecordValue> EncodeTimerRecord(const TimerRecord& record);
core::IniEntries TimerRecordEntries(const TimerRecord& record);
// The values the lines of a record's text hold, each of its own type; a number that does not read as
// one of its type is left out (and the record then fails its check), a name not known is passed over.
std::vector<RecordValue> RecordValuesOf(const core::IniEntries& entries);

// The record the values hold, or nothing when it is damaged or out of range: a value missing or of
// another type, an unknown state, a bad label, a pick outside the pickers' range, a running or
// ringing end more than 24 hours after nowUtcMs or before 2020 (when no record of this program was
// written), a paused time left negative or longer than the pickers' longest, a position off any
// screen. Values of the other states are not looked at. Names are matched exactly: the store reads
// each value by its name here, the registry matching it without regard to case.
std::optional<TimerRecord> DecodeTimerRecord(const std::vector<RecordValue>& values, std::int64_t nowUtcMs);

// A record a later version wrote, in a state or a format this one does not know: neither read nor
// deleted, and its id stays taken.
bool IsNewerRecord(const std::vector<RecordValue>& values);

// A timer's subkey name: "1" to "20". The first free one among used, or nothing when all are taken.
std::optional<std::wstring> FreeTimerId(const std::vector<std::wstring>& used);
bool IsTimerId(const std::wstring& id);

}  // namespace platform
