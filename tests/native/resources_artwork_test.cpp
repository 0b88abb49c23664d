// The delivered artwork read back from the files: application icon, its raw resource images, hand
// cursor, default alarm sound and the tray picture's pixel data.
#include "resources/TrayPicture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

using FileBytes = std::vector<std::uint8_t>;

std::filesystem::path ResourcesFolder() {
    return std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "resources";
}

FileBytes ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return FileBytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::uint32_t U16(const FileBytes& b, std::size_t at) {
    return at + 2 <= b.size() ? static_cast<std::uint32_t>(b[at] | b[at + 1] << 8) : 0xFFFFFFFFu;
}

std::uint32_t U32(const FileBytes& b, std::size_t at) {
    return at + 4 <= b.size() ? U16(b, at) | U16(b, at + 2) << 16 : 0xFFFFFFFFu;
}

struct DirEntry {
    int size;
    int bits;
    std::uint32_t bytes;
    std::uint32_t offsetOrId;
};

// The directory of an .ico (16-byte entries ending in a file offset) or of an icon group
// resource (14-byte entries ending in a 16-bit resource id).
std::vector<DirEntry> ReadDirectory(const FileBytes& b, std::size_t entrySize) {
    std::vector<DirEntry> entries;
    const std::uint32_t count = U16(b, 4);
    for (std::uint32_t i = 0; i < count && 6 + (i + 1) * entrySize <= b.size(); ++i) {
        const std::size_t at = 6 + i * entrySize;
        const int side = b[at] == 0 ? 256 : b[at];
        entries.push_back({side, static_cast<int>(U16(b, at + 6)), U32(b, at + 8),
                           entrySize == 16 ? U32(b, at + 12) : U16(b, at + 12)});
    }
    return entries;
}

// One icon image (header, colour rows bottom-up, 1-bit mask rows bottom-up).
struct IconImage {
    FileBytes data;
    int size;
    int bits;
    std::size_t ColourStride() const { return (static_cast<std::size_t>(size) * bits / 8 + 3) / 4 * 4; }
    std::size_t MaskStride() const { return (static_cast<std::size_t>(size) + 31) / 32 * 4; }
    std::size_t Row(int y) const { return static_cast<std::size_t>(size - 1 - y); }
    bool Masked(int x, int y) const {
        const std::size_t at = 40 + ColourStride() * size + Row(y) * MaskStride() + x / 8;
        return (data.at(at) & (0x80 >> (x % 8))) != 0;
    }
    // Blue, green, red, alpha (alpha 255 for the 24-bit image).
    std::array<int, 4> Pixel(int x, int y) const {
        const std::size_t at = 40 + Row(y) * ColourStride() + static_cast<std::size_t>(x) * bits / 8;
        return {data.at(at), data.at(at + 1), data.at(at + 2), bits == 32 ? data.at(at + 3) : 255};
    }
};

IconImage ImageOfIco(const FileBytes& ico, const DirEntry& entry) {
    FileBytes data(ico.begin() + entry.offsetOrId, ico.begin() + entry.offsetOrId + entry.bytes);
    return {std::move(data), entry.size, entry.bits};
}

class IconFile : public ::testing::Test {
protected:
    FileBytes ico_ = ReadAll(ResourcesFolder() / "app.ico");
    std::vector<DirEntry> entries_ = ReadDirectory(ico_, 16);
};

TEST_F(IconFile, ListsExactlyTheFourImagesInOrderWithTheirByteCounts) {
    ASSERT_EQ(U16(ico_, 0), 0u);
    ASSERT_EQ(U16(ico_, 2), 1u);  // an icon, not a cursor
    ASSERT_EQ(entries_.size(), 4u);
    const DirEntry expected[] = {{32, 24, 3240, 0}, {256, 32, 270376, 0}, {128, 32, 67624, 0},
                                 {48, 32, 9640, 0}};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(entries_[i].size, expected[i].size) << i;
        EXPECT_EQ(entries_[i].bits, expected[i].bits) << i;
        EXPECT_EQ(entries_[i].bytes, expected[i].bytes) << i;
        ASSERT_LE(static_cast<std::size_t>(entries_[i].offsetOrId) + entries_[i].bytes, ico_.size()) << i;
    }
}

