#pragma once

#include "librarian/Dump.h"
#include "sysex/Products.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qvr {

// One file of a split: the messages of one preset, or those before the first preset.
struct TSplitPart {
    std::string Stem;                    // the file name without extension, made safe
    std::string_view Bytes;              // in the dump's bytes
    const TDumpPreset* Preset = nullptr; // none for the messages before the first preset
};

// The parts of `dump`: first the messages before the first preset, if any, named
// "00 Before first preset"; then every preset, named by its number and name ("07 Clean Lead";
// the numbers as wide as the largest, so that the names sort in number order; a preset
// without a number by its name alone, "Preset" when it has none either).
std::vector<TSplitPart> SplitParts(const TDump& dump);

// What a split wrote: the file names in `folder`, in the order of the parts.
struct TSplitResult {
    std::vector<std::string> Written;
    std::string Error;     // why writing stopped; the files written so far stay
    std::string ErrorPath; // the folder or file it is about
};

// Writes every part to a new file in `folder` (made when missing) with the extension given; a
// name that is taken, by another part or by anything there, even a link planted while the split
// runs, gets a suffix (see TFreeNames), so that no file is ever replaced (an input, a
// configuration or the settings file no more than any other) and no link followed.
// Each file is written whole or not at all (see TNewFiles).
TSplitResult WriteSplit(const std::vector<TSplitPart>& parts, const std::filesystem::path& folder,
                        std::string_view extension);

} // namespace qvr
