#include "librarian/LibraryCommands.h"
#include "librarian/LibraryOptions.h"
#include "librarian/PresetListing.h"
#include "librarian/Subcommand.h"
#include "library/Copies.h"

namespace qvr {

std::string DuplicatesHelp() {
    return std::string("Usage: qvrlib duplicates [OPTION]...\n"
                       "List the presets the library keeps more than once: copies with the same\n"
                       "modules and values, whatever their names and numbers. Each group says how\n"
                       "many copies there are, then lists them as FILE:N, model, number and name,\n"
                       "the oldest file first. Presets read before the library kept their\n"
                       "contents' fingerprints count once 'qvrlib update' has read them again.\n"
                       "\n"
                       "      --format FORMAT   text (the default) or json\n") +
           LibraryOptionsHelp +
           "  -h, --help            display this help and exit\n"
           "\n"
           "Exit status: 0 when a preset is kept more than once, 1 when none is, 2 for a\n"
           "usage error.\n";
}

int RunDuplicates(const std::vector<std::string>& args) {
    TLibraryOptions library;
    bool json = false;
    TCommandArgs parsed;
    int status = 0;
    if (!ParseFormatCommand("duplicates", args, false, &DuplicatesHelp, library, json, parsed,
                            status)) {
        return status;
    }
    if (!parsed.Operands.empty()) {
        return LibUsageError("duplicates", "extra operand '" + parsed.Operands[0] + "'");
    }
    std::vector<std::vector<TStoredPreset>> groups;
    try {
        const std::unique_ptr<TLibrary> lib = OpenLibraryFor("duplicates", library);
        if (!lib) {
            return LibExitUsage;
        }
        groups = Duplicates(lib->Database());
    } catch (const ELibraryDatabase& error) {
        LibSay("duplicates", error.what());
        return LibExitUsage;
    }
    std::string out;
    if (json) {
        out = JsonEnvelope("qvr-duplicates") + ",\n  \"duplicates\": [";
    }
    for (size_t g = 0; g < groups.size(); ++g) {
        const std::vector<TStoredPreset>& copies = groups[g];
        if (json) {
            out += (g == 0 ? "\n    {\"count\": " : ",\n    {\"count\": ") +
                   std::to_string(copies.size()) + ", \"copies\": [";
        } else {
            out.append(g == 0 ? "" : "\n")
                .append(std::to_string(copies.size()))
                .append(" copies\n");
        }
        for (size_t c = 0; c < copies.size(); ++c) {
            const TStoredPreset& copy = copies[c];
            if (json) {
                out += c == 0 ? "\n      {" : ",\n      {";
                AppendPresetFields(out, copy.Path, copy.Position, copy.Number, copy.Model,
                                   copy.Name);
                out += "}";
            } else {
                out += "  ";
                AppendPresetLine(out, copy.Path, copy.Number, copy.Model, copy.Name);
            }
        }
        if (json) {
            out += "\n    ]}";
        }
    }
    if (json) {
        out += groups.empty() ? "]\n}\n" : "\n  ]\n}\n";
    }
    if (LibPrint(out) != LibExitOk) {
        return LibExitUsage;
    }
    return groups.empty() ? LibExitFailed : LibExitOk;
}

} // namespace qvr
