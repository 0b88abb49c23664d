// A portable copy's settings file beside the program: read whole, and replaced whole at every write,
// so that a crash, a kill or a full disk in the middle of one leaves the previous file as it was.
#pragma once

#include "core/IniText.h"

#include <optional>
#include <string>

namespace core {

class SettingsFile {
public:
    explicit SettingsFile(std::wstring path) : path_(std::move(path)) {}

    const std::wstring& Path() const { return path_; }
    // The temporary file each write fills before it takes the file's place; one left by an
    // interrupted write is never read, and the next write replaces it.
    std::wstring TemporaryPath() const { return path_ + L".tmp"; }

    // The file's sections; none when there is no file yet. Nothing when it cannot be read.
    std::optional<IniDocument> Load() const;
    // Writes the document to the temporary file, flushed to the disk, and moves it over the file in
    // one step. False, with the file untouched, when the folder or the disk refuses.
    bool Save(const IniDocument& document) const;

private:
    std::wstring path_;
};

}  // namespace core
