// The timers' records through the wide registry functions, every key closed by its owner, or in the
// settings file, which is replaced whole at every change.
#include "platform/TimerStore.h"

#include "core/Handles.h"
#include "core/SettingsFile.h"

#include <algorithm>

namespace platform {

namespace {

// Enough for any value of the previous version's records; a longer one is junk and reads as missing.
constexpr DWORD kLongestValueBytes = 256;
// Far more than a record's text; a longer one is junk and reads as missing.
constexpr std::size_t kLongestRecordBytes = 64 * 1024;

constexpr std::wstring_view kSectionPrefix = L"Timer ";

core::UniqueKey OpenTimers(const std::wstring& path, REGSAM access) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, access, &opened) != ERROR_SUCCESS) return {};
    return core::UniqueKey(opened);
}

// The record's text value, or nothing when there is none (a record of the previous version).
std::optional<std::wstring> ReadRecordText(HKEY timer) {
    std::vector<wchar_t> text(512);
    for (;;) {
        DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        const LONG result = RegGetValueW(timer, nullptr, kRecordTextName, RRF_RT_REG_SZ, nullptr, text.data(), &bytes);
        if (result == ERROR_MORE_DATA && bytes < kLongestRecordBytes) {
            text.resize(bytes / sizeof(wchar_t) + 1);
            continue;
        }
        if (result != ERROR_SUCCESS) return std::nullopt;
        const std::size_t count = std::min<std::size_t>(bytes / sizeof(wchar_t), text.size());
        return std::wstring(text.data(), wcsnlen(text.data(), count));
    }
}

