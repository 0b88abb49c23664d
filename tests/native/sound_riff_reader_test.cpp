// The WAV loader's RIFF reader on files built byte by byte: every message, every kind of file that loads.
#include "sound/RiffReader.h"

#include "core/ErrorReport.h"
#include "tests/native/sound_wav_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

using namespace soundtest;

namespace {

// Remembers the largest read asked of it, to show that nothing sized by a lying header is read or allocated.
class WatchedSource final : public sound::ByteSource {
public:
    explicit WatchedSource(const Bytes& bytes) : inner_(bytes) {}
    std::uint64_t Size() const override { return inner_.Size(); }
    std::size_t ReadAt(std::uint64_t offset, std::span<std::byte> out) override {
        largestRead = std::max(largestRead, out.size());
        return inner_.ReadAt(offset, out);
    }
    std::size_t largestRead = 0;

private:
    sound::MemoryByteSource inner_;
};

struct Outcome {
    std::wstring message;  // empty when the file loads
    sound::WaveLayout layout;
    sound::Samples samples;
};

Outcome LoadBytes(const Bytes& file) {
    sound::MemoryByteSource source(file);
    Outcome outcome;
    if (auto message = sound::ReadWaveLayout(source, outcome.layout)) {
        outcome.message = *message;
        return outcome;
    }
    if (auto message = sound::ReadSamples(source, outcome.layout, outcome.samples)) outcome.message = *message;
    return outcome;
}

std::wstring MessageFor(const Bytes& file) { return LoadBytes(file).message; }

Bytes SamplesOf(const Outcome& outcome) {
    auto view = outcome.samples.View();
    return Bytes(view.begin(), view.end());
}

std::uint16_t ExtraSize(const Bytes& format) {
    return static_cast<std::uint16_t>(std::to_integer<unsigned>(format[16]) |
                                      std::to_integer<unsigned>(format[17]) << 8);
}

const Bytes kPcm16 = Format16(1, 2, 44100, 16);
const Bytes kData = Pattern(64);

}  // namespace

TEST(SoundRiffReader, EmptyOrShortFile_CannotDescend) {
    EXPECT_EQ(MessageFor({}), L"Cannot descend");
    Bytes seven;
    Put(seven, "RIFF");
    Put16(seven, 4);
    seven.push_back(std::byte{0});
    EXPECT_EQ(MessageFor(seven), L"Cannot descend");
}

TEST(SoundRiffReader, RiffHeaderWithoutFormType_CannotDescend) {
    EXPECT_EQ(MessageFor(RawChunk("RIFF", 4, {})), L"Cannot descend");
    Bytes cut = RawChunk("RIFF", 4, {});
    Put(cut, "WAV");
    EXPECT_EQ(MessageFor(cut), L"Cannot descend");
}

TEST(SoundRiffReader, NotRiffOrNotWave_IncorrectFormat) {
    Bytes rifx = CanonicalWav(kPcm16, kData);
    rifx[3] = static_cast<std::byte>('X');
    EXPECT_EQ(MessageFor(rifx), L"Incorrect format");
    EXPECT_EQ(MessageFor(Riff("AVI ", {Chunk("fmt ", kPcm16), Chunk("data", kData)})), L"Incorrect format");
    EXPECT_EQ(MessageFor(Riff("wave", {Chunk("fmt ", kPcm16), Chunk("data", kData)})), L"Incorrect format");
    Bytes list = CanonicalWav(kPcm16, kData);
    std::copy_n(reinterpret_cast<const std::byte*>("LIST"), 4, list.begin());
    EXPECT_EQ(MessageFor(list), L"Incorrect format");
    // A file of plain text: a chunk header can be read, so it is the format that is wrong.
    Bytes text;
    Put(text, "Hello, this is not a sound file.");
    EXPECT_EQ(MessageFor(text), L"Incorrect format");
}

