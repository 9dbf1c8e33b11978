#include "librarian/LibraryCommands.h"
#include "librarian/LibraryOptions.h"
#include "librarian/PresetListing.h"
#include "librarian/Subcommand.h"
#include "library/History.h"
#include "report/CompareWriters.h"
#include "report/Comparison.h"

#include <filesystem>

namespace qvr {

namespace {

// The change line without its indent and newline, for JSON.
std::string Trimmed(std::string line) {
    const size_t start = line.find_first_not_of(' ');
    line.erase(0, start == std::string::npos ? line.size() : start);
    while (!line.empty() && line.back() == '\n') {
        line.pop_back();
    }
    return line;
}

std::string HistoryText(const std::vector<TPresetVersion>& versions) {
    std::string out;
    for (size_t v = 0; v < versions.size(); ++v) {
        const TPresetVersion& version = versions[v];
        const TStoredPreset& preset = version.Preset;
        AppendPresetLine(out, preset.Path, preset.Number, preset.Model, preset.Name);
        if (!version.Read) {
            out += "  (the file no longer holds it as the library has it)\n";
        } else if (v > 0 && version.Changes.empty()) {
            out += "  (unchanged)\n";
        }
        for (const TChange& change : version.Changes) {
            out += ChangeLineText(change);
        }
    }
    return out;
}

std::string HistoryJson(const std::string& operand, const std::vector<TPresetVersion>& versions) {
    std::string out = JsonEnvelope("qvr-history") + ",\n  \"preset\": ";
    AppendJson(out, operand);
    out += ",\n  \"versions\": [";
    for (size_t v = 0; v < versions.size(); ++v) {
        const TPresetVersion& version = versions[v];
        const TStoredPreset& preset = version.Preset;
        out += v == 0 ? "\n    {" : ",\n    {";
        AppendPresetFields(out, preset.Path, preset.Position, preset.Number, preset.Model,
                           preset.Name);
        out += ", \"read\": ";
        out += version.Read ? "true" : "false";
        out += ", \"changes\": [";
        for (size_t c = 0; c < version.Changes.size(); ++c) {
            out += c == 0 ? "" : ", ";
            AppendJson(out, Trimmed(ChangeLineText(version.Changes[c])));
        }
        out += "]}";
    }
    out += versions.empty() ? "]\n}\n" : "\n  ]\n}\n";
    return out;
}

} // namespace

std::string HistoryHelp() {
    return std::string(
               "Usage: qvrlib history [OPTION]... FILE:N\n"
               "List the versions of preset number N of FILE across the library: every preset\n"
               "with its number and name, or with the same modules and values under any name,\n"
               "the oldest file first, each as FILE:N, model, number and name, with what\n"
               "changed from the version before as the comparison (qvrreport --compare) lists\n"
               "it, or '(unchanged)'. The files are read again for the comparison; one that no\n"
               "longer holds the preset the library lists there is marked so ('qvrlib update'\n"
               "brings the library up to date).\n"
               "\n"
               "      --format FORMAT   text (the default) or json: \"versions\", each with its\n"
               "                        preset's fields and \"changes\", the lines of the text\n") +
           LibraryOptionsHelp + ConfigDirHelp +
           "  -h, --help            display this help and exit\n"
           "\n"
           "Exit status: 0 when the library has the preset, 1 when it has not, 2 for a\n"
           "usage error.\n";
}

int RunHistory(const std::vector<std::string>& args) {
    TLibraryOptions library;
    bool json = false;
    TCommandArgs parsed;
    int status = 0;
    if (!ParseFormatCommand("history", args, true, &HistoryHelp, library, json, parsed, status)) {
        return status;
    }
    if (parsed.Operands.size() != 1) {
        return LibUsageError("history", parsed.Operands.empty()
                                            ? std::string("missing FILE:N")
                                            : "extra operand '" + parsed.Operands[1] + "'");
    }
    const TCompareSide side = CompareSideOf(parsed.Operands[0]);
    if (!side.Preset) {
        return LibUsageError("history", "'" + parsed.Operands[0] +
                                            "' names no preset (FILE:N, N from 0 to 254)");
    }
    // The library keeps files by their real path; a file gone since is looked up as named.
    std::error_code error;
    std::filesystem::path path = std::filesystem::canonical(side.File, error);
    if (error) {
        path = std::filesystem::absolute(side.File, error).lexically_normal();
    }
    std::vector<TPresetVersion> versions;
    try {
        const std::unique_ptr<TLibrary> lib = OpenLibraryFor("history", library);
        if (!lib) {
            return LibExitUsage;
        }
        versions =
            PresetHistory(lib->Database(), ConfigSearchOf(library), path.string(), *side.Preset);
    } catch (const ENoSuchPreset& missing) {
        LibSay("history", missing.what());
        return LibExitFailed;
    } catch (const ELibraryDatabase& failure) {
        LibSay("history", failure.what());
        return LibExitUsage;
    }
    const std::string out =
        json ? HistoryJson(parsed.Operands[0], versions) : HistoryText(versions);
    return LibPrint(out) == LibExitOk ? LibExitOk : LibExitUsage;
}

} // namespace qvr
