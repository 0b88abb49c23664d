// The timers' records: in the current user's registry, one subkey per timer below the settings key's
// "Timers", named by the timer's id ("1" to "20"), its record in one text value; or, for a portable
// copy, one section "Timer <id>" each in the settings file beside the program.
#pragma once

#include "core/Settings.h"
#include "platform/TimerRecord.h"

#include <windows.h>

#include <string>
#include <vector>

namespace platform {

struct StoredTimer {
    std::wstring id;
    TimerRecord record;
};

class TimerStore {
public:
    // The program's records, where its settings are (core::ProgramSettingsPlace).
    TimerStore();
    // The records below keyPath in HKEY_CURRENT_USER; a test or a benchmark names a key of its own.
    explicit TimerStore(std::wstring keyPath) : keyPath_(std::move(keyPath)) {}
    // The records in the settings file at path.
    static TimerStore InFile(std::wstring path);

    // Stores the record under the id whole, in one value or one replacement of the file, creating
    // the keys or the file when needed; false when the registry or the folder refuses.
    bool Write(const std::wstring& id, const TimerRecord& record) const;
    // Deletes the timer's subkey or section, whatever it holds.
    void Remove(const std::wstring& id) const;
    // Every record that reads back whole, in the order of the ids' numbers. A subkey that is no timer's
    // or holds a damaged record is deleted, without a word: a start never stops at one. A record a
    // later version wrote (IsNewerRecord) is neither returned nor deleted.
    std::vector<StoredTimer> LoadAll(std::int64_t nowUtcMs) const;
    // Every id that holds a record, a later version's included: the ids a new timer must not take.
    std::vector<std::wstring> Ids() const;

private:
    std::wstring keyPath_;
    std::wstring file_;  // set: the records are in this file, not below keyPath_
};

}  // namespace platform
