#pragma once

#include <filesystem>
#include <set>
#include <string>
#include <string_view>

namespace qvr {

// `text` (8-bit, code page 1252, as preset names are) as part of a file name that every common
// file system takes: UTF-8; control characters and / \ : * ? " < > | as '_'; no dots or
// spaces at either end (a leading dot would hide the file); at most 200 bytes. Empty when
// nothing is left.
std::string SafeFileName(std::string_view text);

// The first of "STEM.EXT", "STEM (2).EXT", "STEM (3).EXT", ... that is neither in `taken`
// nor the name of anything in `folder` (a dangling link counts); it is added to `taken`.
// Throws std::runtime_error when there is none up to "STEM (9999).EXT".
std::string FreeFileName(const std::filesystem::path& folder, const std::string& stem,
                         std::string_view extension, std::set<std::string>& taken);

} // namespace qvr
