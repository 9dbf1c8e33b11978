#include "librarian/EditCommand.h"

#include "base/TerminalText.h"
#include "base/UserNotifier.h"
#include "edit/EditRequest.h"
#include "edit/PresetEditor.h"
#include "edit/ShownValue.h"
#include "librarian/LibraryDeviceUse.h"
#include "librarian/LibraryOptions.h"
#include "platform/AtomicFile.h"
#include "platform/OutputCheck.h"
#include "report/Comparison.h"
#include "report/ProductConfigLookup.h"
#include "report/Utf8Text.h"
#include "sysex/Products.h"

namespace qvr {

namespace {

// What one run of set or rename is to do.
struct TEditRun {
    const char* Command = "";
    std::string File; // FILE[:N] as given
    std::vector<TEditRequest> Values;
    std::optional<std::string> Name;
    bool Force = false;
    std::string Output;
    bool List = false; // list what can be edited instead
    TLibraryOptions Library;
};

// Shows the messages of a configuration's lookup as the file's.
class TFileNotifier : public IUserNotifier {
public:
    explicit TFileNotifier(std::string file) : File(std::move(file)) {}
    void ShowError(const std::string& text) override { LibShowError(File, text); }
    void ShowWarning(const std::string& text) override { ShowFileWarning(File, text); }

private:
    std::string File;
};

// Texts of the files (windows-1252) for standard error, whose writer escapes control
// characters, and for standard output, each line of which is escaped here.
std::string Said(std::string_view text) {
    TLineText said;
    AppendUtf8(said, text);
    return std::move(said.Text);
}
std::string Line(std::string_view text) {
    TLineText line;
    AppendTerminalUtf8(line, text);
    line.Append('\n');
    return std::move(line.Text);
}

// An argument as the files' code page holds it: converted from UTF-8, or as it is when it is no
// UTF-8; none for a character the code page does not have.
std::optional<std::string> FileText(const std::string& argument) {
    for (std::string_view rest = argument; !rest.empty();) {
        const size_t length = Utf8SequenceLength(rest);
        if (length == 0) {
            return argument;
        }
        rest.remove_prefix(length);
    }
    return Windows1252FromUtf8(argument);
}

// One line of standard output per change: "MODULE: NAME = NEW (was OLD)".
std::string ChangeLine(const TEditResult& result) {
    return Line((result.Module.empty() ? std::string() : result.Module + ": ") + result.Name +
                " = " + result.New + " (was " + result.Old + ")" +
                (result.Forced ? " [outside what the device uses]" : ""));
}

// "MODULE (TYPE)" and a line "NAME = VALUE (RANGE)" for each value that can be edited.
std::string Listing(const TPresetEditor& editor) {
    std::string listing;
    for (const TEditableModule& module : editor.Modules()) {
        listing +=
            Line(module.Label + (module.TypeName.empty() ? "" : " (" + module.TypeName + ")"));
        for (const TEditableValue& value : module.Values) {
            listing += Line("  " + value.Name + " = " + editor.Text(value) + " (" +
                            ConfigRangeText(*value.Param) + ")");
        }
        if (module.Values.empty()) {
            listing += "  nothing to edit\n";
        }
    }
    return listing;
}

int Edit(const TEditRun& run) {
    const TCompareSide side = CompareSideOf(run.File);
    const TConfigSearch search = ConfigSearchOf(run.Library);
    std::optional<TAtomicFile> out;
    if (!run.List) {
        if (const std::optional<TOutputClash> clash =
                FindOutputClash(run.Output, {side.File}, ProductConfigPaths(search))) {
            return LibUsageError(run.Command,
                                 clash->Kind == TOutputClash::TKind::Input
                                     ? "the output file '" + run.Output + "' is an input file"
                                     : "the output file '" + run.Output + "' would replace " +
                                           clash->Text());
        }
        // Made before the input is read, so that an OUT that cannot be written shows at once.
        out.emplace(run.Output);
        if (!out->IsOpen()) {
            return ShowCannotWrite(run.Output, out->Error());
        }
    }

    TDump dump;
    std::string error;
    if (!LoadDump(side.File, dump, error)) {
        LibShowError(side.File, error);
        return LibExitFailed;
    }
    if (!dump.Problem.empty() || !dump.ProductId) {
        LibShowError(side.File, dump.Problem.empty() ? "the file holds no messages" : dump.Problem);
        return LibExitFailed;
    }
    TFileNotifier notifier(side.File);
    std::shared_ptr<const TQvrConfig> config;
    try {
        config = LoadProductConfig(*dump.ProductId, search, notifier);
    } catch (const std::exception& e) {
        LibShowError(side.File, e.what());
        return LibExitFailed;
    }
    if (!config) {
        return LibExitFailed;
    }

    std::string output;
    std::string part;
    bool refused = false;
    std::string bytes;
    try {
        const size_t index = EditablePresetIndex(dump, side.Preset);
        part = PresetPart(dump.Presets[index].Header.Number(), index);
        TDeviceUse use = LibraryDeviceUse(run.Command, run.Library, ModelName(*dump.ProductId));
        TPresetEditor editor(std::move(dump), index, config, std::move(use));
        if (run.List) {
            return LibPrint(Listing(editor));
        }
        std::vector<TEditResult> results;
        for (const TEditRequest& request : run.Values) {
            results.push_back(editor.Set(request.Module, request.Name, request.Value, run.Force));
        }
        if (run.Name) {
            results.push_back(editor.Rename(*run.Name, run.Force));
        }
        for (const TEditResult& result : results) {
            if (!result.Done) {
                refused = true;
                LibShowError(side.File,
                             Said(result.Problem) + (result.NeedsForce ? " (--force sets it)" : ""),
                             part);
            } else if (result.Forced) {
                ShowFileWarning(side.File,
                                Said((result.Module.empty() ? "" : result.Module + ": ") +
                                     result.Name + " '" + result.New) +
                                    "' lies outside what the device uses; set by --force",
                                part);
            }
            output += result.Done ? ChangeLine(result) : std::string();
        }
        if (!refused) {
            bytes = editor.Bytes();
        }
    } catch (const EEditError& e) {
        LibShowError(side.File, Said(e.what()), part);
        return LibExitFailed;
    } catch (const ELibraryDatabase& e) {
        LibSay(run.Command, e.what());
        return LibExitFailed;
    }
    if (refused) {
        LibSay(run.Command, "nothing written");
        return LibExitFailed;
    }
    if (!out->Write(bytes.data(), bytes.size()) || !out->Commit()) {
        return ShowCannotWrite(run.Output, out->Error());
    }
    return LibPrint(output);
}

// Parses the options both commands take; false, with the status in `status`, when the command
// is not to run.
bool ParseEdit(const std::vector<std::string>& args, bool setName, std::string (*help)(),
               TEditRun& run, TCommandArgs& parsed, int& status) {
    std::vector<TGnuOption> options = {{.Name = "output", .Short = 'o', .TakesValue = true},
                                       {.Name = "force", .Short = 'f'}};
    if (setName) {
        options.push_back({.Name = "name", .Short = 'n', .TakesValue = true});
        options.push_back({.Name = "list", .Short = 'l'});
    }
    AddLibraryOptions(options, true);
    parsed =
        ParseCommandArgs(args, options, [&run](const std::string& name, const std::string& value) {
            if (name == "output") {
                run.Output = value;
            } else if (name == "force") {
                run.Force = true;
            } else if (name == "name") {
                run.Name = value;
            } else if (name == "list") {
                run.List = true;
            } else if (!TakeLibraryOption(run.Library, name, value)) {
                return "unknown option '" + name + "'";
            }
            return std::string();
        });
    if (!CommandToRun(run.Command, parsed, help, status)) {
        return false;
    }
    if (run.Output.empty() && !run.List) {
        status = LibUsageError(run.Command, "missing output file: give -o OUT");
        return false;
    }
    if (parsed.Operands.empty()) {
        status = LibUsageError(run.Command, "missing file operand");
        return false;
    }
    run.File = parsed.Operands[0];
    return true;
}

constexpr const char* EditOutputHelp =
    "  -o, --output OUT      write the file with the change to OUT (required); OUT is\n"
    "                        written whole or not at all, never over FILE\n"
    "  -f, --force           take values and names outside what the device uses\n";

constexpr const char* EditCheckHelp =
    "A value is taken when the configuration's range holds it (an item, or 0 to the\n"
    "maximum) or when the library holds it for a module of that kind and type of\n"
    "the model: the owner's own device wrote it. A name may have the characters and\n"
    "length of the model's names in the library, else printable characters up to\n"
    "the length of the longest name in FILE. Anything else is refused unless --force\n"
    "is given, and then marked. Only the messages that hold a change are written\n"
    "anew (values in their variable-length form, the checksum made to fit); every\n"
    "other byte of FILE is kept. The change of each value is listed on standard\n"
    "output as 'MODULE: NAME = NEW (was OLD)'.\n";

} // namespace

std::string SetHelpText() {
    return std::string(
               "Usage: qvrlib set [OPTION]... FILE[:N] 'MODULE: PARAMETER=VALUE'... -o OUT\n"
               "Set values of preset N of FILE (or of its only preset) as the report\n"
               "shows them, and write the whole file with the change to OUT. MODULE is\n"
               "the module's heading ('Green Amp', 'LFO 1'), or its name when it has\n"
               "none ('Input'); a second module of one name is 'NAME #2'. PARAMETER is\n"
               "the name the report shows ('Status', 'Gain (dB)'); the range of a\n"
               "modifier's link is 'Link N Max' and 'Link N Min'. VALUE is an item\n"
               "('4:1'), a number as shown ('-12', '10.5'; both scales) or the maximum\n"
               "text ('Tempo'); a value no raw number shows is refused with the nearest\n"
               "ones. A module's type is shown, not set.\n"
               "\n") +
           EditOutputHelp + "  -n, --name NAME       give the preset the name NAME as well\n" +
           "  -l, --list            list the modules (with their type) and the values that\n"
           "                        can be set, as shown, with the configuration's range\n" +
           ConfigDirHelp + LibraryOptionsHelp +
           "  -h, --help            display this help and exit\n\n" + EditCheckHelp + "\n" +
           std::string(ExitStatusHelp) +
           "A FILE that cannot be read, a value refused or a preset missing are\n"
           "failures, and then nothing is written; an OUT that cannot be written exits 2.\n";
}

std::string RenameHelpText() {
    return std::string("Usage: qvrlib rename [OPTION]... FILE[:N] NAME -o OUT\n"
                       "Give preset N of FILE (or its only preset) the name NAME, and write the\n"
                       "whole file with the change to OUT: the preset's header alone is written\n"
                       "anew.\n"
                       "\n") +
           EditOutputHelp + ConfigDirHelp + LibraryOptionsHelp +
           "  -h, --help            display this help and exit\n\n" + EditCheckHelp + "\n" +
           std::string(ExitStatusHelp) +
           "A FILE that cannot be read, a name refused or a preset missing are failures,\n"
           "and then nothing is written; an OUT that cannot be written exits 2.\n";
}

int RunSet(const std::vector<std::string>& args) {
    TEditRun run;
    run.Command = "set";
    TCommandArgs parsed;
    int status = LibExitOk;
    if (!ParseEdit(args, true, &SetHelpText, run, parsed, status)) {
        return status;
    }
    for (size_t i = 1; i < parsed.Operands.size(); ++i) {
        std::string problem;
        const std::optional<TEditRequest> request = ParseEditRequest(parsed.Operands[i], problem);
        if (!request) {
            return LibUsageError(run.Command, problem);
        }
        std::optional<std::string> module = FileText(request->Module);
        std::optional<std::string> name = FileText(request->Name);
        std::optional<std::string> value = FileText(request->Value);
        if (!module || !name || !value) {
            return LibUsageError(run.Command, "'" + parsed.Operands[i] +
                                                  "' has a character the preset files cannot hold");
        }
        run.Values.push_back(TEditRequest{std::move(*module), std::move(*name), std::move(*value)});
    }
    if (run.Name && !(run.Name = FileText(*run.Name))) {
        return LibUsageError(run.Command, "the name has a character the preset files cannot hold");
    }
    if (run.List) {
        if (!run.Values.empty() || run.Name || !run.Output.empty()) {
            return LibUsageError(run.Command, "--list sets nothing: give FILE[:N] alone");
        }
        return Edit(run);
    }
    if (run.Values.empty() && !run.Name) {
        return LibUsageError(run.Command, "nothing to set: give MODULE: PARAMETER=VALUE or --name");
    }
    return Edit(run);
}

int RunRename(const std::vector<std::string>& args) {
    TEditRun run;
    run.Command = "rename";
    TCommandArgs parsed;
    int status = LibExitOk;
    if (!ParseEdit(args, false, &RenameHelpText, run, parsed, status)) {
        return status;
    }
    if (parsed.Operands.size() < 2) {
        return LibUsageError(run.Command, "missing name operand");
    }
    if (parsed.Operands.size() > 2) {
        return LibUsageError(run.Command, "extra operand '" + parsed.Operands[2] + "'");
    }
    run.Name = FileText(parsed.Operands[1]);
    if (!run.Name) {
        return LibUsageError(run.Command, "the name has a character the preset files cannot hold");
    }
    return Edit(run);
}

} // namespace qvr
