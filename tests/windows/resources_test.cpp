// The executable's resources read back with the platform's own functions: the icon group and its
// images, the version record, and the absence of a manifest. Checked on the real program (when it
// is built) and on this test executable, which links the same .rc.
#include "core/Handles.h"

#include "tests/windows/TestSupport.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace {

using UniqueLibrary = core::UniqueModule;

using testsupport::ProgramExecutable;
using testsupport::ThisExecutable;

struct Resource {
    const std::uint8_t* data = nullptr;
    DWORD size = 0;
};

Resource Find(HMODULE module, WORD id, LPCWSTR type) {
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), type);
    if (!found) return {};
    HGLOBAL loaded = LoadResource(module, found);
    return {static_cast<const std::uint8_t*>(LockResource(loaded)), SizeofResource(module, found)};
}

std::uint32_t U16(const std::uint8_t* p) { return static_cast<std::uint32_t>(p[0] | p[1] << 8); }
std::uint32_t U32(const std::uint8_t* p) { return U16(p) | U16(p + 2) << 16; }

// One node of a version record: length, value length, type, key, value, children, each aligned
// to 32 bits.
struct VersionNode {
    std::wstring key;
    std::vector<std::uint8_t> value;
    bool text = false;
    std::vector<VersionNode> children;
};

std::size_t Align4(std::size_t n) { return (n + 3) & ~std::size_t{3}; }

VersionNode ParseVersionNode(const std::uint8_t* base, std::size_t at, std::size_t end) {
    VersionNode node;
    const std::size_t length = U16(base + at);
    const std::size_t valueLength = U16(base + at + 2);
    node.text = U16(base + at + 4) == 1;
    const std::size_t nodeEnd = std::min(end, at + length);
    std::size_t p = at + 6;
    while (p + 1 < nodeEnd && U16(base + p) != 0) {
        node.key.push_back(static_cast<wchar_t>(U16(base + p)));
        p += 2;
    }
    p = Align4(p + 2);
    // A text value's length counts characters (with the terminating zero); others count bytes.
    const std::size_t valueBytes = node.text ? valueLength * 2 : valueLength;
    if (p + valueBytes <= nodeEnd) node.value.assign(base + p, base + p + valueBytes);
    p = Align4(p + valueBytes);
    while (p + 6 <= nodeEnd && U16(base + p) != 0) {
        node.children.push_back(ParseVersionNode(base, p, nodeEnd));
        p = Align4(p + U16(base + p));
    }
    return node;
}

std::wstring TextOf(const VersionNode& node) {
    std::wstring text;
    for (std::size_t i = 0; i + 1 < node.value.size(); i += 2) {
        const wchar_t ch = static_cast<wchar_t>(node.value[i] | node.value[i + 1] << 8);
        if (ch == 0) break;
        text.push_back(ch);
    }
    return text;
}

BOOL CALLBACK CollectType(HMODULE, LPWSTR type, LONG_PTR list) {
    reinterpret_cast<std::vector<ULONG_PTR>*>(list)->push_back(reinterpret_cast<ULONG_PTR>(type));
    return TRUE;
}

enum class Subject { Program, TestExecutable };

void PrintTo(Subject subject, std::ostream* out) {
    *out << (subject == Subject::Program ? "the program" : "the test executable");
}

