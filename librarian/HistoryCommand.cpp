#include "librarian/LibraryCommands.h"
#include "librarian/LibraryOptions.h"
#include "librarian/PresetListing.h"
#include "librarian/Subcommand.h"
#include "library/History.h"
#include "library/Query.h"
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

// The "versions" array of one history, its lines indented by `indent`.
void AppendVersionsJson(std::string& out, const std::vector<TPresetVersion>& versions,
                        const std::string& indent) {
    out += "\"versions\": [";
    for (size_t v = 0; v < versions.size(); ++v) {
        const TPresetVersion& version = versions[v];
        const TStoredPreset& preset = version.Preset;
        out += (v == 0 ? "\n" : ",\n") + indent + "  {";
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
    out += versions.empty() ? "]" : "\n" + indent + "]";
}

std::string HistoryJson(const std::string& operand, const std::vector<TPresetVersion>& versions) {
    std::string out = JsonEnvelope("qvr-history") + ",\n  \"preset\": ";
    AppendJson(out, operand);
    out += ",\n  ";
    AppendVersionsJson(out, versions, "  ");
    out += "\n}\n";
    return out;
}

// The histories of a query's presets: the text of each, a blank line between them; in JSON
// the query and "histories", each with its "versions".
std::string HistoriesText(const std::vector<std::vector<TPresetVersion>>& histories) {
    std::string out;
    for (size_t h = 0; h < histories.size(); ++h) {
        if (h > 0) {
            out += '\n';
        }
        out += HistoryText(histories[h]);
    }
    return out;
}

std::string HistoriesJson(const std::string& query,
                          const std::vector<std::vector<TPresetVersion>>& histories) {
    std::string out = JsonEnvelope("qvr-history") + ",\n  \"query\": ";
    AppendJson(out, query);
    out += ",\n  \"histories\": [";
    for (size_t h = 0; h < histories.size(); ++h) {
        out += h == 0 ? "\n    {" : ",\n    {";
        AppendVersionsJson(out, histories[h], "    ");
        out += "}";
    }
    out += histories.empty() ? "]\n}\n" : "\n  ]\n}\n";
    return out;
}

} // namespace

std::string HistoryHelp() {
    return std::string(
               "Usage: qvrlib history [OPTION]... FILE:N\n"
               "  or:  qvrlib history [OPTION]... QUERY...\n"
               "List the versions of preset number N of FILE across the library: every preset\n"
               "with its number and name, or with the same modules and values under any name,\n"
               "the oldest file first, each as FILE:N, model, number and name, with what\n"
               "changed from the version before as the comparison (qvrreport --compare) lists\n"
               "it, or '(unchanged)'. The files are read again for the comparison; one that no\n"
               "longer holds the preset the library lists there is marked so ('qvrlib update'\n"
               "brings the library up to date).\n"
               "With a QUERY, as qvrlib search takes it, the same for every preset it finds\n"
               "(in the order of the search, each preset once: a version listed already is\n"
               "not listed again), a blank line between the presets.\n"
               "\n"
               "      --format FORMAT   text (the default) or json: \"versions\", each with its\n"
               "                        preset's fields and \"changes\", the lines of the text;\n"
               "                        for a query, \"histories\", each with its \"versions\"\n") +
           LibraryOptionsHelp + ConfigDirHelp +
           "  -h, --help            display this help and exit\n"
           "\n"
           "Exit status: 0 when the library has the preset (or the query finds one), 1 when\n"
           "it has not, 2 for a usage error.\n";
}

namespace {

// The histories of the presets a query finds.
int RunQueryHistory(const std::vector<std::string>& operands, const TLibraryOptions& library,
                    bool json) {
    std::string text;
    for (const std::string& word : operands) {
        text += (text.empty() ? "" : " ") + word;
    }
    std::vector<std::vector<TPresetVersion>> histories;
    try {
        const TQuery query = ParseQuery(text);
        const std::unique_ptr<TLibrary> lib = OpenLibraryFor("history", library);
        if (!lib) {
            return LibExitUsage;
        }
        histories = QueryHistories(lib->Database(), ConfigSearchOf(library), query);
    } catch (const EQueryError& error) {
        return LibUsageError("history", error.what());
    } catch (const ELibraryDatabase& failure) {
        LibSay("history", failure.what());
        return LibExitUsage;
    }
    const std::string out = json ? HistoriesJson(text, histories) : HistoriesText(histories);
    if (LibPrint(out) != LibExitOk) {
        return LibExitUsage;
    }
    return histories.empty() ? LibExitFailed : LibExitOk;
}

} // namespace

int RunHistory(const std::vector<std::string>& args) {
    TLibraryOptions library;
    bool json = false;
    TCommandArgs parsed;
    int status = 0;
    if (!ParseFormatCommand("history", args, true, &HistoryHelp, library, json, parsed, status)) {
        return status;
    }
    if (parsed.Operands.empty()) {
        return LibUsageError("history", "missing FILE:N or query");
    }
    // One operand FILE:N names a preset, one that is a file must; anything else is a query.
    const TCompareSide side = CompareSideOf(parsed.Operands[0]);
    std::error_code error;
    const bool oneFile = parsed.Operands.size() == 1 &&
                         (side.Preset || std::filesystem::is_regular_file(side.File, error));
    if (!oneFile) {
        return RunQueryHistory(parsed.Operands, library, json);
    }
    if (!side.Preset) {
        return LibUsageError("history", "'" + parsed.Operands[0] +
                                            "' names no preset (FILE:N, N from 0 to 254)");
    }
    // The library keeps files by their real path; a file gone since is looked up as named.
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
