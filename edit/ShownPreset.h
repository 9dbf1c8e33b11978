#pragma once

#include "config/Qvrconfig.h"
#include "edit/PresetValues.h"
#include "librarian/Dump.h"

#include <string>
#include <vector>

namespace qvr {

// A preset as an edit sees it: the model's name and the modules with their values.
struct TShownPreset {
    std::string Model;
    std::vector<TEditableModule> Modules;
};

// Reads `preset` of `dump` as the report shows it, with `config`, and the places of its values
// (ReadEditableModules). Throws EEditError with the report's first error: a preset that does not
// read as a report reads it is not edited.
TShownPreset ReadShownPreset(const TDump& dump, const TDumpPreset& preset,
                             const TQvrConfig& config);

} // namespace qvr