TEST(SoundRiffReader, NoFmtChunk_CouldNotFindFmtChunk) {
    EXPECT_EQ(MessageFor(Riff("WAVE", {Chunk("data", kData)})), L"Could not find fmt chunk");
    EXPECT_EQ(MessageFor(Riff("WAVE", {})), L"Could not find fmt chunk");
}

TEST(SoundRiffReader, FmtIdInCapitals_IsNotFound) {
    EXPECT_EQ(MessageFor(Riff("WAVE", {Chunk("FMT ", kPcm16), Chunk("data", kData)})), L"Could not find fmt chunk");
    EXPECT_EQ(MessageFor(Riff("WAVE", {Chunk(std::string_view("fmt\0", 4), kPcm16), Chunk("data", kData)})), L"Could not find fmt chunk");
}

TEST(SoundRiffReader, FmtInsideList_IsNotFoundAtTheRiffLevel) {
    Bytes listBody;
    Put(listBody, "INFO");
    Put(listBody, Chunk("fmt ", kPcm16));
    EXPECT_EQ(MessageFor(Riff("WAVE", {Chunk("LIST", listBody), Chunk("data", kData)})), L"Could not find fmt chunk");
}

TEST(SoundRiffReader, FmtAfterTheRiffChunksEnd_IsNotFound) {
    // The RIFF chunk says it ends right after the form type; "fmt " follows in the file but outside it.
    EXPECT_EQ(MessageFor(RiffWithSize(4, "WAVE", {Chunk("fmt ", kPcm16), Chunk("data", kData)})),
              L"Could not find fmt chunk");
    // The end falls inside the fmt chunk's header: the header must lie wholly inside the RIFF chunk.
    EXPECT_EQ(MessageFor(RiffWithSize(4 + 7, "WAVE", {Chunk("fmt ", kPcm16), Chunk("data", kData)})),
              L"Could not find fmt chunk");
    EXPECT_EQ(MessageFor(RiffWithSize(4 + 8, "WAVE", {Chunk("fmt ", kPcm16), Chunk("data", kData)})),
              L"Could not descend into data");
}

TEST(SoundRiffReader, FmtShorterThan16_NamesItsSize) {
    const Bytes fourteen(kPcm16.begin(), kPcm16.begin() + 14);
    EXPECT_EQ(MessageFor(CanonicalWav(fourteen, kData)), L"Not enough data, only 14, wanted 16");
    EXPECT_EQ(MessageFor(CanonicalWav({}, kData)), L"Not enough data, only 0, wanted 16");
    const Bytes fifteen(kPcm16.begin(), kPcm16.begin() + 15);
    EXPECT_EQ(MessageFor(CanonicalWav(fifteen, kData)), L"Not enough data, only 15, wanted 16");
}

TEST(SoundRiffReader, FmtSizeOf2GBOrMore_IsTakenAsNegative) {
    EXPECT_EQ(MessageFor(Riff("WAVE", {RawChunk("fmt ", 0xFFFFFFFFu, kPcm16)})), L"Not enough data, only -1, wanted 16");
    EXPECT_EQ(MessageFor(Riff("WAVE", {RawChunk("fmt ", 0x80000000u, kPcm16)})),
              L"Not enough data, only -2147483648, wanted 16");
}

TEST(SoundRiffReader, FileEndsInsideFmt_NotEnoughDataRead) {
    const Bytes fifteen(kPcm16.begin(), kPcm16.begin() + 15);
    EXPECT_EQ(MessageFor(Riff("WAVE", {RawChunk("fmt ", 16, fifteen)})), L"Not enough data read");
    EXPECT_EQ(MessageFor(Riff("WAVE", {RawChunk("fmt ", 16, {})})), L"Not enough data read");
}

TEST(SoundRiffReader, FileEndsRightAfterFmt_CouldNotDescendIntoData) {
    EXPECT_EQ(MessageFor(Riff("WAVE", {Chunk("fmt ", kPcm16)})), L"Could not descend into data");
}

