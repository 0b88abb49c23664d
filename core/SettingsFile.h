// A portable copy's settings file beside the program: read whole, and written so that a crash, a kill
// or a full disk in the middle of a write leaves the previous file or the new one, never a mix.
#pragma once

#include "core/IniText.h"

#include <optional>
#include <string>

namespace core {

class SettingsFile {
public:
    explicit SettingsFile(std::wstring path) : path_(std::move(path)) {}

    const std::wstring& Path() const { return path_; }
    // The temporary file each write fills, flushed, before the file itself changes.
    std::wstring TemporaryPath() const { return path_ + L".tmp"; }

    // The file's sections; none when there is no file yet. Nothing when it cannot be read. A file that
    // is not whole (its last line is not its seal, see SealIniText) gives way to a whole temporary
    // file: that is a rewrite in place cut off after its temporary file was done.
    std::optional<IniDocument> Load() const;
    // Writes the sealed document to the temporary file, flushed to the disk, then moves it over the
    // file in one step; a file with more than one name (a hard link) is rewritten in place instead, so
    // that every name keeps reading it, and the temporary file is deleted once that is on the disk.
    // False when the folder or the disk refuses; the file then reads as it was, or as the new document
    // when a rewrite in place stopped halfway.
    bool Save(const IniDocument& document) const;

private:
    std::wstring path_;
};

}  // namespace core