TEST_F(IconFile, StoresEveryImageAsABitmapNotPng) {
    ASSERT_EQ(entries_.size(), 4u);
    for (const auto& entry : entries_) {
        const IconImage image = ImageOfIco(ico_, entry);
        EXPECT_NE(U32(image.data, 0), 0x474E5089u) << "PNG signature at " << entry.size;
        EXPECT_EQ(U32(image.data, 0), 40u) << entry.size;                           // BITMAPINFOHEADER
        EXPECT_EQ(U32(image.data, 4), static_cast<std::uint32_t>(entry.size));       // width
        EXPECT_EQ(U32(image.data, 8), static_cast<std::uint32_t>(2 * entry.size));   // colour + mask
        EXPECT_EQ(U16(image.data, 12), 1u);                                          // planes
        EXPECT_EQ(U16(image.data, 14), static_cast<std::uint32_t>(entry.bits));
        EXPECT_EQ(U32(image.data, 16), 0u);                                          // BI_RGB
        EXPECT_EQ(40 + image.ColourStride() * entry.size + image.MaskStride() * entry.size, entry.bytes);
    }
}

TEST_F(IconFile, RawResourceImagesAreTheIconsImagesUnderIds30001To30004) {
    const FileBytes group = ReadAll(ResourcesFolder() / "icon" / "group.bin");
    const std::vector<DirEntry> listed = ReadDirectory(group, 14);
    ASSERT_EQ(group.size(), 6u + 4 * 14);
    ASSERT_EQ(listed.size(), entries_.size());
    for (std::size_t i = 0; i < listed.size(); ++i) {
        EXPECT_EQ(listed[i].offsetOrId, 30001u + i);
        EXPECT_EQ(listed[i].size, entries_[i].size);
        EXPECT_EQ(listed[i].bits, entries_[i].bits);
        EXPECT_EQ(listed[i].bytes, entries_[i].bytes);
        const FileBytes raw = ReadAll(ResourcesFolder() / "icon" / (std::to_string(30001 + i) + ".dib"));
        EXPECT_EQ(raw, ImageOfIco(ico_, entries_[i]).data) << "image " << 30001 + i;
    }
}

TEST_F(IconFile, AlphaImagesMaskExactlyTheFullyTransparentPixels) {
    ASSERT_EQ(entries_.size(), 4u);
    for (const auto& entry : entries_) {
        if (entry.bits != 32) continue;
        const IconImage image = ImageOfIco(ico_, entry);
        int transparent = 0;
        for (int y = 0; y < entry.size; ++y) {
            for (int x = 0; x < entry.size; ++x) {
                const bool clear = image.Pixel(x, y)[3] == 0;
                transparent += clear;
                ASSERT_EQ(image.Masked(x, y), clear) << entry.size << " at " << x << "," << y;
            }
        }
        EXPECT_GT(transparent, 0) << "rounded corners are see-through at " << entry.size;
    }
}

TEST_F(IconFile, MaskedPixelsOfTheColourImageAreBlackSoTheyDoNotInvertTheBackground) {
    ASSERT_FALSE(entries_.empty());
    const IconImage image = ImageOfIco(ico_, entries_[0]);
    ASSERT_EQ(image.bits, 24);
    EXPECT_TRUE(image.Masked(0, 0));
    EXPECT_FALSE(image.Masked(16, 16));
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            if (!image.Masked(x, y)) continue;
            const auto p = image.Pixel(x, y);
            EXPECT_EQ(p[0] + p[1] + p[2], 0) << x << "," << y;
        }
    }
}