TEST(SoundRiffReader, NoDataChunk_CouldNotDescendIntoData) {
    EXPECT_EQ(MessageFor(Riff("WAVE", {Chunk("fmt ", kPcm16), Chunk("DATA", kData)})), L"Could not descend into data");
    EXPECT_EQ(MessageFor(Riff("WAVE", {Chunk("fmt ", kPcm16), Chunk("JUNK", kData)})), L"Could not descend into data");
}

TEST(SoundRiffReader, FileEndsInsideDataHeader_CouldNotDescendIntoData) {
    Bytes file = CanonicalWav(kPcm16, kData);
    file.resize(12 + 8 + 16 + 7);
    EXPECT_EQ(MessageFor(file), L"Could not descend into data");
}

TEST(SoundRiffReader, DataAfterTheRiffChunksEnd_CouldNotDescendIntoData) {
    const Bytes fmt = Chunk("fmt ", kPcm16);
    EXPECT_EQ(MessageFor(RiffWithSize(4 + static_cast<std::uint32_t>(fmt.size()), "WAVE", {fmt, Chunk("data", kData)})),
              L"Could not descend into data");
}

TEST(SoundRiffReader, FileEndsInsideData_CouldNotReadFullBuffer) {
    Bytes file = CanonicalWav(kPcm16, kData);
    file.pop_back();
    const Outcome outcome = LoadBytes(file);
    EXPECT_EQ(outcome.message, L"Could not read full buffer");
    EXPECT_EQ(outcome.samples.bytes, nullptr);
}

TEST(SoundRiffReader, DataClaimingAlmost2GB_FailsWithoutReadingWhatItClaims) {
    const Bytes file = Riff("WAVE", {Chunk("fmt ", kPcm16), RawChunk("data", 0x7FFFFFFFu, Pattern(4))});
    ASSERT_EQ(file.size(), 48u);
    WatchedSource source(file);
    sound::WaveLayout layout;
    ASSERT_FALSE(sound::ReadWaveLayout(source, layout));
    sound::Samples samples;
    EXPECT_EQ(sound::ReadSamples(source, layout, samples), std::wstring(L"Could not read full buffer"));
    EXPECT_LE(source.largestRead, file.size());
    EXPECT_EQ(samples.bytes, nullptr);
}

TEST(SoundRiffReader, EmptyData_RaisesSubscriptOutOfRange) {
    try {
        LoadBytes(CanonicalWav(kPcm16, {}));
        FAIL() << "an empty data chunk must raise";
    } catch (const core::HandlerError& error) {
        EXPECT_EQ(error.Description(), L"Subscript out of range");
    }
}

TEST(SoundRiffReader, DataOf2GBOrMore_RaisesOverflow) {
    for (std::uint32_t size : {0x80000000u, 0xFFFFFFFFu}) {
        try {
            LoadBytes(Riff("WAVE", {Chunk("fmt ", kPcm16), RawChunk("data", size, kData)}));
            FAIL() << "a data chunk of " << size << " bytes must raise";
        } catch (const core::HandlerError& error) {
            EXPECT_EQ(error.Description(), L"Overflow");
        }
    }
}

TEST(SoundRiffReader, CanonicalPcm_LoadsDataAndHandsOnNoExtraSize) {
    const Outcome outcome = LoadBytes(CanonicalWav(kPcm16, kData));
    ASSERT_EQ(outcome.message, L"");
    // The 2 bytes after a 16-byte fmt chunk are the next chunk's id ("da"); they must not become the
    // extra-size.
    ASSERT_EQ(outcome.layout.WaveFormat.size(), 18u);
    EXPECT_TRUE(std::equal(kPcm16.begin(), kPcm16.end(), outcome.layout.WaveFormat.begin()));
    EXPECT_EQ(ExtraSize(outcome.layout.WaveFormat), 0);
    EXPECT_EQ(outcome.layout.dataOffset, 44u);
    EXPECT_EQ(SamplesOf(outcome), kData);
    EXPECT_EQ(outcome.samples.size, kData.size());
}

