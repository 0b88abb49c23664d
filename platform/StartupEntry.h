// What the start-with-Windows entry is and where it goes, decided without touching the registry: the
// value's name and data, the fall-back to the current user's Run key when the machine-wide one
// refuses the write, and whether an entry that starts the program is there and turned on.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The Run keys an entry may live in. Windows runs the machine-wide key of both registry views at
// log-on: LocalMachine is the 32-bit view, where this program writes; LocalMachine64 the 64-bit view,
// where a 64-bit tool or an administrator may have put an entry. On 32-bit Windows both are one key.
enum class RunHive { LocalMachine, CurrentUser, LocalMachine64 };
inline constexpr RunHive kEveryRunHive[] = {RunHive::CurrentUser, RunHive::LocalMachine, RunHive::LocalMachine64};

// The registry as the start-up entry needs it. The Windows side is RegStuff; tests use a fake.
class RunKeys {
public:
    virtual ~RunKeys() = default;
    // Stores data as a text value named name in the hive's Run key. False when the key could not be
    // opened for writing or the value was not stored.
    virtual bool Write(RunHive hive, const std::wstring& name, const std::wstring& data) = 0;
    // Deletes the value named name from the hive's Run key; a missing key or value is no error, and a
    // refused delete (a machine-wide entry without an administrator's rights) leaves the value there.
    virtual void Remove(RunHive hive, const std::wstring& name) = 0;
    // The text of the value named name in the hive's Run key, environment variables expanded; nothing
    // when the key or the value is missing or holds no text.
    virtual std::optional<std::wstring> Read(RunHive hive, const std::wstring& name) = 0;
    // The bytes Windows 8 and later keep of whether the user turned the hive's entry named name on or
    // off (Task Manager's Startup tab, Settings' Startup apps); empty when nothing is kept.
    virtual std::vector<std::uint8_t> Approval(RunHive hive, const std::wstring& name) = 0;
    // Replaces those bytes; false when refused.
    virtual bool SetApproval(RunHive hive, const std::wstring& name, std::span<const std::uint8_t> value) = 0;
};

// Whether the user turned an entry off, from its approval bytes: Windows writes 02 (or 06) followed by
// eight zero bytes for an entry turned on, 03 (or 07) followed by the time it was turned off for one
// turned off, and starts the entry unless the first byte is odd. No bytes at all: never turned off.
bool TurnedOff(const std::vector<std::uint8_t>& approval);

// The approval bytes as Windows writes them for an entry turned on.
inline constexpr std::array<std::uint8_t, 12> kTurnedOn = {2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

// One Run value: named after the executable's file name, holding the command Windows runs at log-on.
struct RunEntry {
    std::wstring name;
    std::wstring data;
};

// The command for the Run value: folder, one backslash (none more when the folder already ends in
// one), the file name, all in double quotes. Unquoted, a path with a blank ("C:\Program Files\...")
// makes Windows try "C:\Program.exe" first, which any user who can write to C:\ can plant.
std::wstring RunEntryData(std::wstring_view folder, std::wstring_view exeName);

// The entry for the running executable's own module path; none when the path names no file or no
// folder.
std::optional<RunEntry> RunEntryFor(std::wstring_view modulePath);

// For a program in a Scoop version folder, ...\apps\<name>\<version>\<file>, the same file through
// the "current" link beside that folder, which Scoop moves to each new version: an entry naming it
// survives an update. Nothing for any other path, the "current" path itself included.
std::optional<std::wstring> ScoopCurrentPath(std::wstring_view modulePath);

// Writes the entry into the machine-wide Run key; when that key cannot be opened for writing (every
// standard user) or refuses the value, into the current user's Run key instead, so that ticking the
// box never silently registers nothing. When the machine-wide write succeeds, a copy left in the
// user's key by an earlier run is removed: two entries would start the program twice. An entry the
// user had turned off is turned on again, as Task Manager turns it on.
// Returns the hive that holds the entry, or nothing when neither write succeeded.
std::optional<RunHive> AddRunEntry(RunKeys& keys, const RunEntry& entry);

// Removes the value from every Run key, wherever an earlier AddRunEntry, an older version of the
// program or an administrator put it.
void RemoveRunEntry(RunKeys& keys, const std::wstring& name);

// Whether a Run value's command starts the program at programPath: the path in double quotes or bare,
// alone or followed by arguments, the letters A to Z in either case, as Windows compares file names.
bool StartsProgram(std::wstring_view command, std::wstring_view programPath);

// The Run key that holds a value named name whose command starts the program at programPath and that
// the user has not turned off, the user's own first; nothing when no Run key does. This, not what the
// user last chose, is whether the program starts at the next log-on.
std::optional<RunHive> FindStartupEntry(RunKeys& keys, const std::wstring& name, std::wstring_view programPath);

}  // namespace platform