class ExecutableResources : public ::testing::TestWithParam<Subject> {
protected:
    void SetUp() override {
        path_ = GetParam() == Subject::Program ? ProgramExecutable() : ThisExecutable();
        if (!std::filesystem::exists(path_)) GTEST_SKIP() << "not built: " << path_.string();
        library_.reset(LoadLibraryExW(path_.c_str(), nullptr,
                                      LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
        ASSERT_TRUE(library_) << "cannot open " << path_.string() << ": " << GetLastError();
    }

    HMODULE Module() const { return library_.get(); }

    std::filesystem::path path_;
    UniqueLibrary library_;
};

struct ExpectedImage {
    WORD id;
    int size;
    int bits;
    DWORD bytes;
};
constexpr ExpectedImage kImages[] = {
    {30001, 32, 24, 3240}, {30002, 256, 32, 270376}, {30003, 128, 32, 67624}, {30004, 48, 32, 9640}};

TEST_P(ExecutableResources, IconGroupOneListsItsFourBitmapImagesInOrder) {
    const Resource group = Find(Module(), 1, RT_GROUP_ICON);
    ASSERT_NE(group.data, nullptr);
    ASSERT_EQ(group.size, 6u + 4 * 14);
    EXPECT_EQ(U16(group.data + 2), 1u);
    ASSERT_EQ(U16(group.data + 4), 4u);
    for (int i = 0; i < 4; ++i) {
        const std::uint8_t* entry = group.data + 6 + 14 * i;
        const ExpectedImage& want = kImages[i];
        EXPECT_EQ(entry[0] == 0 ? 256 : entry[0], want.size) << i;
        EXPECT_EQ(entry[1] == 0 ? 256 : entry[1], want.size) << i;
        EXPECT_EQ(U16(entry + 6), static_cast<std::uint32_t>(want.bits)) << i;
        EXPECT_EQ(U32(entry + 8), want.bytes) << i;
        EXPECT_EQ(U16(entry + 12), want.id) << i;

        const Resource image = Find(Module(), want.id, RT_ICON);
        ASSERT_NE(image.data, nullptr) << want.id;
        EXPECT_EQ(image.size, want.bytes) << want.id;
        ASSERT_GE(image.size, sizeof(BITMAPINFOHEADER));
        BITMAPINFOHEADER header;
        std::memcpy(&header, image.data, sizeof header);  // a DIB, not a PNG stream
        EXPECT_EQ(header.biSize, sizeof(BITMAPINFOHEADER)) << want.id;
        EXPECT_EQ(header.biWidth, want.size) << want.id;
        EXPECT_EQ(header.biHeight, 2 * want.size) << want.id;
        EXPECT_EQ(header.biBitCount, want.bits) << want.id;
        EXPECT_EQ(header.biCompression, static_cast<DWORD>(BI_RGB)) << want.id;
    }
    EXPECT_EQ(FindResourceW(Module(), MAKEINTRESOURCEW(30005), RT_ICON), nullptr);
}

TEST_P(ExecutableResources, WindowsPicksTheMatchingImageAndBuildsAnIconOfThatSize) {
    const Resource group = Find(Module(), 1, RT_GROUP_ICON);
    ASSERT_NE(group.data, nullptr);
    auto* directory = const_cast<PBYTE>(group.data);
    for (const ExpectedImage& want : kImages) {
        EXPECT_EQ(LookupIconIdFromDirectoryEx(directory, TRUE, want.size, want.size, LR_DEFAULTCOLOR), want.id)
            << want.size;
        const Resource image = Find(Module(), want.id, RT_ICON);
        ASSERT_NE(image.data, nullptr);
        core::UniqueIcon icon(CreateIconFromResourceEx(const_cast<PBYTE>(image.data), image.size, TRUE,
                                                     0x00030000, 0, 0, LR_DEFAULTCOLOR));
        ASSERT_TRUE(icon) << want.id;
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon.get(), &info));
        core::UniqueBitmap colour(info.hbmColor), mask(info.hbmMask);
        BITMAP bitmap{};
        GetObjectW(colour ? colour.get() : mask.get(), sizeof bitmap, &bitmap);
        EXPECT_EQ(bitmap.bmWidth, want.size) << want.id;
    }
}

TEST_P(ExecutableResources, CarriesNoManifest) {
    EXPECT_EQ(FindResourceW(Module(), MAKEINTRESOURCEW(1), RT_MANIFEST), nullptr);
    EXPECT_EQ(FindResourceW(Module(), MAKEINTRESOURCEW(2), RT_MANIFEST), nullptr);
    std::vector<ULONG_PTR> types;
    EnumResourceTypesW(Module(), CollectType, reinterpret_cast<LONG_PTR>(&types));
    EXPECT_FALSE(types.empty());
    for (ULONG_PTR type : types) EXPECT_NE(type, reinterpret_cast<ULONG_PTR>(RT_MANIFEST));
}

