// The timers' records in the current user's registry: one subkey per timer below the settings key's
// "Timers", named by the timer's id ("1" to "20").
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
    // The records below keyPath in HKEY_CURRENT_USER; a test names a key of its own.
    explicit TimerStore(std::wstring keyPath = std::wstring(core::kSettingsKeyPath) + L"\\Timers")
        : keyPath_(std::move(keyPath)) {}

    // Stores the record under the id, creating the keys when needed; false when the registry refuses.
    bool Write(const std::wstring& id, const TimerRecord& record) const;
    // Deletes the timer's subkey, whatever it holds.
    void Remove(const std::wstring& id) const;
    // Every record that reads back whole, in the order of the ids' numbers. A subkey that is no timer's
    // or holds a damaged record is deleted, without a word: a start never stops at one.
    std::vector<StoredTimer> LoadAll(std::int64_t nowUtcMs) const;
    // Every subkey name that is a timer's id.
    std::vector<std::wstring> Ids() const;

private:
    std::wstring keyPath_;
};

}  // namespace platform
