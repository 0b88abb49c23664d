// Walks a PE32 image's import descriptors and name thunks; every offset is checked before it is read.
#include "tests/support/PeImports.h"

#include <algorithm>

namespace audit {
namespace {

constexpr std::uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
constexpr std::uint16_t kMachineI386 = 0x014C;
constexpr std::uint16_t kMagicPe32 = 0x010B;
constexpr std::size_t kDosHeaderSize = 0x40;
constexpr std::size_t kFileHeaderSize = 20;
constexpr std::size_t kDirectoryCountOffset = 92;  // in the PE32 optional header
constexpr std::size_t kImportDirectoryOffset = 104;
constexpr std::size_t kSectionHeaderSize = 40;
constexpr std::size_t kDescriptorSize = 20;
constexpr std::uint32_t kOrdinalFlag = 0x80000000u;
// Many descriptors may share one long lookup table; this keeps a hostile file from growing the list without end.
constexpr std::size_t kMaxImports = 65536;

struct Malformed {
    std::string what;
};

std::string Hex(std::uint64_t value) {
    constexpr char kDigits[] = "0123456789abcdef";
    std::string digits;
    do {
        digits.insert(digits.begin(), kDigits[value % 16]);
        value /= 16;
    } while (value != 0);
    return "0x" + digits;
}

std::uint16_t U16(std::span<const std::uint8_t> at) {
    return static_cast<std::uint16_t>(at[0] | at[1] << 8);
}
std::uint32_t U32(std::span<const std::uint8_t> at) {
    return U16(at) | static_cast<std::uint32_t>(U16(at.subspan(2))) << 16;
}

struct Section {
    std::uint32_t virtualAddress = 0;
    std::uint32_t extent = 0;  // the larger of the virtual and the raw size
    std::span<const std::uint8_t> raw;
};

class Image {
public:
    explicit Image(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    // `size` bytes at a file offset.
    std::span<const std::uint8_t> File(std::uint64_t offset, std::uint64_t size, const char* what) const {
        if (offset > bytes_.size() || size > bytes_.size() - offset)
            throw Malformed{"truncated: the " + std::string(what) + " (" + std::to_string(size) +
                            " bytes at offset " + Hex(offset) + ") runs past the end of the " +
                            std::to_string(bytes_.size()) + "-byte file"};
        return bytes_.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(size));
    }

    void AddSection(const Section& section) { sections_.push_back(section); }

    // The bytes from `rva` to the end of the raw data of the section that holds it: at least `size` of them.
    std::span<const std::uint8_t> Mapped(std::uint64_t rva, std::uint64_t size, const std::string& what) const {
        for (const Section& section : sections_) {
            if (rva < section.virtualAddress || rva - section.virtualAddress >= section.extent) continue;
            const std::uint64_t into = rva - section.virtualAddress;
            if (into > section.raw.size() || size > section.raw.size() - into)
                throw Malformed{"the " + what + " at RVA " + Hex(rva) + " runs past its section's data"};
            return section.raw.subspan(static_cast<std::size_t>(into));
        }
        throw Malformed{"the " + what + " at RVA " + Hex(rva) + " lies in no section"};
    }

