#pragma once

#include <map>
#include <set>
#include <string>
#include <string_view>

namespace qvr {

// `text` (8-bit, code page 1252, as preset names are) as part of a file name that every common
// file system takes: UTF-8; control characters and / \ : * ? " < > | as '_'; no dots or
// spaces at either end (a leading dot would hide the file); at most 200 bytes. Empty when
// nothing is left.
std::string SafeFileName(std::string_view text);

// Free names for new files in one folder: "STEM.EXT", else "STEM (2).EXT", "STEM (3).EXT", ...
// Each stem remembers where its search stopped, so that n files of one stem cost n steps, not
// n * n.
class TFreeNames {
public:
    // `taken`: the names in the folder (a dangling link counts), read once by the caller.
    explicit TFreeNames(std::set<std::string> taken);

    // The first of those names that is neither taken nor given before; it counts as taken
    // from now on. When a file of that name turns up after all (made meanwhile by someone
    // else), the next call gives the next name.
    std::string Next(const std::string& stem, std::string_view extension);

private:
    std::set<std::string> Taken;
    std::map<std::string, unsigned, std::less<>> NextSuffix; // by "STEM.EXT"
};

} // namespace qvr
