#include "base/TerminalText.h"
#include "librarian/LibraryCommands.h"
#include "librarian/LibraryOptions.h"
#include "librarian/Subcommand.h"
#include "library/Search.h"
#include "platform/Version.h"
#include "report/JsonText.h"

#include <charconv>
#include <cstdio>
#include <optional>

namespace qvr {

namespace {

// The length of the UTF-8 sequence at `at`, or 0 when it is not one.
size_t Utf8Length(std::string_view text, size_t at) {
    const auto lead = static_cast<uint8_t>(text[at]);
    const size_t length = lead < 0xC2 ? 0 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 0;
    if (length == 0 || at + length > text.size()) {
        return 0;
    }
    for (size_t i = 1; i < length; ++i) {
        if ((static_cast<uint8_t>(text[at + i]) & 0xC0) != 0x80) {
            return 0;
        }
    }
    return length;
}

// A JSON string of UTF-8 text; a byte that is not UTF-8 (a file name may
// hold one) becomes U+FFFD.
void AppendJson(std::string& out, std::string_view text) {
    out.push_back('"');
    for (size_t i = 0; i < text.size();) {
        const auto byte = static_cast<uint8_t>(text[i]);
        if (byte == '"' || byte == '\\') {
            out.push_back('\\');
            out.push_back(static_cast<char>(byte));
        } else if (byte < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(byte));
            out += escape;
        } else if (byte >= 0x80) {
            const size_t length = Utf8Length(text, i);
            out += length == 0 ? "\\ufffd" : std::string(text.substr(i, length));
            i += length == 0 ? 1 : length;
            continue;
        } else {
            out.push_back(static_cast<char>(byte));
        }
        ++i;
    }
    out.push_back('"');
}

// FILE:N, the form in which qvrreport and the comparison take one preset of a file (the
// file alone for a preset without a number), its model, number and name.
void AppendText(std::string& text, const TSearchHit& hit) {
    // Names and paths are the owner's data: shown with their control characters escaped.
    AppendTerminalSafe(text, hit.Path);
    if (hit.Number) {
        text += ":" + std::to_string(*hit.Number);
    }
    text += "  ";
    AppendTerminalSafe(text, hit.Model.empty() ? std::string_view("-") : hit.Model);
    text += "  ";
    if (hit.Number) {
        char number[16];
        std::snprintf(number, sizeof number, "#%02d ", static_cast<int>(*hit.Number));
        text += number;
    }
    AppendTerminalSafe(text, hit.Name);
    text += "\n";
    for (const TSearchMatch& match : hit.Matches) {
        text += "    ";
        AppendTerminalSafe(text, MatchLabel(match));
        text += "\n";
    }
}

// A JSON string, or null when there is none.
void AppendJsonOrNull(std::string& out, const std::optional<std::string>& text) {
    if (text) {
        AppendJson(out, *text);
    } else {
        out += "null";
    }
}

// Gathers JSON numbers as the report's JSON writes them.
struct TJsonOut {
    std::string& Text;
    void Append(std::string_view part) { Text += part; }
    void Append(char c) { Text.push_back(c); }
};

void AppendJsonHit(std::string& json, const TSearchHit& hit, bool first) {
    json += first ? "\n    {\"file\": " : ",\n    {\"file\": ";
    AppendJson(json, hit.Path);
    json += ", \"position\": " + std::to_string(hit.Position) +
            ", \"number\": " + (hit.Number ? std::to_string(*hit.Number) : "null") +
            ", \"model\": ";
    AppendJsonOrNull(json, hit.Model.empty() ? std::nullopt : std::optional(hit.Model));
    json += ", \"name\": ";
    AppendJson(json, hit.Name);
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
    json += hit.Matches.empty() ? "]}" : "\n    ]}";
}

// Thrown to end a search whose output cannot be written.
struct TWriteFailed {};

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
               "      --limit N         list the first N presets found\n") +
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
    std::optional<size_t> limit;
    std::vector<TGnuOption> options{{.Name = "count"},
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
        out.Text = "{\n  \"format\": \"qvr-search\",\n  \"version\": 1,\n  \"tool\": {\"name\": "
                   "\"qvrlib\", \"version\": ";
        AppendJson(out.Text, ProgramVersion);
        out.Text += "},\n  \"query\": ";
        AppendJson(out.Text, text);
    }
    size_t found = 0;
    try {
        const TQuery query = ParseQuery(text);
        const std::unique_ptr<TLibrary> lib = OpenLibraryFor("search", library);
        if (!lib) {
            return LibExitUsage;
        }
        if (count) {
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