// The previous version's values as the subkey holds them; a value missing, too long or of another
// type is left out, and the record then fails its check.
std::vector<RecordValue> ReadFieldValues(HKEY timer) {
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

std::vector<RecordValue> ReadValues(HKEY timer) {
    if (const auto text = ReadRecordText(timer)) return RecordValuesOf(core::ParseIniEntries(*text));
    return ReadFieldValues(timer);
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

std::wstring SectionName(const std::wstring& id) { return std::wstring(kSectionPrefix) + id; }

// The id a section of the file holds a record for, or nothing for a section of something else.
std::optional<std::wstring> SectionId(const std::wstring& name) {
    const std::wstring_view prefix = std::wstring_view(name).substr(0, kSectionPrefix.size());
    if (!core::SameIniName(prefix, kSectionPrefix)) return std::nullopt;
    return name.substr(kSectionPrefix.size());
}

void SortById(std::vector<StoredTimer>& loaded) {
    std::sort(loaded.begin(), loaded.end(),
              [](const StoredTimer& a, const StoredTimer& b) { return std::stoi(a.id) < std::stoi(b.id); });
}

// What LoadAll does with a record: returns it, leaves it alone or deletes it.
enum class Verdict { Load, Keep, Drop };

Verdict Judge(const std::wstring& id, const std::vector<RecordValue>& values, std::int64_t nowUtcMs,
              std::vector<StoredTimer>& loaded) {
    if (!IsTimerId(id)) return Verdict::Drop;
    if (IsNewerRecord(values)) return Verdict::Keep;
    std::optional<TimerRecord> record = DecodeTimerRecord(values, nowUtcMs);
    if (!record) return Verdict::Drop;
    loaded.push_back({id, std::move(*record)});
    return Verdict::Load;
}

}  // namespace

TimerStore::TimerStore() {
    const core::SettingsPlace& place = core::ProgramSettingsPlace();
    if (place.File().empty()) {
        keyPath_ = std::wstring(core::kSettingsKeyPath) + L"\\Timers";
    } else {
        file_ = place.File();
    }
}

TimerStore TimerStore::InFile(std::wstring path) {
    TimerStore store(std::wstring{});
    store.file_ = std::move(path);
    return store;
}

bool TimerStore::Write(const std::wstring& id, const TimerRecord& record) const {
    const core::IniEntries entries = TimerRecordEntries(record);
    if (!file_.empty()) {
        const core::SettingsFile file(file_);
        std::optional<core::IniDocument> document = file.Load();
        if (!document) return false;
        core::IniSectionNamed(*document, SectionName(id)).entries = entries;
        return file.Save(*document);
    }
    HKEY created = nullptr;
    const std::wstring path = keyPath_ + L"\\" + id;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr,
                        &created, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const core::UniqueKey timer(created);
    const std::wstring text = core::FormatIniEntries(entries);
    if (RegSetValueExW(timer.get(), kRecordTextName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) != ERROR_SUCCESS) {
        return false;
    }
    // The previous version's values go once the whole record is in; one left behind by a kill here
    // is never read while the text is there.
    for (const wchar_t* name : kRecordValueNames) RegDeleteValueW(timer.get(), name);
    for (const wchar_t* name : kMiniValueNames) RegDeleteValueW(timer.get(), name);
    return true;
}

void TimerStore::Remove(const std::wstring& id) const {
    if (!file_.empty()) {
        const core::SettingsFile file(file_);
        std::optional<core::IniDocument> document = file.Load();
        const std::wstring name = SectionName(id);
        const auto named = [&](const core::IniSection& section) { return core::SameIniName(section.name, name); };
        if (document && std::erase_if(*document, named) > 0) file.Save(*document);
        return;
    }
    // RegDeleteTreeW deletes the subkey named with everything below it; the key it is opened from
    // needs these rights, and KEY_SET_VALUE where it holds values.
    const core::UniqueKey timers =
        OpenTimers(keyPath_, DELETE | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | KEY_SET_VALUE);
    if (timers) RegDeleteTreeW(timers.get(), id.c_str());
}

std::vector<StoredTimer> TimerStore::LoadAll(std::int64_t nowUtcMs) const {
    std::vector<StoredTimer> loaded;
    if (!file_.empty()) {
        const core::SettingsFile file(file_);
        std::optional<core::IniDocument> document = file.Load();
        if (!document) return loaded;
        std::vector<std::wstring> seen;
        const auto dropped = std::erase_if(*document, [&](const core::IniSection& section) {
            const std::optional<std::wstring> id = SectionId(section.name);
            if (!id) return false;
            // A second section of one id is junk: the first is the one written.
            if (std::find(seen.begin(), seen.end(), *id) != seen.end()) return true;
            seen.push_back(*id);
            return Judge(*id, RecordValuesOf(section.entries), nowUtcMs, loaded) == Verdict::Drop;
        });
        if (dropped > 0) file.Save(*document);
        SortById(loaded);
        return loaded;
    }
    const core::UniqueKey timers = OpenTimers(keyPath_, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE);
    if (!timers) return loaded;
    // Names first: deleting while enumerating would skip the subkey after each one deleted.
    for (const std::wstring& id : SubkeyNames(timers.get())) {
        std::vector<RecordValue> values;
        HKEY opened = nullptr;
        if (IsTimerId(id) && RegOpenKeyExW(timers.get(), id.c_str(), 0, KEY_QUERY_VALUE, &opened) == ERROR_SUCCESS) {
            const core::UniqueKey timer(opened);
            values = ReadValues(timer.get());
        }
        if (Judge(id, values, nowUtcMs, loaded) == Verdict::Drop) Remove(id);
    }
    SortById(loaded);
    return loaded;
}

std::vector<std::wstring> TimerStore::Ids() const {
    std::vector<std::wstring> ids;
    if (!file_.empty()) {
        if (const auto document = core::SettingsFile(file_).Load()) {
            for (const core::IniSection& section : *document) {
                if (const auto id = SectionId(section.name)) ids.push_back(*id);
            }
        }
    } else if (const core::UniqueKey timers = OpenTimers(keyPath_, KEY_ENUMERATE_SUB_KEYS)) {
        ids = SubkeyNames(timers.get());
    }
    std::erase_if(ids, [](const std::wstring& id) { return !IsTimerId(id); });
    return ids;
}

}  // namespace platform
