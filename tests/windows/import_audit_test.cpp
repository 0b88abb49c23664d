// The real program's imports checked against tests/support/allowed_imports.txt: Wine exports every
// function by name, so only this audit notices an import that stops the loader on Windows 7.
#include "tests/support/PeImports.h"

#include "AllowedImports.h"

#include "tests/windows/TestSupport.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Windows releases in order, as the list names them; "every" is msvcrt.dll, which every Windows has.
constexpr std::array<std::string_view, 10> kReleases = {"every", "NT4", "2000", "XP", "Vista",
                                                        "7",     "8",   "8.1",  "10", "11"};
constexpr std::string_view kOldestSupported = "7";

using testsupport::ProgramExecutable;

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// "dll!function" with the DLL in lower case, the form both sides are compared in.
std::string Key(const std::string& dll, const std::string& function) { return Lower(dll) + "!" + function; }

struct Entry {
    std::string shown;  // "DLL!function" as the list spells it
    std::string oldest;
};

struct AllowedList {
    std::map<std::string, Entry> byKey;
    std::vector<std::string> malformedLines;
};

AllowedList ReadAllowedList() {
    AllowedList list;
    std::istringstream in{std::string(audit::kAllowedImports)};
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.find_first_not_of(" \t") == std::string::npos || line.front() == '#') continue;
        std::istringstream fields(line);
        std::string dll, function, oldest, extra;
        if (!(fields >> dll >> function >> oldest) || (fields >> extra)) {
            list.malformedLines.push_back(line);
            continue;
        }
        list.byKey[Key(dll, function)] = {dll + "!" + function, oldest};
    }
    return list;
}

std::string Lines(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& item : items) out += "\n  " + item;
    return out;
}

TEST(ImportAudit, ListNamesNothingNewerThanWindows7) {
    const AllowedList list = ReadAllowedList();
    EXPECT_TRUE(list.malformedLines.empty())
        << "lines that are not \"DLL function oldest-Windows\":" << Lines(list.malformedLines);
    ASSERT_FALSE(list.byKey.empty());

    const auto supported = std::find(kReleases.begin(), kReleases.end(), kOldestSupported);
    std::vector<std::string> tooNew;
    for (const auto& [key, entry] : list.byKey) {
        const auto release = std::find(kReleases.begin(), kReleases.end(), entry.oldest);
        if (release == kReleases.end()) {
            tooNew.push_back(entry.shown + " (\"" + entry.oldest + "\" is no Windows release the list knows)");
        } else if (release > supported) {
            tooNew.push_back(entry.shown + " (Windows " + entry.oldest + "): look it up at run time instead");
        }
    }
    EXPECT_TRUE(tooNew.empty()) << "entries newer than Windows 7 or of no known Windows:" << Lines(tooNew);
}

TEST(ImportAudit, ProgramImportsOnlyListedFunctions) {
    const std::filesystem::path program = ProgramExecutable();
    const std::vector<std::uint8_t> bytes = testsupport::ReadWholeFile(program.wstring());
    ASSERT_FALSE(bytes.empty()) << "cannot read " << program.string();
    const audit::ImportTable table = audit::ReadImports(bytes);
    ASSERT_TRUE(table.Ok()) << program.string() << ": " << table.error;
    ASSERT_FALSE(table.imports.empty());

    const AllowedList list = ReadAllowedList();
    std::vector<std::string> unlisted;
    for (const audit::Import& import : table.imports) {
        const std::string described = import.Describe();
        const std::string function = described.substr(described.find('!') + 1);  // name, or #ordinal
        if (!list.byKey.contains(Key(import.dll, function))) unlisted.push_back(described);
    }
    EXPECT_TRUE(unlisted.empty()) << "imports missing from tests/support/allowed_imports.txt (check each one's "
                                     "\"Minimum supported client\" and add it, or look it up at run time):"
                                  << Lines(unlisted);
}

}  // namespace
