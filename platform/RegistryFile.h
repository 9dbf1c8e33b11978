#pragma once

#include <cstddef>
#include <string>

namespace qvr {

// Registry files are small; anything larger is not one of ours and is treated as unreadable,
// so that no file can make the program allocate without bound.
inline constexpr size_t MaxRegistryFileSize = 4u << 20;

enum class TRegFileState { Loaded, Missing, Unreadable };

// Reads the whole file into `text`. A missing file (or an empty path) is Missing with empty
// text; a file that is not a regular file, cannot be read or is too large is Unreadable.
TRegFileState LoadRegistryFile(const std::string& path, std::string& text);

// Replaces the file's contents atomically: the text goes to a temporary file in the same
// folder (RegistryTempFileName), is synced, and is renamed over the file, so a crash leaves
// either the old or the new file, never a half-written one. Creates missing folders.
// A symbolic link at `path` is kept and its target replaced. Returns false on any failure,
// leaving the old file as it was.
bool SaveRegistryFile(const std::string& path, const std::string& text);

// The temporary file that SaveRegistryFile writes before the rename (one per process).
std::string RegistryTempFileName(const std::string& path);

} // namespace qvr