TEST(SoundRiffReader, FmtAtTheVeryEndOfTheFile_StillLoadsWhenDataCameFirst) {
    const Outcome outcome = LoadBytes(Riff("WAVE", {Chunk("data", kData), Chunk("fmt ", kPcm16)}));
    ASSERT_EQ(outcome.message, L"");
    EXPECT_EQ(outcome.layout.WaveFormat.size(), 18u);
    EXPECT_EQ(SamplesOf(outcome), kData);
}

struct FormatCase {
    std::uint16_t tag, channels;
    std::uint32_t rate;
    std::uint16_t bits;
};

class SoundRiffReaderFormats : public testing::TestWithParam<FormatCase> {};

TEST_P(SoundRiffReaderFormats, PlainFormat_IsHandedOnAsWritten) {
    const FormatCase c = GetParam();
    const Bytes format = Format16(c.tag, c.channels, c.rate, c.bits);
    const Bytes data = Pattern(c.channels * c.bits / 8 * 10 + 1, c.rate);
    const Outcome outcome = LoadBytes(CanonicalWav(format, data));
    ASSERT_EQ(outcome.message, L"");
    EXPECT_TRUE(std::equal(format.begin(), format.end(), outcome.layout.WaveFormat.begin()));
    EXPECT_EQ(SamplesOf(outcome), data);
}

INSTANTIATE_TEST_SUITE_P(PcmFloatAndG711, SoundRiffReaderFormats,
                         testing::Values(FormatCase{1, 1, 8000, 8}, FormatCase{1, 2, 11025, 8},
                                         FormatCase{1, 1, 22050, 16}, FormatCase{1, 2, 44100, 16},
                                         FormatCase{1, 2, 48000, 24}, FormatCase{1, 1, 96000, 24},
                                         FormatCase{1, 2, 96000, 32}, FormatCase{3, 2, 48000, 32},
                                         FormatCase{3, 1, 44100, 32}, FormatCase{7, 1, 8000, 8},
                                         FormatCase{6, 1, 8000, 8}));

TEST(SoundRiffReader, G711WithExtraSizeZero_Is18Bytes) {
    const Bytes format = FormatEx(Format16(7, 1, 8000, 8), 0, {});
    const Outcome outcome = LoadBytes(Riff("WAVE", {Chunk("fmt ", format), Chunk("fact", Pattern(4)), Chunk("data", kData)}));
    ASSERT_EQ(outcome.message, L"");
    EXPECT_EQ(outcome.layout.WaveFormat, format);
}

TEST(SoundRiffReader, Extensible_IsHandedOnWhole) {
    const Bytes format = Extensible(2, 48000, 24, 1);
    ASSERT_EQ(format.size(), 40u);
    const Outcome outcome = LoadBytes(CanonicalWav(format, kData));
    ASSERT_EQ(outcome.message, L"");
    EXPECT_EQ(outcome.layout.WaveFormat, format);
    EXPECT_EQ(ExtraSize(outcome.layout.WaveFormat), 22);
}

TEST(SoundRiffReader, ExtraSizeLargerThanTheChunk_IsCutToWhatTheChunkHolds) {
    const Outcome outcome = LoadBytes(CanonicalWav(FormatEx(kPcm16, 100, {}), kData));
    ASSERT_EQ(outcome.message, L"");
    EXPECT_EQ(outcome.layout.WaveFormat.size(), 18u);
    EXPECT_EQ(ExtraSize(outcome.layout.WaveFormat), 0);

    const Outcome two = LoadBytes(CanonicalWav(FormatEx(kPcm16, 10, Pattern(2)), kData));
    ASSERT_EQ(two.message, L"");
    EXPECT_EQ(two.layout.WaveFormat.size(), 20u);
    EXPECT_EQ(ExtraSize(two.layout.WaveFormat), 2);
}

