#include "librarian/JoinCommand.h"

#include "base/Numbers.h"
#include "librarian/Join.h"
#include "librarian/Subcommand.h"
#include "platform/AtomicFile.h"
#include "platform/OutputCheck.h"
#include "report/Comparison.h"
#include "report/ProductConfigLookup.h"
#include "sysex/Products.h"

#include <array>
#include <cstring>
#include <deque>
#include <filesystem>

namespace qvr {

namespace {

const char* const Command = "join";

const std::array<TGnuOption, 2> Options = {{{.Name = "renumber", .Short = 'r', .TakesValue = true},
                                            {.Name = "keep-repeats", .Short = 'k'}}};

std::string ExtensionOf(const std::string& path) {
    const std::string extension = std::filesystem::path(path).extension().string();
    return extension.empty() ? extension : extension.substr(1);
}

} // namespace

std::string JoinHelpText() {
    return "Usage: qvrlib join [--renumber FIRST | --keep-repeats] OUT FILE[:N]...\n"
           "Write one file OUT out of the presets of the FILEs, in the order given: every\n"
           "message of FILE, or preset number N of FILE alone. The messages are copied byte\n"
           "for byte. The FILEs must be of one model, and OUT must have that model's backup\n"
           "or preset extension (.q3a or .q3p for the QVR-3). 'FILE:N' names a file of that\n"
           "name when there is one; FILE '-' is standard input (once).\n"
           "\n"
           "  -r, --renumber FIRST  number the presets in order from FIRST (1 to 254); this\n"
           "                        rewrites the number and checksum of each preset's header\n"
           "                        and nothing else\n"
           "  -k, --keep-repeats    keep presets of one number as they are: the files a\n"
           "                        backup whose numbers repeat was split into, joined\n"
           "                        back in the order split listed them\n"
           "  -h, --help            display this help and exit\n"
           "\n"
           "Without either, two presets of one number are an error. Every FILE is read as\n"
           "a report reads it; a damaged one is refused with the reader's message. OUT is\n"
           "written whole or not at all, and never over one of the FILEs, a configuration\n"
           "file or the settings file.\n"
           "\n" +
           std::string(ExitStatusHelp) +
           "A FILE that cannot be read or is damaged, models that differ, a preset missing\n"
           "or two presets of one number are failures; an OUT that cannot be written exits 2.\n";
}

int RunJoin(const std::vector<std::string>& args) {
    TJoinNumbers numbers;
    std::optional<int32_t>& renumber = numbers.RenumberFrom;
    const TCommandArgs parsed = ParseCommandArgs(
        args, Options, [&numbers, &renumber](const std::string& name, const std::string& value) {
            if (name == "keep-repeats") {
                numbers.KeepRepeats = true;
                return std::string();
            }
            const int32_t first = StrToIntDef(value, -1);
            if (value.find_first_not_of("0123456789") != std::string::npos || first < 1 ||
                first > 254) {
                return "invalid first number '" + value + "' (must be 1 to 254)";
            }
            renumber = first;
            return std::string();
        });
    if (!parsed.Error.empty()) {
        return LibUsageError(Command, parsed.Error);
    }
    if (parsed.Help) {
        return LibPrint(JoinHelpText());
    }
    if (numbers.KeepRepeats && renumber) {
        return LibUsageError(Command, "--renumber and --keep-repeats exclude each other");
    }
    const std::vector<std::string>& operands = parsed.Operands;
    if (operands.size() < 2) {
        return LibUsageError(Command, operands.empty()
                                          ? "missing output file operand"
                                          : "missing file operand after '" + operands[0] + "'");
    }
    const std::string& out = operands[0];
    const TProduct* const outModel = ProductByExtension(ExtensionOf(out));
    if (outModel == nullptr) {
        return LibUsageError(Command, "'" + out + "' has no preset or backup file extension");
    }

    std::vector<TCompareSide> sides;
    std::vector<std::string> files;
    for (size_t i = 1; i < operands.size(); ++i) {
        sides.push_back(CompareSideOf(operands[i]));
        files.push_back(sides.back().File);
    }
    if (const std::optional<TOutputClash> clash =
            FindOutputClash(out, files, ProductConfigPaths(TConfigSearch{}))) {
        return LibUsageError(Command,
                             clash->Kind == TOutputClash::TKind::Input
                                 ? "the output file '" + out + "' is an input file"
                                 : "the output file '" + out + "' would replace " + clash->Text());
    }
    // Made before the inputs are read, so that an OUT that cannot be written shows at once.
    TAtomicFile file(out);
    if (!file.IsOpen()) {
        return ShowCannotWrite(out, file.Error());
    }

    std::deque<TDump> dumps;
    std::vector<TJoinInput> inputs;
    for (const TCompareSide& side : sides) {
        std::string error;
        if (!LoadDump(side.File, dumps.emplace_back(), error)) {
            LibShowError(side.File, error);
            return LibExitFailed;
        }
        inputs.push_back({side.File, &dumps.back(), side.Preset});
    }

    TJoined joined;
    try {
        joined = JoinDumps(inputs, numbers);
    } catch (const std::runtime_error& e) {
        LibShowFailure(e);
        return LibExitFailed;
    }
    if (outModel->Id != joined.ProductId) {
        const TProduct* const model = ProductById(joined.ProductId);
        return LibUsageError(
            Command, "'" + out + "' has an extension of the " + std::string(outModel->Model) +
                         ", the presets are for the " + ModelName(joined.ProductId) +
                         (model ? " (." + std::string(model->BackupExtension) + " or ." +
                                      std::string(model->PresetExtension) + ")"
                                : std::string()));
    }
    if (!file.Write(joined.Bytes.data(), joined.Bytes.size()) || !file.Commit()) {
        return ShowCannotWrite(out, file.Error());
    }
    return LibExitOk;
}

} // namespace qvr
