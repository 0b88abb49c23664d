// The timers' records through the wide registry functions, every key closed by its owner.
#include "platform/TimerStore.h"

#include "core/Handles.h"

#include <algorithm>

namespace platform {

namespace {

// Enough for any value a record holds whole; a longer one is junk and reads as missing.
constexpr DWORD kLongestValueBytes = 256;

core::UniqueKey OpenTimers(const std::wstring& path, REGSAM access) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, access, &opened) != ERROR_SUCCESS) return {};
    return core::UniqueKey(opened);
}

LONG SetValue(HKEY key, const RecordValue& value) {
    const auto set = [&](DWORD type, const void* data, std::size_t bytes) {
        return RegSetValueExW(key, value.name.c_str(), 0, type, static_cast<const BYTE*>(data),
                              static_cast<DWORD>(bytes));
    };
    if (const auto* text = std::get_if<std::wstring>(&value.data)) {
        return set(REG_SZ, text->c_str(), (text->size() + 1) * sizeof(wchar_t));
    }
    if (const auto* dword = std::get_if<std::uint32_t>(&value.data)) return set(REG_DWORD, dword, sizeof *dword);
    const std::uint64_t qword = std::get<std::uint64_t>(value.data);
    return set(REG_QWORD, &qword, sizeof qword);
}

// The record's values as the subkey holds them; a value missing, too long or of another type is left
// out, and the record then fails its check.
std::vector<RecordValue> ReadValues(HKEY timer) {
    std::vector<RecordValue> values;
    for (const wchar_t* name : kRecordValueNames) {
        // RegGetValueW ends a text with its zero even when it was stored without one.
        alignas(std::uint64_t) BYTE data[kLongestValueBytes + sizeof(wchar_t)] = {};
        DWORD bytes = kLongestValueBytes;
        DWORD type = REG_NONE;
        if (RegGetValueW(timer, nullptr, name, RRF_RT_REG_SZ | RRF_RT_REG_DWORD | RRF_RT_REG_QWORD, &type, data,
                         &bytes) != ERROR_SUCCESS) {
            continue;
        }
        if (type == REG_SZ) {
            const auto* text = reinterpret_cast<const wchar_t*>(data);
            values.push_back({name, std::wstring(text, wcsnlen(text, bytes / sizeof(wchar_t)))});
        } else if (type == REG_DWORD) {
            values.push_back({name, *reinterpret_cast<const std::uint32_t*>(data)});
        } else if (type == REG_QWORD) {
            values.push_back({name, *reinterpret_cast<const std::uint64_t*>(data)});
        }
    }
    return values;
}

std::vector<std::wstring> SubkeyNames(HKEY timers) {
    std::vector<std::wstring> names;
    for (DWORD index = 0;; ++index) {
        // Key names are at most 255 characters.
        wchar_t name[256] = {};
        DWORD length = 256;
        const LONG result = RegEnumKeyExW(timers, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (result != ERROR_SUCCESS) break;  // ERROR_NO_MORE_ITEMS after the last
        names.emplace_back(name, length);
    }
    return names;
}

}  // namespace

bool TimerStore::Write(const std::wstring& id, const TimerRecord& record) const {
    HKEY created = nullptr;
    const std::wstring path = keyPath_ + L"\\" + id;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr,
                        &created, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const core::UniqueKey timer(created);
    bool stored = true;
    for (const RecordValue& value : EncodeTimerRecord(record)) {
        stored = SetValue(timer.get(), value) == ERROR_SUCCESS && stored;
    }
    return stored;
}

void TimerStore::Remove(const std::wstring& id) const {
    // RegDeleteTreeW deletes the subkey named with everything below it; the key it is opened from
    // needs these rights, and KEY_SET_VALUE where it holds values.
    const core::UniqueKey timers =
        OpenTimers(keyPath_, DELETE | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | KEY_SET_VALUE);
    if (timers) RegDeleteTreeW(timers.get(), id.c_str());
}

std::vector<StoredTimer> TimerStore::LoadAll(std::int64_t nowUtcMs) const {
    std::vector<StoredTimer> loaded;
    const core::UniqueKey timers = OpenTimers(keyPath_, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE);
    if (!timers) return loaded;
    // Names first: deleting while enumerating would skip the subkey after each one deleted.
    for (const std::wstring& id : SubkeyNames(timers.get())) {
        std::optional<TimerRecord> record;
        if (IsTimerId(id)) {
            HKEY opened = nullptr;
            if (RegOpenKeyExW(timers.get(), id.c_str(), 0, KEY_QUERY_VALUE, &opened) == ERROR_SUCCESS) {
                const core::UniqueKey timer(opened);
                record = DecodeTimerRecord(ReadValues(timer.get()), nowUtcMs);
            }
        }
        if (record) {
            loaded.push_back({id, std::move(*record)});
        } else {
            Remove(id);
        }
    }
    std::sort(loaded.begin(), loaded.end(),
              [](const StoredTimer& a, const StoredTimer& b) { return std::stoi(a.id) < std::stoi(b.id); });
    return loaded;
}

std::vector<std::wstring> TimerStore::Ids() const {
    std::vector<std::wstring> ids;
    const core::UniqueKey timers = OpenTimers(keyPath_, KEY_ENUMERATE_SUB_KEYS);
    if (!timers) return ids;
    for (std::wstring& name : SubkeyNames(timers.get())) {
        if (IsTimerId(name)) ids.push_back(std::move(name));
    }
    return ids;
}

}  // namespace platform
