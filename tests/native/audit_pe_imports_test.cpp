// The PE import reader on images built byte by byte: names and ordinals read back, malformed tables refused.
#include "tests/support/PeImports.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

// Layout of the images below: headers, then one section holding the import table, at a fixed place.
constexpr std::size_t kPeOffset = 0x40;
constexpr std::size_t kOptionalOffset = kPeOffset + 24;
constexpr std::size_t kOptionalSize = 96 + 16 * 8;
constexpr std::size_t kImportDirectoryField = kOptionalOffset + 104;
constexpr std::size_t kSectionHeaderOffset = kOptionalOffset + kOptionalSize;
constexpr std::size_t kSectionOffset = 0x200;
constexpr std::uint32_t kSectionRva = 0x1000;
constexpr std::size_t kDescriptorSize = 20;

void Set16(Bytes& out, std::size_t at, std::uint32_t value) {
    out[at] = static_cast<std::uint8_t>(value & 0xFF);
    out[at + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}
void Set32(Bytes& out, std::size_t at, std::uint32_t value) {
    Set16(out, at, value & 0xFFFF);
    Set16(out, at + 2, value >> 16);
}

struct Dll {
    std::string name;
    std::vector<std::string> functions;  // "#410" imports by ordinal
};

// The section: descriptors, then each DLL's lookup table, then the names. The last bytes of the
// section are the NUL of the last name, so overwriting them leaves that name unterminated.
Bytes ImportSection(const std::vector<Dll>& dlls) {
    std::size_t tables = (dlls.size() + 1) * kDescriptorSize;
    for (const Dll& dll : dlls) tables += (dll.functions.size() + 1) * 4;
    Bytes section(tables, 0);
    const auto append = [&section](std::string_view text) {
        const auto rva = static_cast<std::uint32_t>(kSectionRva + section.size());
        section.insert(section.end(), text.begin(), text.end());
        section.push_back(0);
        return rva;
    };
    std::size_t lookup = (dlls.size() + 1) * kDescriptorSize;
    for (std::size_t i = 0; i < dlls.size(); ++i) {
        const auto lookupRva = static_cast<std::uint32_t>(kSectionRva + lookup);
        Set32(section, i * kDescriptorSize, lookupRva);
        Set32(section, i * kDescriptorSize + 12, append(dlls[i].name));
        Set32(section, i * kDescriptorSize + 16, lookupRva);
        for (const std::string& function : dlls[i].functions) {
            if (function.front() == '#') {
                Set32(section, lookup, 0x80000000u | static_cast<std::uint32_t>(std::stoul(function.substr(1))));
            } else {
                section.push_back(0x2A);  // hint
                section.push_back(0);
                Set32(section, lookup, append(function) - 2);
            }
            lookup += 4;
        }
        lookup += 4;
    }
    return section;
}

// A PE32 i386 image with one section that holds the import table of `dlls`.
Bytes TinyPe(const std::vector<Dll>& dlls) {
    const Bytes section = ImportSection(dlls);
    Bytes image(kSectionOffset, 0);
    image[0] = 'M';
    image[1] = 'Z';
    Set32(image, 0x3C, kPeOffset);
    Set32(image, kPeOffset, 0x00004550);
    Set16(image, kPeOffset + 4, 0x014C);
    Set16(image, kPeOffset + 6, 1);
    Set16(image, kPeOffset + 20, kOptionalSize);
    Set16(image, kOptionalOffset, 0x010B);
    Set32(image, kOptionalOffset + 92, 16);
    Set32(image, kImportDirectoryField, kSectionRva);
    Set32(image, kImportDirectoryField + 4, static_cast<std::uint32_t>((dlls.size() + 1) * kDescriptorSize));
    for (std::size_t i = 0; i < 6; ++i) image[kSectionHeaderOffset + i] = static_cast<std::uint8_t>(".idata"[i]);
    Set32(image, kSectionHeaderOffset + 8, static_cast<std::uint32_t>(section.size()));
    Set32(image, kSectionHeaderOffset + 12, kSectionRva);
    Set32(image, kSectionHeaderOffset + 16, static_cast<std::uint32_t>(section.size()));
    Set32(image, kSectionHeaderOffset + 20, kSectionOffset);
    image.insert(image.end(), section.begin(), section.end());
    return image;
}

const std::vector<Dll> kTwoDlls = {{"KERNEL32.dll", {"GetTickCount64", "Sleep"}},
                                   {"COMCTL32.dll", {"#410", "InitCommonControlsEx"}}};

std::vector<std::string> Described(const audit::ImportTable& table) {
    std::vector<std::string> out;
    for (const audit::Import& import : table.imports) out.push_back(import.Describe());
    return out;
}

TEST(PeImports, ReadsEachDllsNamesAndOrdinalsInTableOrder) {
    const audit::ImportTable table = audit::ReadImports(TinyPe(kTwoDlls));
    ASSERT_TRUE(table.Ok()) << table.error;
    EXPECT_EQ(Described(table), (std::vector<std::string>{"KERNEL32.dll!GetTickCount64", "KERNEL32.dll!Sleep",
                                                          "COMCTL32.dll!#410", "COMCTL32.dll!InitCommonControlsEx"}));
    const audit::Import& byOrdinal = table.imports[2];
    EXPECT_TRUE(byOrdinal.byOrdinal);
    EXPECT_EQ(byOrdinal.ordinal, 410);
    EXPECT_TRUE(byOrdinal.name.empty());
    EXPECT_FALSE(table.imports[3].byOrdinal);

    // Without lookup tables the (unbound) address tables list the same imports.
    Bytes noLookup = TinyPe(kTwoDlls);
    Set32(noLookup, kSectionOffset, 0);
    Set32(noLookup, kSectionOffset + kDescriptorSize, 0);
    EXPECT_EQ(Described(audit::ReadImports(noLookup)), Described(table));

    Bytes noImports = TinyPe({});
    Set32(noImports, kImportDirectoryField, 0);
    const audit::ImportTable none = audit::ReadImports(noImports);
    EXPECT_TRUE(none.Ok()) << none.error;
    EXPECT_TRUE(none.imports.empty());
}

TEST(PeImports, MalformedTableGivesAnErrorThatNamesTheFault) {
    constexpr std::size_t kFirstDescriptor = kSectionOffset;
    constexpr std::size_t kFirstLookup = kSectionOffset + 3 * kDescriptorSize;
    struct Case {
        const char* what;
        void (*spoil)(Bytes&);
        const char* expected;
    };
    const Case cases[] = {
        {"DLL name RVA zero", [](Bytes& b) { Set32(b, kFirstDescriptor + 12, 0); }, "has no DLL name"},
        {"DLL name outside every section", [](Bytes& b) { Set32(b, kFirstDescriptor + 12, 0x9000); },
         "lies in no section"},
        {"import directory outside every section", [](Bytes& b) { Set32(b, kImportDirectoryField, 0x5000); },
         "lies in no section"},
        {"function name outside every section", [](Bytes& b) { Set32(b, kFirstLookup, 0x7FFFFFF0); },
         "lies in no section"},
        {"last name unterminated", [](Bytes& b) { b.back() = 'x'; }, "not terminated"},
        {"descriptor cut by the end of the section",  // the section ends the file: a read past it is a crash
         [](Bytes& b) {
             Set32(b, kImportDirectoryField, static_cast<std::uint32_t>(kSectionRva + b.size() - kSectionOffset - 10));
         },
         "runs past its section's data"},
        {"section data past the end of the file", [](Bytes& b) { Set32(b, kSectionHeaderOffset + 20, 0x10000); },
         "truncated"},
        {"not i386", [](Bytes& b) { Set16(b, kPeOffset + 4, 0x8664); }, "not i386"},
        {"PE32+", [](Bytes& b) { Set16(b, kOptionalOffset, 0x020B); }, "not a PE32 image"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes image = TinyPe(kTwoDlls);
        c.spoil(image);
        const audit::ImportTable table = audit::ReadImports(image);
        EXPECT_FALSE(table.Ok());
        EXPECT_NE(table.error.find(c.expected), std::string::npos) << table.error;
        EXPECT_TRUE(table.imports.empty());
    }
}

// Run under the address sanitizer, this shows that no cut of the file makes the reader read past its end.
TEST(PeImports, EveryTruncatedFileGivesAnErrorNotARead) {
    const Bytes good = TinyPe(kTwoDlls);
    for (std::size_t size = 0; size < good.size(); ++size) {
        const Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size));
        const audit::ImportTable table = audit::ReadImports(cut);
        EXPECT_FALSE(table.Ok()) << "cut to " << size << " bytes";
        EXPECT_TRUE(table.imports.empty());
    }
}

}  // namespace
