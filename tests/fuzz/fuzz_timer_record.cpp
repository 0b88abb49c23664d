// libFuzzer target: a timer's record read back from any values, as a damaged registry may hold them,
// and the same bytes as a settings file or a record's text.
#include "platform/TimerRecord.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Each value in turn: a type byte (text, DWORD, QWORD), then a length byte and as many UTF-16 code
    // units of text, or eight bytes of number.
    std::vector<platform::RecordValue> values;
    for (std::size_t at = 0; const wchar_t* name : platform::kRecordValueNames) {
        if (at + 9 > size) break;
        const std::uint8_t type = data[at++] % 3;
        std::uint64_t number = 0;
        std::memcpy(&number, data + at, sizeof number);
        std::wstring text;
        for (std::size_t n = data[at++] % 64; type == 0 && n > 0 && at + 1 < size; --n, at += 2) {
            text += static_cast<wchar_t>(data[at] | data[at + 1] << 8);
        }
        at += type == 0 ? 0 : sizeof number - 1;
        values.push_back({name, type == 0 ? platform::RecordData{text}
                                : type == 1 ? platform::RecordData{static_cast<std::uint32_t>(number)}
                                            : platform::RecordData{number}});
    }
    // What reads back is within the pickers' range and reads back the same once stored again.
    constexpr std::int64_t now = 13'400'000'000'000;
    const auto record = platform::DecodeTimerRecord(values, now);
    if (record && (record->hours > 23 || record->tenthsLeft > 9 || record->endsUtcMs > now + 86'400'000 ||
                   platform::DecodeTimerRecord(platform::EncodeTimerRecord(*record), now) != record)) {
        std::abort();
    }
    // A settings file's sections read back as they were once written; a record from text likewise.
    const std::wstring text = core::IniFileText({reinterpret_cast<const char*>(data), size});
    const core::IniDocument document = core::ParseIni(text);
    if (core::ParseIni(core::IniFileText(core::IniFileBytes(core::FormatIni(document)))) != document) std::abort();
    const auto fromText = platform::DecodeTimerRecord(platform::RecordValuesOf(core::ParseIniEntries(text)), now);
    if (fromText && platform::DecodeTimerRecord(platform::RecordValuesOf(core::ParseIniEntries(core::FormatIniEntries(
                                                    platform::TimerRecordEntries(*fromText)))),
                                                now) != fromText) {
        std::abort();
    }
    return 0;
}