TEST_F(IconFile, EveryImageShowsTheBlueVOnLightCyan) {
    ASSERT_EQ(entries_.size(), 4u);
    for (const auto& entry : entries_) {
        const IconImage image = ImageOfIco(ico_, entry);
        const auto at = [&](double fx, double fy) {
            return image.Pixel(static_cast<int>(fx * entry.size), static_cast<int>(fy * entry.size));
        };
        const std::array<int, 4> blue{254, 162, 7, 255}, cyan{255, 255, 177, 255};
        EXPECT_EQ(at(0.27, 0.28), blue) << "left arm at " << entry.size;
        EXPECT_EQ(at(0.73, 0.28), blue) << "right arm at " << entry.size;
        EXPECT_EQ(at(0.5, 0.72), blue) << "point at " << entry.size;
        EXPECT_EQ(at(0.5, 0.25), cyan) << "between the arms at " << entry.size;
        EXPECT_EQ(at(0.15, 0.8), cyan) << "beside the point at " << entry.size;
    }
}

TEST(HandCursor, IsOne32x32CursorWhoseHotspotIsTheFingertip) {
    const FileBytes cur = ReadAll(ResourcesFolder() / "HAND-M.CUR");
    ASSERT_GE(cur.size(), 22u);
    EXPECT_EQ(U16(cur, 2), 2u);  // a cursor
    ASSERT_EQ(U16(cur, 4), 1u);
    EXPECT_EQ(cur[6], 32);
    EXPECT_EQ(cur[7], 32);
    const int hotX = static_cast<int>(U16(cur, 10));
    const int hotY = static_cast<int>(U16(cur, 12));
    const std::uint32_t bytes = U32(cur, 14), offset = U32(cur, 18);
    ASSERT_EQ(offset + bytes, cur.size());
    ASSERT_LT(hotX, 32);
    ASSERT_LT(hotY, 32);
    const FileBytes data(cur.begin() + offset, cur.end());
    ASSERT_EQ(U32(data, 0), 40u);
    ASSERT_EQ(U16(data, 14), 1u);  // monochrome: shown the same on every display
    // Monochrome: header, two palette entries, then colour and mask rows of 4 bytes, bottom-up.
    const auto opaque = [&](int x, int y) {
        const std::size_t at = 40 + 8 + 32 * 4 + static_cast<std::size_t>(31 - y) * 4 + x / 8;
        return (data.at(at) & (0x80 >> (x % 8))) == 0;
    };
    EXPECT_TRUE(opaque(hotX, hotY));
    int topmost = 32;
    for (int y = 0; y < 32 && topmost == 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            if (opaque(x, y)) topmost = y;
        }
    }
    EXPECT_EQ(hotY, topmost) << "the hotspot is on the hand's highest row";
    int opaqueCount = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) opaqueCount += opaque(x, y);
    }
    EXPECT_GT(opaqueCount, 150);
    EXPECT_LT(opaqueCount, 32 * 32 / 2);
}