TEST_P(ExecutableResources, VersionRecordHoldsExactlyItsNumbersAndSixStrings) {
    const Resource record = Find(Module(), 1, RT_VERSION);
    ASSERT_NE(record.data, nullptr);
    const VersionNode root = ParseVersionNode(record.data, 0, record.size);
    EXPECT_EQ(root.key, L"VS_VERSION_INFO");
    ASSERT_EQ(root.value.size(), sizeof(VS_FIXEDFILEINFO));
    VS_FIXEDFILEINFO fixed;
    std::memcpy(&fixed, root.value.data(), sizeof fixed);
    EXPECT_EQ(fixed.dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed.dwFileVersionMS, 0x00070000u);
    EXPECT_EQ(fixed.dwFileVersionLS, 0u);
    EXPECT_EQ(fixed.dwProductVersionMS, 0x00070000u);
    EXPECT_EQ(fixed.dwProductVersionLS, 0u);
    EXPECT_EQ(fixed.dwFileFlags, 0u);
    EXPECT_EQ(fixed.dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
    EXPECT_EQ(fixed.dwFileType, static_cast<DWORD>(VFT_APP));

    ASSERT_EQ(root.children.size(), 2u);
    const VersionNode& strings = root.children[0];
    EXPECT_EQ(strings.key, L"StringFileInfo");
    ASSERT_EQ(strings.children.size(), 1u);
    EXPECT_EQ(strings.children[0].key, L"040904B0");
    std::vector<std::pair<std::wstring, std::wstring>> values;
    for (const VersionNode& value : strings.children[0].children) values.emplace_back(value.key, TextOf(value));
    const std::vector<std::pair<std::wstring, std::wstring>> expected = {
        {L"CompanyName", L"Vendrel"},
        {L"ProductName", L"Corvalin Timer Software"},
        {L"FileVersion", L"7.00"},
        {L"ProductVersion", L"7.00"},
        {L"InternalName", L"Corvalin Timer Software"},
        {L"OriginalFilename", L"Corvalin Timer Software.exe"},
    };
    EXPECT_EQ(values, expected);

    const VersionNode& variables = root.children[1];
    EXPECT_EQ(variables.key, L"VarFileInfo");
    ASSERT_EQ(variables.children.size(), 1u);
    EXPECT_EQ(variables.children[0].key, L"Translation");
    EXPECT_EQ(variables.children[0].value, (std::vector<std::uint8_t>{0x09, 0x04, 0xB0, 0x04}));
}

// The same record through version.dll, the way Explorer's properties read it from the file.
TEST_P(ExecutableResources, VersionFunctionsReadTheRecordFromTheFile) {
    UniqueLibrary version(LoadLibraryW(L"version.dll"));
    ASSERT_TRUE(version);
    using SizeFn = DWORD(WINAPI*)(LPCWSTR, LPDWORD);
    using InfoFn = BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, LPVOID);
    using QueryFn = BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT);
    // Through a generic function pointer first: GCC warns on a direct cast between function types.
    const auto load = [&](const char* name) {
        return reinterpret_cast<void (*)()>(GetProcAddress(version.get(), name));
    };
    const auto sizeOf = reinterpret_cast<SizeFn>(load("GetFileVersionInfoSizeW"));
    const auto info = reinterpret_cast<InfoFn>(load("GetFileVersionInfoW"));
    const auto query = reinterpret_cast<QueryFn>(load("VerQueryValueW"));
    ASSERT_TRUE(sizeOf && info && query);

    DWORD ignored = 0;
    const DWORD size = sizeOf(path_.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<std::uint8_t> block(size);
    ASSERT_TRUE(info(path_.c_str(), 0, size, block.data()));

    const auto text = [&](const wchar_t* name) {
        void* value = nullptr;
        UINT length = 0;
        const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
        if (!query(block.data(), path.c_str(), &value, &length) || !value) return std::wstring(L"<none>");
        return std::wstring(static_cast<const wchar_t*>(value));
    };
    EXPECT_EQ(text(L"CompanyName"), L"Vendrel");
    EXPECT_EQ(text(L"ProductName"), L"Corvalin Timer Software");
    EXPECT_EQ(text(L"FileVersion"), L"7.00");
    EXPECT_EQ(text(L"ProductVersion"), L"7.00");
    EXPECT_EQ(text(L"InternalName"), L"Corvalin Timer Software");
    EXPECT_EQ(text(L"OriginalFilename"), L"Corvalin Timer Software.exe");
    EXPECT_EQ(text(L"FileDescription"), L"<none>");
    EXPECT_EQ(text(L"LegalCopyright"), L"<none>");

    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(query(block.data(), L"\\", &value, &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(HIWORD(fixed->dwFileVersionMS), 7u);
    EXPECT_EQ(LOWORD(fixed->dwFileVersionMS), 0u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);

    ASSERT_TRUE(query(block.data(), L"\\VarFileInfo\\Translation", &value, &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(static_cast<const WORD*>(value)[0], 0x0409);
    EXPECT_EQ(static_cast<const WORD*>(value)[1], 0x04B0);
}

INSTANTIATE_TEST_SUITE_P(Resources, ExecutableResources,
                         ::testing::Values(Subject::Program, Subject::TestExecutable),
                         [](const auto& info) {
                             return std::string(info.param == Subject::Program ? "Program" : "TestExecutable");
                         });

}  // namespace
