// Reads a RIFF/WAVE file's chunks the way the multimedia file functions descend into them.
#include "sound/RiffReader.h"

#include "core/ErrorReport.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace sound {

namespace {

constexpr std::uint32_t kRiff = MakeFourCC("RIFF");
constexpr std::uint32_t kList = MakeFourCC("LIST");
constexpr std::uint32_t kWave = MakeFourCC("WAVE");
constexpr std::uint32_t kFmt = MakeFourCC("fmt");
constexpr std::uint32_t kData = MakeFourCC("data");

constexpr std::size_t kMinFormatBytes = 16;
// WAVEFORMATEX without its extra bytes: the 16 PCM bytes and the 16-bit extra-size field.
constexpr std::size_t kFormatExBytes = 18;
constexpr std::size_t kMaxFormatBytes = kFormatExBytes + 0xFFFF;
constexpr std::uint32_t kLargestData = 0x7FFFFFFF;

std::uint32_t Le32(const std::byte* p) {
    return std::to_integer<std::uint32_t>(p[0]) | std::to_integer<std::uint32_t>(p[1]) << 8 |
           std::to_integer<std::uint32_t>(p[2]) << 16 | std::to_integer<std::uint32_t>(p[3]) << 24;
}

std::uint16_t Le16(const std::byte* p) {
    return static_cast<std::uint16_t>(std::to_integer<unsigned>(p[0]) | std::to_integer<unsigned>(p[1]) << 8);
}

// Reads the 8-byte header (id, size) at offset, and the form type after it for "RIFF" and "LIST" when
// needFormType is set. Nothing when the bytes are not there.
std::optional<ChunkInfo> ReadChunkHeader(ByteSource& source, std::uint64_t offset, bool needFormType) {
    std::array<std::byte, 8> header{};
    if (source.ReadAt(offset, header) != header.size()) return std::nullopt;
    ChunkInfo chunk;
    chunk.id = Le32(header.data());
    chunk.size = Le32(header.data() + 4);
    chunk.dataOffset = offset + header.size();
    if (chunk.id == kRiff || chunk.id == kList) {
        std::array<std::byte, 4> formType{};
        if (source.ReadAt(chunk.dataOffset, formType) == formType.size()) {
            chunk.formType = Le32(formType.data());
        } else if (needFormType) {
            return std::nullopt;
        }
    }
    return chunk;
}

// Searches the sub-chunks of parent from offset on for the first with exactly this id. Other chunks are
// skipped by their size plus the pad byte of an odd size; a chunk whose header does not lie wholly inside
// the parent is not looked at. Every step moves forward by at least 8 bytes and stops at the end of the
// source, so a parent that claims 4 GB costs no more than the file holds.
std::optional<ChunkInfo> FindChunk(ByteSource& source, const ChunkInfo& parent, std::uint64_t offset,
                                   std::uint32_t id) {
    const std::uint64_t end = parent.dataOffset + parent.size;
    while (offset + 8 <= end) {
        const std::optional<ChunkInfo> chunk = ReadChunkHeader(source, offset, false);
        if (!chunk) return std::nullopt;
        if (chunk->id == id) return chunk;
        offset = chunk->dataOffset + chunk->size + (chunk->size & 1u);
    }
    return std::nullopt;
}

// The format record handed to the device: the fmt chunk's own bytes and never more. A 16-byte (PCM)
// chunk gets an extra-size of 0; a longer chunk is taken whole, up to the largest record an extra-size can
// describe, and an extra-size larger than the bytes that follow it here is cut to what is there. Reading
// 20 bytes regardless of the chunk would hand on 2 bytes of the next chunk's header as the extra-size.
std::optional<std::vector<std::byte>> ReadFormat(ByteSource& source, const ChunkInfo& fmt) {
    const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(fmt.size, kMaxFormatBytes));
    std::vector<std::byte> record(std::max(wanted, kFormatExBytes));
    const std::size_t held = source.ReadAt(fmt.dataOffset, std::span(record.data(), wanted));
    if (held < kMinFormatBytes) return std::nullopt;
    if (held < kFormatExBytes) {
        record.resize(kFormatExBytes);
        record[16] = record[17] = std::byte{0};
        return record;
    }
    record.resize(held);
    const std::size_t extra = std::min<std::size_t>(Le16(record.data() + 16), held - kFormatExBytes);
    record[16] = static_cast<std::byte>(extra & 0xFF);
    record[17] = static_cast<std::byte>(extra >> 8);
    return record;
}

}  // namespace

std::size_t MemoryByteSource::ReadAt(std::uint64_t offset, std::span<std::byte> out) {
    if (offset >= bytes_.size()) return 0;
    const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(out.size(), bytes_.size() - offset));
    std::memcpy(out.data(), bytes_.data() + offset, count);
    return count;
}

std::wstring NotEnoughDataMessage(std::int32_t fmtSize) {
    return L"Not enough data, only " + std::to_wstring(fmtSize) + L", wanted " + L"16";
}

std::optional<std::wstring> ReadWaveLayout(ByteSource& source, WaveLayout& layout) {
    const std::optional<ChunkInfo> riff = ReadChunkHeader(source, 0, true);
    if (!riff) return kCannotDescend;
    if (riff->id != kRiff || riff->formType != kWave) return kIncorrectFormat;

    // Both searches start at the first sub-chunk, so "data" may come before "fmt ".
    const std::uint64_t firstSubChunk = riff->dataOffset + 4;
    const std::optional<ChunkInfo> fmt = FindChunk(source, *riff, firstSubChunk, kFmt);
    if (!fmt) return kCouldNotFindFmtChunk;
    const auto fmtSize = static_cast<std::int32_t>(fmt->size);
    if (fmtSize < static_cast<std::int32_t>(kMinFormatBytes)) return NotEnoughDataMessage(fmtSize);
    std::optional<std::vector<std::byte>> format = ReadFormat(source, *fmt);
    if (!format) return kNotEnoughDataRead;

    // Reads here go to absolute offsets, so going back to the first sub-chunk cannot fail ("Could not seek"
    // is left for a source that seeks).
    const std::optional<ChunkInfo> data = FindChunk(source, *riff, firstSubChunk, kData);
    if (!data) return kCouldNotDescendIntoData;

    layout.WaveFormat = std::move(*format);
    layout.dataOffset = data->dataOffset;
    layout.dataSize = data->size;
    return std::nullopt;
}

std::optional<std::wstring> ReadSamples(ByteSource& source, const WaveLayout& layout, Samples& samples) {
    samples = {};
    // The samples array runs from 0 to size - 1: an empty chunk leaves no valid upper bound, and a size of
    // 2^31 or more does not fit the array's signed 32-bit bounds.
    if (layout.dataSize == 0) throw core::HandlerError(core::kSubscriptOutOfRange);
    if (layout.dataSize > kLargestData) throw core::HandlerError(core::kOverflow);
    // A data chunk that claims more than the file holds fails before anything is allocated for it.
    const std::uint64_t fileSize = source.Size();
    if (layout.dataOffset > fileSize || fileSize - layout.dataOffset < layout.dataSize) {
        return kCouldNotReadFullBuffer;
    }
    Samples read;
    // Left uninitialised: the read below fills every byte or the block is dropped. A failed allocation
    // raises to the calling handler, whose report calls it "Out of memory".
    read.bytes = std::make_unique_for_overwrite<std::byte[]>(layout.dataSize);
    read.size = layout.dataSize;
    if (source.ReadAt(layout.dataOffset, read.View()) != layout.dataSize) return kCouldNotReadFullBuffer;
    samples = std::move(read);
    return std::nullopt;
}

}  // namespace sound
