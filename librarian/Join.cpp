#include "librarian/Join.h"

#include "report/Comparison.h"
#include "sysex/Products.h"

#include <map>

namespace qvr {

namespace {

// A run of messages to copy: a preset, or messages that belong to none.
struct TPiece {
    const TJoinInput* Input;
    const TDumpPreset* Preset; // nullptr for messages before a file's first preset
    std::string_view Bytes;
};

std::string PresetText(int32_t number) {
    return "preset " + std::to_string(number);
}

std::vector<TPiece> Pieces(const TJoinInput& input) {
    const TDump& dump = *input.Dump;
    if (input.Preset) {
        const TDumpPreset* const preset = dump.PresetNumbered(*input.Preset);
        if (preset == nullptr) {
            throw EJoinError(input.Name, "there is no " + PresetText(*input.Preset));
        }
        return {{&input, preset, dump.PresetBytes(*preset)}};
    }
    std::vector<TPiece> pieces;
    if (const size_t leading = dump.LeadingMessages(); leading > 0) {
        pieces.push_back({&input, nullptr, dump.MessageBytes(0, leading)});
    }
    for (const TDumpPreset& preset : dump.Presets) {
        pieces.push_back({&input, &preset, dump.PresetBytes(preset)});
    }
    return pieces;
}

// No two presets of one number, unless they are renumbered.
void CheckNumbers(const std::vector<TPiece>& pieces) {
    std::map<int32_t, const TJoinInput*> seen;
    for (const TPiece& piece : pieces) {
        const std::optional<int32_t> number =
            piece.Preset ? piece.Preset->Header.Number() : std::nullopt;
        if (!number) {
            continue;
        }
        const auto [it, added] = seen.emplace(*number, piece.Input);
        if (!added) {
            const std::string where =
                it->second->Name == piece.Input->Name
                    ? "twice in '" + piece.Input->Name + "'"
                    : "in '" + it->second->Name + "' and in '" + piece.Input->Name + "'";
            throw EJoinError(
                "There is a " + PresetText(*number) + " " + where +
                "; --renumber FIRST numbers the presets anew, --keep-repeats keeps them as "
                "they are.");
        }
    }
}

} // namespace

TJoined JoinDumps(const std::vector<TJoinInput>& inputs, const TJoinNumbers& numbers) {
    const std::optional<int32_t>& renumberFrom = numbers.RenumberFrom;
    TJoined joined;
    std::vector<TPiece> pieces;
    std::optional<uint8_t> product;
    for (const TJoinInput& input : inputs) {
        const TDump& dump = *input.Dump;
        if (!dump.Problem.empty()) {
            throw EJoinError(input.Name, dump.Problem);
        }
        if (!dump.ProductId) {
            throw EJoinError(input.Name, "the file holds no messages");
        }
        if (product && *product != *dump.ProductId) {
            throw EDifferentModels(ModelName(*product), ModelName(*dump.ProductId));
        }
        product = dump.ProductId;
        for (TPiece& piece : Pieces(input)) {
            joined.Presets += piece.Preset != nullptr ? 1 : 0;
            pieces.push_back(piece);
        }
    }
    if (!product) {
        throw EJoinError("nothing to join");
    }
    joined.ProductId = *product;
    if (!renumberFrom) {
        if (!numbers.KeepRepeats) {
            CheckNumbers(pieces);
        }
    } else if (*renumberFrom < 1 ||
               *renumberFrom + static_cast<int64_t>(joined.Presets) - 1 > FirstUnnumberedIndex) {
        throw EJoinError(
            "The " + std::to_string(joined.Presets) + " presets do not fit in the numbers from " +
            std::to_string(*renumberFrom) + " to " + std::to_string(FirstUnnumberedIndex) + ".");
    }

    auto index = static_cast<uint8_t>(renumberFrom.value_or(1) - 1);
    for (const TPiece& piece : pieces) {
        if (!renumberFrom || piece.Preset == nullptr) {
            joined.Bytes.append(piece.Bytes);
            continue;
        }
        const TDumpMessage& header = piece.Input->Dump->Messages[piece.Preset->FirstMessage];
        joined.Bytes.append(RenumberPresetHeader(piece.Bytes.substr(0, header.Size), index++));
        joined.Bytes.append(piece.Bytes.substr(header.Size));
    }
    return joined;
}

} // namespace qvr