    // A NUL-terminated string at `rva`, which must end inside its section's data.
    std::string String(std::uint64_t rva, const std::string& what) const {
        const std::span<const std::uint8_t> rest = Mapped(rva, 1, what);
        const auto end = std::find(rest.begin(), rest.end(), std::uint8_t{0});
        if (end == rest.end())
            throw Malformed{"the " + what + " at RVA " + Hex(rva) + " is not terminated inside its section"};
        if (end == rest.begin()) throw Malformed{"the " + what + " at RVA " + Hex(rva) + " is empty"};
        return std::string(rest.begin(), end);
    }

private:
    std::span<const std::uint8_t> bytes_;
    std::vector<Section> sections_;
};

// Reads the headers and section table; returns the import directory's RVA (0 when the image has none).
std::uint32_t ReadHeaders(Image& image) {
    const auto dos = image.File(0, kDosHeaderSize, "DOS header");
    if (dos[0] != 'M' || dos[1] != 'Z') throw Malformed{"not an executable: no MZ signature"};
    const std::uint32_t pe = U32(dos.subspan(0x3C));
    const auto fileHeader = image.File(pe, 4 + kFileHeaderSize, "PE header");
    if (U32(fileHeader) != kPeSignature) throw Malformed{"no PE signature at offset " + Hex(pe)};
    const std::uint16_t machine = U16(fileHeader.subspan(4));
    if (machine != kMachineI386) throw Malformed{"machine " + Hex(machine) + " is not i386"};
    const std::uint16_t sectionCount = U16(fileHeader.subspan(6));
    const std::uint16_t optionalSize = U16(fileHeader.subspan(20));

    const std::uint64_t optionalOffset = std::uint64_t{pe} + 4 + kFileHeaderSize;
    const auto optional = image.File(optionalOffset, optionalSize, "optional header");
    if (optional.size() < 2 || U16(optional) != kMagicPe32) throw Malformed{"not a PE32 image (optional header magic)"};

    const auto table = image.File(optionalOffset + optionalSize, std::uint64_t{sectionCount} * kSectionHeaderSize,
                                  "section table");
    for (std::size_t i = 0; i < sectionCount; ++i) {
        const auto header = table.subspan(i * kSectionHeaderSize, kSectionHeaderSize);
        const std::uint32_t virtualSize = U32(header.subspan(8));
        const std::uint32_t rawSize = U32(header.subspan(16));
        image.AddSection({U32(header.subspan(12)), std::max(virtualSize, rawSize),
                          image.File(U32(header.subspan(20)), rawSize, "section data")});
    }

    if (optional.size() < kImportDirectoryOffset + 8 || U32(optional.subspan(kDirectoryCountOffset)) < 2) return 0;
    return U32(optional.subspan(kImportDirectoryOffset));
}

void ReadThunks(const Image& image, const std::string& dll, std::uint32_t tableRva, std::vector<Import>& out) {
    for (std::uint64_t rva = tableRva;; rva += 4) {
        const std::uint32_t thunk = U32(image.Mapped(rva, 4, "import lookup table of " + dll));
        if (thunk == 0) return;
        if (out.size() == kMaxImports) throw Malformed{"more than " + std::to_string(kMaxImports) + " imports"};
        if (thunk & kOrdinalFlag) {
            out.push_back({dll, {}, static_cast<std::uint16_t>(thunk & 0xFFFF), true});
        } else {
            // A hint (two bytes) precedes the name.
            image.Mapped(thunk, 2, "hint of an import from " + dll);
            out.push_back({dll, image.String(std::uint64_t{thunk} + 2, "name of an import from " + dll), 0, false});
        }
    }
}

std::vector<Import> Walk(std::span<const std::uint8_t> bytes) {
    Image image(bytes);
    const std::uint32_t directory = ReadHeaders(image);
    std::vector<Import> imports;
    if (directory == 0) return imports;
    for (std::uint64_t index = 0;; ++index) {
        const std::uint64_t rva = directory + index * kDescriptorSize;
        const std::string name = "import descriptor " + std::to_string(index);
        const auto descriptor = image.Mapped(rva, kDescriptorSize, name);
        if (std::all_of(descriptor.begin(), descriptor.begin() + kDescriptorSize, [](std::uint8_t b) { return b == 0; }))
            return imports;
        const std::uint32_t lookup = U32(descriptor);
        const std::uint32_t dllName = U32(descriptor.subspan(12));
        const std::uint32_t firstThunk = U32(descriptor.subspan(16));
        if (dllName == 0) throw Malformed{name + " has no DLL name"};
        const std::string dll = image.String(dllName, "DLL name of " + name);
        // Without a lookup table the import address table, unbound on disk, lists the same thunks.
        const std::uint32_t thunks = lookup != 0 ? lookup : firstThunk;
        if (thunks == 0) throw Malformed{dll + " has no import lookup table"};
        ReadThunks(image, dll, thunks, imports);
    }
}

}  // namespace

std::string Import::Describe() const {
    std::string described = dll + "!";
    if (byOrdinal) described += '#';
    described += byOrdinal ? std::to_string(ordinal) : name;
    return described;
}

ImportTable ReadImports(std::span<const std::uint8_t> image) {
    try {
        return {Walk(image), {}};
    } catch (const Malformed& malformed) {
        return {{}, malformed.what};
    }
}

}  // namespace audit
