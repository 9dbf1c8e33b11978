#include "librarian/LibraryOptions.h"

#include "base/ProgramConvention.h"
#include "base/TerminalText.h"
#include "librarian/Subcommand.h"
#include "library/Schema.h"
#include "platform/ProgramPath.h"

#include <cstdio>
#include <unistd.h>

namespace qvr {

bool ParseFormatCommand(const char* command, const std::vector<std::string>& args, bool configDir,
                        std::string (*help)(), TLibraryOptions& library, bool& json,
                        TCommandArgs& parsed, int& status) {
    std::vector<TGnuOption> options{{.Name = "format", .TakesValue = true}};
    AddLibraryOptions(options, configDir);
    parsed = ParseCommandArgs(
        args, options, [&](const std::string& name, const std::string& value) -> std::string {
            if (TakeLibraryOption(library, name, value)) {
                return {};
            }
            if (value != "text" && value != "json") {
                return "invalid format '" + value + "' (text or json)";
            }
            json = value == "json";
            return {};
        });
    return CommandToRun(command, parsed, help, status);
}

bool CommandToRun(const char* command, const TCommandArgs& parsed, std::string (*help)(),
                  int& status) {
    if (!parsed.Error.empty()) {
        status = LibUsageError(command, parsed.Error);
        return false;
    }
    if (parsed.Help) {
        status = LibPrint(help());
        return false;
    }
    return true;
}

void AddLibraryOptions(std::vector<TGnuOption>& options, bool configDir) {
    options.push_back({.Name = "database", .TakesValue = true});
    if (configDir) {
        options.push_back({.Name = "config-dir", .Short = 'd', .TakesValue = true});
    }
}

bool TakeLibraryOption(TLibraryOptions& into, const std::string& name, const std::string& value) {
    if (name == "database") {
        into.Database = value;
    } else if (name == "config-dir") {
        into.ConfigDir = value;
    } else {
        return false;
    }
    return true;
}

TConfigSearch ConfigSearchOf(const TLibraryOptions& options) {
    TConfigSearch search;
    search.EditorFolder = options.ConfigDir;
    search.ProgramFolder = ProgramDataFolder();
    return search;
}

std::unique_ptr<TLibrary> OpenLibraryFor(const char* command, const TLibraryOptions& options) {
    const std::string path = options.Database.empty() ? DefaultLibraryPath() : options.Database;
    if (path.empty()) {
        LibSay(command, "no library: neither XDG_DATA_HOME nor HOME is set (use --database)");
        return nullptr;
    }
    try {
        return std::make_unique<TLibrary>(path, ConfigSearchOf(options));
    } catch (const ELibraryDatabase& error) {
        LibSay(command, error.what());
        return nullptr;
    }
}

TLibrary::TProgress TerminalProgress(const char* command) {
    const bool terminal = ::isatty(STDERR_FILENO) == 1;
    TLibrary::TProgress progress;
    progress.Problem = [command](const std::string& text) { LibSay(command, text); };
    progress.File = [terminal](size_t done, size_t total, const std::string& path,
                               const TLibrary::TFileResult& result) {
        if (terminal) {
            // One line, rewritten: the count and the file at hand.
            std::fprintf(stderr, "\r\033[K%zu/%zu %s%s", done, total, TerminalSafe(path).c_str(),
                         done == total ? "\n" : "");
        }
        for (const std::string& message : result.Messages) {
            if (terminal && done != total) {
                std::fputs("\r\033[K", stderr);
            }
            // The library keeps "KIND: TEXT" or "KIND: preset N: TEXT"; shown as every program
            // shows a file's message, each line naming the preset.
            const bool error = message.starts_with("error: ");
            const size_t colon = message.find(": ");
            std::string text = colon == std::string::npos ? message : message.substr(colon + 2);
            std::string part;
            if (const size_t end = text.find(": ");
                text.starts_with("preset ") && end != std::string::npos && text.find('\n') > end) {
                part = text.substr(0, end);
                text.erase(0, end + 2);
            }
            if (error) {
                ShowFileError(path, text, part);
            } else {
                ShowFileWarning(path, text, part);
            }
        }
    };
    return progress;
}

} // namespace qvr
