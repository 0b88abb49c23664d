// Reads the import table of a 32-bit PE image from its bytes, to audit what the program asks of the loader.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace audit {

// One function the loader must find before the program runs: by name, or by ordinal alone.
struct Import {
    std::string dll;
    std::string name;  // empty when imported by ordinal
    std::uint16_t ordinal = 0;
    bool byOrdinal = false;

    // "DLL!Name", or "DLL!#ordinal" for an import by ordinal.
    std::string Describe() const;
};

// The imports in the order the table lists them, or an error that says what is malformed (and no imports).
struct ImportTable {
    std::vector<Import> imports;
    std::string error;

    bool Ok() const { return error.empty(); }
};

// PE32 (i386) only. Every read is checked against the bytes given and the section that holds it.
ImportTable ReadImports(std::span<const std::uint8_t> image);

}  // namespace audit
