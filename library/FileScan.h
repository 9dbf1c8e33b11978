#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qvr {

// What tells a changed file without reading it.
struct TFileStamp {
    int64_t Size = 0;
    int64_t ModifiedNs = 0; // nanoseconds since 1970

    bool operator==(const TFileStamp&) const = default;
};

// The stamp of a regular file (links followed); none when there is no such
// file or it cannot be looked at.
std::optional<TFileStamp> StampOf(const std::string& path);

// XXH3 128 of the file's contents, as 16 bytes; none when it cannot be read.
std::optional<std::string> HashOfFile(const std::string& path);

// The absolute, normalised spelling of a path under which the library keeps
// it (links are not resolved: a path is removed as it was added).
std::string LibraryPathOf(const std::string& path);

// True for a name with the preset or backup extension of one of our models
// (any case).
bool IsPresetFileName(const std::string& path);

// The regular files that PATHS name: files as they are, folders searched
// through their subfolders (links to folders are not followed) for preset
// and backup files, or for every file with `all`. Paths in library form,
// sorted, each once. A path that is neither is reported through `problem`
// ("PATH: REASON") and skipped.
std::vector<std::string> FindPresetFiles(const std::vector<std::string>& paths, bool all,
                                         const std::function<void(const std::string&)>& problem);

} // namespace qvr
