#include "base/TerminalText.h"
#include "librarian/LibraryCommands.h"
#include "librarian/LibraryOptions.h"
#include "librarian/PresetListing.h"
#include "librarian/Subcommand.h"
#include "library/Copies.h"
#include "library/Search.h"
#include "platform/Version.h"
#include "report/JsonText.h"

#include <charconv>
#include <cstdio>
#include <optional>
#include <set>
#include <utility>

namespace qvr {

namespace {

// The preset's line, and what matched below.
void AppendText(std::string& text, const TSearchHit& hit) {
    AppendPresetLine(text, hit.Path, hit.Number, hit.Model, hit.Name);
    for (const TSearchMatch& match : hit.Matches) {
        text += "    ";
        AppendTerminalSafe(text, MatchLabel(match));
        text += "\n";
    }
}

// Gathers JSON numbers as the report's JSON writes them.
struct TJsonOut {
    std::string& Text;
    void Append(std::string_view part) { Text += part; }
    void Append(char c) { Text.push_back(c); }
};

// With `copies`, the presets of the same content as "copies" (itself included).
void AppendJsonHit(std::string& json, const TSearchHit& hit, bool first,
                   const std::vector<TStoredPreset>* copies = nullptr) {
    json += first ? "\n    {" : ",\n    {";
    AppendPresetFields(json, hit.Path, hit.Position, hit.Number, hit.Model, hit.Name);
    json += ", \"matches\": [";
    for (size_t m = 0; m < hit.Matches.size(); ++m) {
        const TSearchMatch& match = hit.Matches[m];
        // The module as the report heads it, and its type.
        json += m == 0 ? "\n      {\"module\": " : ",\n      {\"module\": ";
        AppendJson(json, !match.Heading.empty() ? match.Heading
                         : !match.Type.empty()  ? match.Type
                                                : match.Kind);
        json += ", \"type\": ";
        AppendJsonOrNull(json, match.Type.empty() ? std::nullopt : std::optional(match.Type));
        json += ", \"parameter\": ";
        AppendJsonOrNull(json, match.Parameter);
        json += ", \"raw\": " + (match.Raw ? std::to_string(*match.Raw) : std::string("null"));
        json += ", \"value\": ";
        TJsonOut out{json};
        if (match.Value) {
            AppendJsonNumber(out, *match.Value);
        } else {
            json += "null";
        }
        json += ", \"text\": ";
        AppendJsonOrNull(json, match.Parameter ? std::optional(match.Text) : std::nullopt);
        json += "}";
    }
    json += hit.Matches.empty() ? "]" : "\n    ]";
    if (copies != nullptr) {
        json += ", \"copies\": [";
        for (size_t c = 0; c < copies->size(); ++c) {
            const TStoredPreset& copy = (*copies)[c];
            json += c == 0 ? "\n      {" : ",\n      {";
            AppendPresetFields(json, copy.Path, copy.Position, copy.Number, copy.Model, copy.Name);
            json += "}";
        }
        json += "\n    ]";
    }
    json += "}";
}

// Thrown to end a search whose output cannot be written.
struct TWriteFailed {};

// Thrown to end a search that listed all it was to list.
struct TEnough {};

// The copies under a preset listed: how many, and where (when it is not alone).
void AppendCopies(std::string& text, const std::vector<TStoredPreset>& copies) {
    if (copies.size() < 2) {
        return;
    }
    text += "    " + std::to_string(copies.size()) + " copies:\n";
    for (const TStoredPreset& copy : copies) {
        text += "      ";
        AppendPresetLine(text, copy.Path, copy.Number, copy.Model, copy.Name);
    }
}

// Standard output in pieces of about 64 kB, so that a long listing starts at
// once and is never held whole.
class TOutput {
public:
    std::string Text;
    void FlushWhenFull() {
        if (Text.size() >= 65536) {
            Flush();
        }
    }
    void Flush() {
        if (!Text.empty() && LibPrint(Text) != LibExitOk) {
            throw TWriteFailed{};
        }
        Text.clear();
    }
};

} // namespace

std::string SearchHelp() {
    return std::string(
               "Usage: qvrlib search [OPTION]... QUERY...\n"
               "List the presets of the library that QUERY finds, those of the newest files\n"
               "first, as FILE:N (preset number N of FILE, as qvrreport --compare takes it),\n"
               "model, number and name, with the matching modules and parameters below.\n"
               "\n"
               "Terms of QUERY (all must hold; OR between terms gives either):\n"
               "  WORD             a word of the preset's name, its module types and headings\n"
               "                   or its user-model names; any case, the start of a word is\n"
               "                   enough (lead finds Leads); \"two words\" in this order\n"
               "  model:NAME       presets of that model (model:QVR-3)\n"
               "  module:NAME      presets with a module of that type or heading (module:Chorus)\n"
               "  NAME OP VALUE    a parameter condition, OP one of = != < <= > >=, blanks\n"
               "                   around OP allowed; numbers are compared as the numbers shown\n"
               "                   (Rate>5, \"Rate (Hz)\" > 5, \"Reverb Type\"=Plate); the\n"
               "                   name may leave out its unit (Rate for \"Rate (Hz)\")\n"
               "\n"
               "      --count           print only how many presets were found\n"
               "      --format FORMAT   text (the default) or json\n"
               "      --limit N         list the first N presets found\n"
               "      --unique          list each content once (the newest preset found of\n"
               "                        it), with its copies: presets of the same model with\n"
               "                        the same modules and values under any name\n") +
           LibraryOptionsHelp +
           "  -h, --help            display this help and exit\n"
           "\n"
           "Exit status: 0 when a preset was found, 1 when none was, 2 for a usage error\n"
           "or a query that cannot be read.\n";
}

int RunSearch(const std::vector<std::string>& args) {
    TLibraryOptions library;
    std::string format = "text";
    bool count = false;
    bool unique = false;
    std::optional<size_t> limit;
    std::vector<TGnuOption> options{{.Name = "count"},
                                    {.Name = "unique"},
                                    {.Name = "format", .TakesValue = true},
                                    {.Name = "limit", .TakesValue = true}};
    AddLibraryOptions(options, false);
    const TCommandArgs parsed = ParseCommandArgs(
        args, options, [&](const std::string& name, const std::string& value) -> std::string {
            if (TakeLibraryOption(library, name, value)) {
                return {};
            }
            if (name == "count") {
                count = true;
                return {};
            }
            if (name == "unique") {
                unique = true;
                return {};
            }
            if (name == "limit") {
                size_t n = 0;
                const auto [end, error] =
                    std::from_chars(value.data(), value.data() + value.size(), n);
                if (value.empty() || error != std::errc() || end != value.data() + value.size()) {
                    return "invalid limit '" + value + "' (a number of presets)";
                }
                limit = n;
                return {};
            }
            if (value != "text" && value != "json") {
                return "invalid format '" + value + "' (text or json)";
            }
            format = value;
            return {};
        });
    if (!parsed.Error.empty()) {
        return LibUsageError("search", parsed.Error);
    }
    if (parsed.Help) {
        return LibPrint(SearchHelp());
    }
    if (count && limit) {
        return LibUsageError("search", "--limit does not apply to --count");
    }
    if (parsed.Operands.empty()) {
        return LibUsageError("search", "missing query");
    }
    std::string text;
    for (const std::string& word : parsed.Operands) {
        text += (text.empty() ? "" : " ") + word;
    }
    const bool json = format == "json";
    TOutput out;
    if (json) {
        out.Text = JsonEnvelope("qvr-search");
        out.Text += ",\n  \"query\": ";
        AppendJson(out.Text, text);
    }
    size_t found = 0;
    try {
        const TQuery query = ParseQuery(text);
        const std::unique_ptr<TLibrary> lib = OpenLibraryFor("search", library);
        if (!lib) {
            return LibExitUsage;
        }
        if (unique) {
            // Each content once: the first preset found of it, with its copies.
            if (json && !count) {
                out.Text += ",\n  \"presets\": [";
            }
            TCopyFinder finder(lib->Database());
            std::set<std::pair<int64_t, std::string>> seen; // contents, by model
            try {
                Search(lib->Database(), query, {}, [&](TSearchHit&& hit) {
                    const std::vector<TStoredPreset> copies =
                        finder.CopiesOf(hit.Path, hit.Position);
                    if (!copies.empty() && copies[0].Fingerprint &&
                        !seen.emplace(*copies[0].Fingerprint, copies[0].Model).second) {
                        return;
                    }
                    if (limit && found == *limit) {
                        throw TEnough{};
                    }
                    if (count) {
                        ++found;
                    } else if (json) {
                        AppendJsonHit(out.Text, hit, found++ == 0, &copies);
                    } else {
                        ++found;
                        AppendText(out.Text, hit);
                        AppendCopies(out.Text, copies);
                    }
                    out.FlushWhenFull();
                });
            } catch (const TEnough&) {
            }
            if (count) {
                out.Text += json ? ",\n  \"count\": " + std::to_string(found) + "\n}\n"
                                 : std::to_string(found) + "\n";
            } else if (json) {
                out.Text += found == 0 ? "]\n}\n" : "\n  ]\n}\n";
            }
        } else if (count) {
            found = CountFound(lib->Database(), query);
            out.Text += json ? ",\n  \"count\": " + std::to_string(found) + "\n}\n"
                             : std::to_string(found) + "\n";
        } else {
            if (json) {
                out.Text += ",\n  \"presets\": [";
            }
            TSearchLimits limits;
            limits.Listed = limit.value_or(limits.Listed);
            found = Search(lib->Database(), query, limits, [&](TSearchHit&& hit) {
                if (json) {
                    AppendJsonHit(out.Text, hit, found++ == 0);
                } else {
                    AppendText(out.Text, hit);
                }
                out.FlushWhenFull();
            });
            if (json) {
                out.Text += found == 0 ? "]\n}\n" : "\n  ]\n}\n";
            }
        }
        out.Flush();
    } catch (const EQueryError& error) {
        // The query, and a mark under the word at fault.
        LibSay("search", error.what());
        const std::string mark(error.Offset, ' ');
        std::fprintf(stderr, "  %s\n  %s%s\n", text.c_str(), mark.c_str(),
                     std::string(std::max<size_t>(error.Length, 1), '^').c_str());
        return LibExitUsage;
    } catch (const ELibraryDatabase& error) {
        LibSay("search", error.what());
        return LibExitUsage;
    } catch (const TWriteFailed&) {
        return LibExitUsage;
    }
    return found == 0 ? LibExitFailed : LibExitOk;
}

} // namespace qvr