TEST(AlarmSound, IsAboutThreeSecondsOfUnclipped16BitPcmThatStartsAndEndsSilent) {
    const FileBytes wav = ReadAll(ResourcesFolder() / "alarm.wav");
    ASSERT_GE(wav.size(), 44u);
    EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
    EXPECT_EQ(U32(wav, 4), wav.size() - 8);
    EXPECT_EQ(std::string(wav.begin() + 8, wav.begin() + 16), "WAVEfmt ");
    ASSERT_EQ(U32(wav, 16), 16u);
    EXPECT_EQ(U16(wav, 20), 1u);   // PCM
    EXPECT_EQ(U16(wav, 22), 1u);   // mono
    const std::uint32_t rate = U32(wav, 24);
    EXPECT_EQ(rate, 44100u);
    EXPECT_EQ(U32(wav, 28), rate * 2);
    EXPECT_EQ(U16(wav, 32), 2u);
    EXPECT_EQ(U16(wav, 34), 16u);
    ASSERT_EQ(std::string(wav.begin() + 36, wav.begin() + 40), "data");
    const std::uint32_t dataBytes = U32(wav, 40);
    ASSERT_EQ(44 + dataBytes, wav.size());
    const double seconds = dataBytes / 2.0 / rate;
    EXPECT_GE(seconds, 2.5);
    EXPECT_LE(seconds, 3.5);

    std::vector<int> samples;
    for (std::size_t at = 44; at + 1 < wav.size(); at += 2) {
        samples.push_back(static_cast<std::int16_t>(U16(wav, at)));
    }
    int peak = 0;
    std::size_t quiet = 0;
    for (int s : samples) {
        peak = std::max(peak, std::abs(s));
        quiet += std::abs(s) < 50;
    }
    EXPECT_GT(peak, 16000) << "loud enough to be heard";
    EXPECT_LT(peak, 32767) << "never clipped";
    // Beeps with pauses between them, not one continuous tone.
    EXPECT_GT(quiet, samples.size() / 5);
    EXPECT_LT(quiet, samples.size() * 4 / 5);
    EXPECT_EQ(samples.front(), 0);
    EXPECT_EQ(samples.back(), 0);
}

namespace tp = resources::tray_picture;

TEST(TrayPicture, HasABlackOnePixelBorderAndOnlyItsThreeColours) {
    std::set<std::uint32_t> colours;
    for (int y = 0; y < tp::kSize; ++y) {
        for (int x = 0; x < tp::kSize; ++x) {
            const bool edge = x == 0 || y == 0 || x == tp::kSize - 1 || y == tp::kSize - 1;
            if (edge) {
                EXPECT_EQ(tp::PixelAt(x, y), tp::kBlack) << x << "," << y;
            }
            if (x == 1 && y == 1) {
                EXPECT_EQ(tp::PixelAt(x, y), tp::kLightCyan) << "border is one pixel";
            }
            colours.insert(tp::PixelAt(x, y));
        }
    }
    EXPECT_EQ(colours, (std::set<std::uint32_t>{tp::kBlack, tp::kBlue, tp::kLightCyan}));
    EXPECT_EQ(tp::kBlue, 0xFF000000u | 7u << 16 | 162u << 8 | 254u);
    EXPECT_EQ(tp::kLightCyan, 0xFF000000u | 177u << 16 | 255u << 8 | 255u);
}

TEST(TrayPicture, BlueVIsOutlinedInBlackAndNarrowsToAPointAtTheBottom) {
    int firstBlueRow = -1, lastBlueRow = -1;
    std::vector<int> widths(tp::kSize, 0);
    for (int y = 0; y < tp::kSize; ++y) {
        for (int x = 0; x < tp::kSize; ++x) {
            EXPECT_EQ(tp::PixelAt(x, y), tp::PixelAt(tp::kSize - 1 - x, y)) << "symmetric at " << x << "," << y;
            if (tp::PixelAt(x, y) != tp::kBlue) continue;
            if (firstBlueRow < 0) firstBlueRow = y;
            lastBlueRow = y;
            ++widths[y];
            for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
                EXPECT_NE(tp::PixelAt(x + dx, y + dy), tp::kLightCyan) << "blue touches cyan at " << x << "," << y;
            }
        }
    }
    ASSERT_GE(firstBlueRow, 0);
    EXPECT_GT(lastBlueRow - firstBlueRow, 6);
    // Two arms at the top, side by side, apart; one narrow point at the bottom, in the middle.
    EXPECT_NE(tp::PixelAt(7, firstBlueRow), tp::kBlue);
    EXPECT_EQ(widths[firstBlueRow], 4);
    EXPECT_EQ(tp::PixelAt(7, lastBlueRow), tp::kBlue);
    EXPECT_EQ(tp::PixelAt(8, lastBlueRow), tp::kBlue);
    EXPECT_EQ(widths[lastBlueRow], 2);
}

}  // namespace
