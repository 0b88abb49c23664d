// Builds RIFF/WAVE files byte by byte for the sound tests, the fuzz seeds and the sound benchmark.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

namespace soundtest {

// 16-bit stereo at 44.1 kHz, the format the sound tests write.
inline constexpr std::size_t kBytesPerSecond = 44100 * 4;

using Bytes = std::vector<std::byte>;

inline void Put(Bytes& out, std::string_view ascii) {
    for (char c : ascii) out.push_back(static_cast<std::byte>(c));
}
inline void Put16(Bytes& out, std::uint32_t value) {
    out.push_back(static_cast<std::byte>(value & 0xFF));
    out.push_back(static_cast<std::byte>((value >> 8) & 0xFF));
}
inline void Put32(Bytes& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}
inline void Put(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

inline Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) Put(out, part);
    return out;
}

// A chunk whose header states `claimedSize`, followed by exactly `body` (no pad byte).
inline Bytes RawChunk(std::string_view id, std::uint32_t claimedSize, const Bytes& body) {
    Bytes out;
    Put(out, id);
    Put32(out, claimedSize);
    Put(out, body);
    return out;
}

// A well-formed chunk: its true size, and the pad byte after an odd-sized body.
inline Bytes Chunk(std::string_view id, const Bytes& body) {
    Bytes out = RawChunk(id, static_cast<std::uint32_t>(body.size()), body);
    if (body.size() % 2 != 0) out.push_back(std::byte{0});
    return out;
}

// "RIFF", a stated size, a form type and the chunks; the size defaults to the true one.
inline Bytes RiffWithSize(std::uint32_t size, std::string_view formType, std::initializer_list<Bytes> chunks) {
    Bytes body;
    Put(body, formType);
    for (const Bytes& chunk : chunks) Put(body, chunk);
    return RawChunk("RIFF", size, body);
}
inline Bytes Riff(std::string_view formType, std::initializer_list<Bytes> chunks) {
    std::uint32_t size = 4;
    for (const Bytes& chunk : chunks) size += static_cast<std::uint32_t>(chunk.size());
    return RiffWithSize(size, formType, chunks);
}

// The 16 bytes of a PCMWAVEFORMAT-style record.
inline Bytes Format16(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate, std::uint16_t bits) {
    const std::uint32_t blockAlign = channels * ((bits + 7u) / 8u);
    Bytes out;
    Put16(out, tag);
    Put16(out, channels);
    Put32(out, rate);
    Put32(out, rate * blockAlign);
    Put16(out, blockAlign);
    Put16(out, bits);
    return out;
}

// 18 bytes plus the extra bytes, with the stated extra-size.
inline Bytes FormatEx(const Bytes& format16, std::uint16_t claimedExtra, const Bytes& extra) {
    Bytes out = format16;
    Put16(out, claimedExtra);
    Put(out, extra);
    return out;
}

// A WAVE_FORMAT_EXTENSIBLE record (40 bytes) with the given sub-format tag.
inline Bytes Extensible(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits, std::uint16_t subTag) {
    Bytes extra;
    Put16(extra, bits);        // valid bits per sample
    Put32(extra, channels == 1 ? 0x4u : 0x3u);  // channel mask
    Put16(extra, subTag);      // sub-format GUID: the tag in KSDATAFORMAT_SUBTYPE_*
    for (std::uint8_t b : {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}) {
        extra.push_back(static_cast<std::byte>(b));
    }
    return FormatEx(Format16(0xFFFE, channels, rate, bits), 22, extra);
}

// Bytes that differ from their neighbours, so that a shifted or cut copy never matches.
inline Bytes Pattern(std::size_t count, std::uint32_t seed = 1) {
    Bytes out(count);
    std::uint32_t x = seed * 2654435761u + 12345u;
    for (std::byte& b : out) {
        x = x * 1664525u + 1013904223u;
        b = static_cast<std::byte>(x >> 24);
    }
    return out;
}

// The canonical file: "fmt " then "data".
inline Bytes CanonicalWav(const Bytes& format, const Bytes& data) {
    return Riff("WAVE", {Chunk("fmt ", format), Chunk("data", data)});
}

}  // namespace soundtest
