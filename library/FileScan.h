#pragma once

#include "platform/InputFile.h"

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

// The stamp of a regular file (links followed unless `rule` is FoundFile);
// none when there is no such file or it cannot be looked at. Nothing is opened.
std::optional<TFileStamp> StampOf(const std::string& path, TInputRule rule = TInputRule::File);
// The stamp that fstat gave.
TFileStamp StampOf(const struct stat& info);

// XXH3 128 of what is left to read of `input`, as 16 bytes. Throws what
// reading throws: a failure, a file past MaxInputSize, a stop.
std::string HashOf(TInputFile& input);

// The absolute, normalised spelling of a path under which the library keeps
// it (links are not resolved: a path is removed as it was added).
std::string LibraryPathOf(const std::string& path);

// The real path of an existing file or folder (absolute, links resolved), under
// which the library keeps it, so that a file reached by two paths is kept once;
// LibraryPathOf(path) when it cannot be resolved (it is gone).
std::string RealPathOf(const std::string& path);

// True for a name with the preset or backup extension of one of our models
// (any case).
bool IsPresetFileName(const std::string& path);

// A file to index, and how it may be opened.
struct TFoundFile {
    std::string Path;
    // File for a file named as it is (a link to it followed), FoundFile for
    // one found in a folder.
    TInputRule Rule = TInputRule::FoundFile;
};

// The regular files that PATHS name: files as they are, folders searched
// through their subfolders (symbolic links, to folders or files, are not
// followed) for preset and backup files, or for every file with `all`.
// Paths real (RealPathOf), sorted, each once. A path that is neither is
// reported through `problem` ("PATH: REASON") and skipped. Once `stopped`
// (when given) says true, the search ends with what it found.
std::vector<TFoundFile> FindPresetFiles(const std::vector<std::string>& paths, bool all,
                                        const std::function<void(const std::string&)>& problem,
                                        const std::function<bool()>& stopped = nullptr);

} // namespace qvr
