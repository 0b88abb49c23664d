// Reads a RIFF/WAVE file's chunks: finds "fmt " and "data" and reads the samples, with the loader's messages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sound {

// Where a file's bytes come from: a file on disk in the program, a memory buffer in the tests.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Size of the whole source in bytes.
    virtual std::uint64_t Size() const = 0;
    // Copies up to out.size() bytes starting at offset; returns how many were copied (fewer at the end or on
    // a read error).
    virtual std::size_t ReadAt(std::uint64_t offset, std::span<std::byte> out) = 0;
};

class MemoryByteSource final : public ByteSource {
public:
    explicit MemoryByteSource(std::span<const std::byte> bytes) : bytes_(bytes) {}
    std::uint64_t Size() const override { return bytes_.size(); }
    std::size_t ReadAt(std::uint64_t offset, std::span<std::byte> out) override;

private:
    std::span<const std::byte> bytes_;
};

// Four characters packed little-endian, the first in the lowest byte; a shorter id is padded with blanks.
constexpr std::uint32_t MakeFourCC(std::string_view id) {
    std::uint32_t code = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        const unsigned char c = i < id.size() ? static_cast<unsigned char>(id[i]) : ' ';
        code |= static_cast<std::uint32_t>(c) << (8 * i);
    }
    return code;
}

// A chunk as a descent finds it. dataOffset is where its data starts; for "RIFF" and "LIST" that is the
// form type, which is the only case where formType is read.
struct ChunkInfo {
    std::uint32_t id = 0;
    std::uint32_t size = 0;
    std::uint32_t formType = 0;
    std::uint64_t dataOffset = 0;
};

// What the loader needs from a good file before it reads the samples.
struct WaveLayout {
    // The format record for the device (WAVEFORMATEX layout): the fmt chunk's own bytes, at least 18, with
    // the extra-size field never claiming more bytes than follow it here.
    std::vector<std::byte> WaveFormat;
    std::uint64_t dataOffset = 0;
    std::uint32_t dataSize = 0;
};

// The samples of a loaded sound: exactly the data chunk, nothing more.
struct Samples {
    std::unique_ptr<std::byte[]> bytes;
    std::uint32_t size = 0;

    std::span<std::byte> View() const { return {bytes.get(), size}; }
};

// The loader's messages to the user.
inline constexpr wchar_t kCannotOpenFile[] = L"Cannot open file";
inline constexpr wchar_t kCannotDescend[] = L"Cannot descend";
inline constexpr wchar_t kIncorrectFormat[] = L"Incorrect format";
inline constexpr wchar_t kCouldNotFindFmtChunk[] = L"Could not find fmt chunk";
inline constexpr wchar_t kNotEnoughDataRead[] = L"Not enough data read";
inline constexpr wchar_t kCouldNotSeek[] = L"Could not seek";
inline constexpr wchar_t kCouldNotDescendIntoData[] = L"Could not descend into data";
inline constexpr wchar_t kCouldNotReadFullBuffer[] = L"Could not read full buffer";
// "Not enough data, only 14, wanted 16" for a 14-byte fmt chunk.
std::wstring NotEnoughDataMessage(std::int32_t fmtSize);

// Finds the format and the data of a RIFF/WAVE file. Returns the message to show when the file is not
// usable; otherwise fills layout and returns nothing.
std::optional<std::wstring> ReadWaveLayout(ByteSource& source, WaveLayout& layout);

// Reads the data chunk whole. Returns the message to show when the file does not hold all of it.
// An empty data chunk or one of 2^31 bytes or more raises core::HandlerError, as does a failed allocation.
std::optional<std::wstring> ReadSamples(ByteSource& source, const WaveLayout& layout, Samples& samples);

}  // namespace sound
