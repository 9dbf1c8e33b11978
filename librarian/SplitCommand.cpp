#include "librarian/SplitCommand.h"

#include "librarian/Split.h"
#include "librarian/Subcommand.h"

#include <array>

namespace qvr {

namespace {

const char* const Command = "split";

const std::array<TGnuOption, 1> Options = {{{.Name = "force", .Short = 'f'}}};

} // namespace

std::string SplitHelpText() {
    return "Usage: qvrlib split [--force] FILE [DIR]\n"
           "Write every preset of FILE, a backup or any preset file ('-' for standard\n"
           "input), to a file of its own in DIR (default: the current folder; made when\n"
           "missing). Each file holds the preset's messages byte for byte as FILE has them,\n"
           "and is named from the preset's number and name with the model's preset\n"
           "extension: '07 Clean Lead.q3p'. Messages before the first preset go to a file\n"
           "of their own, '00 Before first preset.q3p'. A name that is taken gets a suffix,\n"
           "'07 Clean Lead (2).q3p': no file is ever replaced and no link followed, not even\n"
           "one made in DIR while the split runs. The files written are listed on standard\n"
           "output, one a line.\n"
           "\n"
           "  -f, --force       split the part of a damaged FILE that reads\n"
           "  -h, --help        display this help and exit\n"
           "\n"
           "FILE is read as a report reads it: frame, maker, checksums and one product.\n"
           "A damaged FILE is refused with the reader's message and nothing is written,\n"
           "unless --force is given.\n"
           "\n" +
           std::string(ExitStatusHelp) +
           "A FILE that cannot be read or is damaged is a failure; a file or DIR that\n"
           "cannot be written exits 2.\n";
}

int RunSplit(const std::vector<std::string>& args) {
    bool force = false;
    const TCommandArgs parsed =
        ParseCommandArgs(args, Options, [&force](const std::string&, const std::string&) {
            force = true;
            return std::string();
        });
    if (!parsed.Error.empty()) {
        return LibUsageError(Command, parsed.Error);
    }
    if (parsed.Help) {
        return LibPrint(SplitHelpText());
    }
    const std::vector<std::string>& operands = parsed.Operands;
    if (operands.empty()) {
        return LibUsageError(Command, "missing file operand");
    }
    if (operands.size() > 2) {
        return LibUsageError(Command, "extra operand '" + operands[2] + "'");
    }
    const std::string& file = operands[0];

    TDump dump;
    std::string error;
    if (!LoadDump(file, dump, error)) {
        LibShowError(file, error);
        return LibExitFailed;
    }
    if (!dump.Problem.empty()) {
        LibShowError(file, dump.Problem);
        if (!force) {
            LibSay(Command, "nothing written; --force splits the part that reads");
            return LibExitFailed;
        }
    }
    const TProduct* const product = dump.ProductId ? ProductById(*dump.ProductId) : nullptr;
    if (product == nullptr) {
        LibShowError(file, dump.ProductId
                               ? "no preset file type for the " + ModelName(*dump.ProductId)
                               : std::string("the file holds no messages"));
        return LibExitFailed;
    }

    const std::vector<TSplitPart> parts = SplitParts(dump);
    const std::filesystem::path folder = operands.size() > 1 ? operands[1] : ".";
    const TSplitResult result = WriteSplit(parts, folder, product->PresetExtension);
    std::string listing;
    for (const std::string& name : result.Written) {
        listing += (operands.size() > 1 ? (folder / name).string() : name) + "\n";
    }
    const int printed = LibPrint(listing);
    if (!result.Error.empty()) {
        // An output that cannot be written, like any program's.
        LibShowError(result.ErrorPath, result.Error);
        return LibExitUsage;
    }
    if (const size_t leading = dump.LeadingMessages(); leading > 0) {
        LibSay(Command, std::to_string(leading) + " message" + (leading == 1 ? "" : "s") +
                            " before the first preset kept in '" + result.Written.front() + "'");
    }
    if (printed != LibExitOk) {
        return printed;
    }
    return dump.Problem.empty() ? LibExitOk : LibExitFailed;
}

} // namespace qvr
