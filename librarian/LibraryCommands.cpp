#include "librarian/LibraryCommands.h"

#include "base/TerminalText.h"
#include "librarian/LibraryOptions.h"
#include "librarian/Subcommand.h"

#include <array>
#include <cstdio>

namespace qvr {

namespace {

// Counts of what a run did, for its closing line.
class TRunTotals {
public:
    TLibrary::TProgress Progress(const char* command) {
        TLibrary::TProgress progress = TerminalProgress(command);
        progress.Problem = [command, this, say = progress.Problem](const std::string& text) {
            Failed = true;
            say(text);
        };
        progress.File = [this, show = progress.File](size_t done, size_t total,
                                                     const std::string& path,
                                                     const TLibrary::TFileResult& result) {
            ++Counts[static_cast<size_t>(result.Change)];
            for (const std::string& message : result.Messages) {
                if (message.starts_with("error: ")) {
                    ++WithErrors;
                    Failed = true;
                    break;
                }
            }
            show(done, total, path, result);
        };
        return progress;
    }

    // "3 files: 2 added, 1 updated, 0 unchanged, 0 removed; 1 with errors"
    int Print() const {
        const auto count = [this](TFileChange change) {
            return Counts[static_cast<size_t>(change)];
        };
        size_t files = 0;
        for (const size_t n : Counts) {
            files += n;
        }
        std::string line =
            std::to_string(files) + (files == 1 ? " file: " : " files: ") +
            std::to_string(count(TFileChange::Added)) + " added, " +
            std::to_string(count(TFileChange::Updated)) + " updated, " +
            std::to_string(count(TFileChange::Unchanged) + count(TFileChange::Restamped)) +
            " unchanged, " + std::to_string(count(TFileChange::Dropped)) + " removed";
        if (WithErrors > 0) {
            line += "; " + std::to_string(WithErrors) + " with errors";
        }
        if (count(TFileChange::Failed) > 0) {
            line += "; " + std::to_string(count(TFileChange::Failed)) + " not readable";
        }
        const int printed = LibPrint(line + "\n");
        return printed != LibExitOk ? printed : Failed ? LibExitFailed : LibExitOk;
    }

private:
    std::array<size_t, 6> Counts{};
    size_t WithErrors = 0;
    bool Failed = false;
};

// Parses a library command's arguments; false (with the exit status in
// `status`) when the command is not to run.
bool Parse(const char* command, const std::vector<std::string>& args, bool configDir,
           std::vector<TGnuOption> options, TLibraryOptions& library,
           const std::function<bool(const std::string&)>& flag, std::string (*help)(),
           TCommandArgs& parsed, int& status) {
    AddLibraryOptions(options, configDir);
    parsed =
        ParseCommandArgs(args, options, [&](const std::string& name, const std::string& value) {
            if (!TakeLibraryOption(library, name, value)) {
                flag(name);
            }
            return std::string();
        });
    return CommandToRun(command, parsed, help, status);
}

} // namespace

std::string AddHelp() {
    return std::string("Usage: qvrlib add [OPTION]... PATH...\n"
                       "Put the preset and backup files that PATHs name into the library: files\n"
                       "as they are, folders with their subfolders. A folder is followed from\n"
                       "then on: 'qvrlib update' finds the files that appear in it. Files and\n"
                       "folders are kept by their real path, so one reached through a link is\n"
                       "kept once. A file the library holds with the same size and time is not\n"
                       "read again. A damaged file is kept with its messages, and the others\n"
                       "go on.\n"
                       "\n"
                       "  -a, --all             in folders, take every file, not only those\n"
                       "                        with the extension of a preset or backup file\n") +
           ConfigDirHelp + LibraryOptionsHelp +
           "  -h, --help            display this help and exit\n"
           "\n"
           "Exit status: 0 when every file was read without an error, 1 otherwise,\n"
           "2 for a usage error.\n";
}

int RunAdd(const std::vector<std::string>& args) {
    TLibraryOptions library;
    bool all = false;
    TCommandArgs parsed;
    int status = 0;
    if (!Parse(
            "add", args, true, {{.Name = "all", .Short = 'a'}}, library,
            [&](const std::string& name) { return all = name == "all"; }, &AddHelp, parsed,
            status)) {
        return status;
    }
    if (parsed.Operands.empty()) {
        return LibUsageError("add", "missing file or folder operand");
    }
    const std::unique_ptr<TLibrary> lib = OpenLibraryFor("add", library);
    if (!lib) {
        return LibExitFailed;
    }
    TRunTotals totals;
    try {
        lib->Add(parsed.Operands, all, totals.Progress("add"));
    } catch (const ELibraryDatabase& error) {
        LibSay("add", error.what());
        return LibExitFailed;
    }
    return totals.Print();
}

std::string UpdateHelp() {
    return std::string("Usage: qvrlib update [OPTION]...\n"
                       "Add the files that appeared in the folders the library follows, read\n"
                       "again the files whose size, time and contents changed, and take out\n"
                       "those that are gone. Files whose size and time are as recorded are not\n"
                       "read.\n"
                       "\n") +
           ConfigDirHelp + LibraryOptionsHelp +
           "  -h, --help            display this help and exit\n"
           "\n"
           "Exit status: 0 when every file read was read without an error, 1 otherwise,\n"
           "2 for a usage error.\n";
}

int RunUpdate(const std::vector<std::string>& args) {
    TLibraryOptions library;
    TCommandArgs parsed;
    int status = 0;
    if (!Parse(
            "update", args, true, {}, library, [](const std::string&) { return false; },
            &UpdateHelp, parsed, status)) {
        return status;
    }
    if (!parsed.Operands.empty()) {
        return LibUsageError("update", "extra operand '" + parsed.Operands[0] + "'");
    }
    const std::unique_ptr<TLibrary> lib = OpenLibraryFor("update", library);
    if (!lib) {
        return LibExitFailed;
    }
    TRunTotals totals;
    try {
        lib->Update(totals.Progress("update"));
    } catch (const ELibraryDatabase& error) {
        LibSay("update", error.what());
        return LibExitFailed;
    }
    return totals.Print();
}

std::string RemoveHelp() {
    return std::string("Usage: qvrlib remove [OPTION]... PATH...\n"
                       "Take the files that PATHs name out of the library, folders with\n"
                       "everything below them; a folder is no longer followed. The files\n"
                       "themselves are not touched.\n"
                       "\n") +
           LibraryOptionsHelp +
           "  -h, --help            display this help and exit\n"
           "\n"
           "Exit status: 0 when every PATH named a file or folder of the library, 1\n"
           "otherwise, 2 for a usage error.\n";
}

int RunRemove(const std::vector<std::string>& args) {
    TLibraryOptions library;
    TCommandArgs parsed;
    int status = 0;
    if (!Parse(
            "remove", args, false, {}, library, [](const std::string&) { return false; },
            &RemoveHelp, parsed, status)) {
        return status;
    }
    if (parsed.Operands.empty()) {
        return LibUsageError("remove", "missing file or folder operand");
    }
    const std::unique_ptr<TLibrary> lib = OpenLibraryFor("remove", library);
    if (!lib) {
        return LibExitFailed;
    }
    status = LibExitOk;
    TRemoved removed;
    try {
        for (const std::string& path : parsed.Operands) {
            const TRemoved n = lib->Remove({path});
            if (n.Files == 0 && n.Folders == 0) {
                LibSay("remove", path + ": not in the library");
                status = LibExitFailed;
            }
            removed.Files += n.Files;
            removed.Folders += n.Folders;
        }
    } catch (const ELibraryDatabase& error) {
        LibSay("remove", error.what());
        return LibExitFailed;
    }
    std::string line =
        std::to_string(removed.Files) + (removed.Files == 1 ? " file removed" : " files removed");
    if (removed.Folders > 0) {
        line +=
            ", " + std::to_string(removed.Folders) +
            (removed.Folders == 1 ? " folder no longer followed" : " folders no longer followed");
    }
    const int printed = LibPrint(line + "\n");
    return printed != LibExitOk ? printed : status;
}

std::string FoldersHelp() {
    return std::string("Usage: qvrlib folders [OPTION]...\n"
                       "List the folders the library follows, one a line, by their real path;\n"
                       "'(all files)' after one whose every file is taken ('qvrlib add --all').\n"
                       "\n") +
           LibraryOptionsHelp + "  -h, --help            display this help and exit\n";
}

int RunFolders(const std::vector<std::string>& args) {
    TLibraryOptions library;
    TCommandArgs parsed;
    int status = 0;
    if (!Parse(
            "folders", args, false, {}, library, [](const std::string&) { return false; },
            &FoldersHelp, parsed, status)) {
        return status;
    }
    if (!parsed.Operands.empty()) {
        return LibUsageError("folders", "extra operand '" + parsed.Operands[0] + "'");
    }
    const std::unique_ptr<TLibrary> lib = OpenLibraryFor("folders", library);
    if (!lib) {
        return LibExitFailed;
    }
    std::string text;
    try {
        for (const TLibraryFolder& folder : lib->Folders()) {
            text += TerminalSafe(folder.Path) + (folder.AllFiles ? " (all files)\n" : "\n");
        }
    } catch (const ELibraryDatabase& error) {
        LibSay("folders", error.what());
        return LibExitFailed;
    }
    return LibPrint(text);
}

std::string ListHelp() {
    return std::string("Usage: qvrlib list [OPTION]...\n"
                       "List the files of the library: model, number of presets and path, and\n"
                       "below a file the messages shown while it was read.\n"
                       "\n") +
           LibraryOptionsHelp + "  -h, --help            display this help and exit\n";
}

int RunList(const std::vector<std::string>& args) {
    TLibraryOptions library;
    TCommandArgs parsed;
    int status = 0;
    if (!Parse(
            "list", args, false, {}, library, [](const std::string&) { return false; }, &ListHelp,
            parsed, status)) {
        return status;
    }
    if (!parsed.Operands.empty()) {
        return LibUsageError("list", "extra operand '" + parsed.Operands[0] + "'");
    }
    const std::unique_ptr<TLibrary> lib = OpenLibraryFor("list", library);
    if (!lib) {
        return LibExitFailed;
    }
    std::string text;
    try {
        for (const TLibraryFile& file : lib->Files()) {
            char counts[64];
            std::snprintf(counts, sizeof counts, "%-9s %6lld presets  ",
                          file.Model.empty() ? "-" : TerminalSafe(file.Model).c_str(),
                          static_cast<long long>(file.Presets));
            text += counts + TerminalSafe(file.Path) + "\n";
            for (size_t start = 0; start < file.Errors.size();) {
                const size_t end = file.Errors.find('\n', start);
                text += "    " + TerminalSafe(file.Errors.substr(start, end - start)) + "\n";
                start = end == std::string::npos ? file.Errors.size() : end + 1;
            }
        }
    } catch (const ELibraryDatabase& error) {
        LibSay("list", error.what());
        return LibExitFailed;
    }
    return LibPrint(text);
}

} // namespace qvr