TEST(SoundRiffReader, FmtClaimingGigabytes_TakesOnlyWhatTheFileHolds) {
    // "data" comes first, so the search for it never has to skip the lying fmt chunk.
    const Bytes file = Riff("WAVE", {Chunk("data", kData), RawChunk("fmt ", 0x7FFFFFF0u, FormatEx(kPcm16, 0xFFFF, Pattern(22)))});
    WatchedSource source(file);
    sound::WaveLayout layout;
    ASSERT_FALSE(sound::ReadWaveLayout(source, layout));
    EXPECT_EQ(layout.WaveFormat.size(), 40u);
    EXPECT_EQ(ExtraSize(layout.WaveFormat), 22);
    EXPECT_LE(source.largestRead, 18u + 0xFFFFu);
}

TEST(SoundRiffReader, OtherChunksAndDataBeforeFmt_Load) {
    Bytes list;
    Put(list, "INFO");
    Put(list, Chunk("INAM", Pattern(5)));  // odd, padded inside the list
    const Bytes file = Riff("WAVE", {Chunk("JUNK", Pattern(28)), Chunk("bext", Pattern(602)), Chunk("LIST", list),
                                     Chunk("data", kData), Chunk("fact", Pattern(4)), Chunk("fmt ", kPcm16)});
    const Outcome outcome = LoadBytes(file);
    ASSERT_EQ(outcome.message, L"");
    EXPECT_EQ(SamplesOf(outcome), kData);
}

TEST(SoundRiffReader, OddSizedChunk_IsSkippedWithItsPadByte) {
    const Outcome outcome = LoadBytes(Riff("WAVE", {Chunk("JUNK", Pattern(3)), Chunk("fmt ", kPcm16), Chunk("data", kData)}));
    ASSERT_EQ(outcome.message, L"");
    EXPECT_EQ(SamplesOf(outcome), kData);
    // Without its pad byte the next header is one byte off and "fmt " is never seen.
    EXPECT_EQ(MessageFor(Riff("WAVE", {RawChunk("JUNK", 3, Pattern(3)), Chunk("fmt ", kPcm16), Chunk("data", kData)})),
              L"Could not find fmt chunk");
}

TEST(SoundRiffReader, OddSizedData_LoadsExactlyItsBytes) {
    const Bytes odd = Pattern(7);
    const Outcome outcome = LoadBytes(Riff("WAVE", {Chunk("data", odd), Chunk("fmt ", kPcm16)}));
    ASSERT_EQ(outcome.message, L"");
    EXPECT_EQ(SamplesOf(outcome), odd);
}

TEST(SoundRiffReader, RiffSizeLargerThanTheFile_Loads) {
    const Outcome outcome = LoadBytes(RiffWithSize(0xFFFFFFFFu, "WAVE", {Chunk("fmt ", kPcm16), Chunk("data", kData)}));
    ASSERT_EQ(outcome.message, L"");
    EXPECT_EQ(SamplesOf(outcome), kData);
}

TEST(SoundRiffReader, DataMayRunPastTheRiffChunkWhileTheFileHoldsIt) {
    // Only the data chunk's header has to lie inside the RIFF chunk.
    const Bytes fmt = Chunk("fmt ", kPcm16);
    const Outcome outcome = LoadBytes(RiffWithSize(4 + static_cast<std::uint32_t>(fmt.size()) + 8, "WAVE",
                                                   {fmt, Chunk("data", kData)}));
    ASSERT_EQ(outcome.message, L"");
    EXPECT_EQ(SamplesOf(outcome), kData);
}

TEST(SoundRiffReader, FileEndsInsideAHeaderBeforeFmt_CouldNotFindFmtChunk) {
    Bytes file = Riff("WAVE", {Chunk("JUNK", Pattern(4)), Chunk("fmt ", kPcm16), Chunk("data", kData)});
    file.resize(12 + 12 + 5);
    EXPECT_EQ(MessageFor(file), L"Could not find fmt chunk");
}

TEST(SoundRiffReader, FourCC_PadsWithBlanksAndKeepsCase) {
    EXPECT_EQ(sound::MakeFourCC("fmt"), sound::MakeFourCC("fmt "));
    EXPECT_EQ(sound::MakeFourCC("RIFF"), 0x46464952u);
    EXPECT_NE(sound::MakeFourCC("data"), sound::MakeFourCC("DATA"));
}
